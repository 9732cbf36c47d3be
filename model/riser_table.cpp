#include "model/riser_table.h"

#include "archive/archive_export.h"
#include "meter/register_map.h"
#include "model/outcome_words.h"
#include "model/quantity.h"
#include "model/spreadsheet_copy.h"

#include <QColor>
#include <algorithm>

RiserTable::RiserTable(QObject *parent)
    : QAbstractTableModel(parent)
{ }

void RiserTable::start(const QVector<scan::ListedMeter> &listed)
{
    beginResetModel();
    rows.clear();
    for (const scan::ListedMeter &meter : listed)
        rows.append({meter.serial, std::nullopt, false, std::nullopt});
    endResetModel();
}

void RiserTable::set_meter(int row, const scan::MeterReadout &meter, bool finished)
{
    if (row < 0 || row >= rows.size())
        return;
    rows[row].meter = meter;
    rows[row].pass_over = finished;
    emit dataChanged(index(row, 0), index(row, column_count - 1));
}

void RiserTable::set_setting(int row, const scan::ClockSetting &setting)
{
    if (row < 0 || row >= rows.size())
        return;
    rows[row].setting = setting;
    emit dataChanged(index(row, 0), index(row, column_count - 1));
}

void RiserTable::set_labels(const QHash<QString, QString> &by_serial)
{
    labels = by_serial;
    if (!rows.isEmpty())
        emit dataChanged(index(0, label), index(rows.size() - 1, label));
}

QString RiserTable::serial_of(const Row &row) const
{
    return row.meter && row.meter->values.serial ? quantity::serial_number(*row.meter->values.serial)
                                                 : row.listed_serial;
}

bool RiserTable::failed(int r) const
{
    if (r < 0 || r >= rows.size())
        return false;
    const Row &row = rows.at(r);
    if (row.setting)
        return !row.setting->outcome.ok();
    if (!row.meter)
        return false;
    // A pass cut short leaves meters it never asked: they say so.
    const bool pending = row.meter->outcome.kind == RunOutcome::Kind::pending;
    const bool not_read = pending && row.pass_over;
    return not_read || (!row.meter->outcome.ok() && !pending);
}

QString RiserTable::text(int r, int column) const
{
    if (r < 0 || r >= rows.size())
        return QString();
    const Row &row = rows.at(r);
    if (column == serial)
        return serial_of(row);
    if (column == label)
        return labels.value(serial_of(row));
    if (!row.meter)
        return QString();
    const scan::MeterReadout &meter = *row.meter;
    const PollValues &v = meter.values;
    const VolumeScale scale = v.scale();
    const scan::ClockSetting *const setting = row.setting ? &*row.setting : nullptr;
    using quantity::Kind;
    switch (Column(column)) {
    case address:
        return meter.target.by_serial ? tr("%1 (по сер. номеру)").arg(meter.target.address)
                                      : QString::number(meter.target.address);
    case model: return v.model_code ? quantity::model_name(*v.model_code, v.model) : QString();
    case version: return quantity::number(v.protocol_version);
    case volume: return quantity::text(Kind::volume, v.volume_units, scale);
    case reverse:
        // Version 2 meters keep no reverse flow.
        if (v.protocol_version && *v.protocol_version != poll::reverse_flow_version)
            return tr("нет");
        return quantity::text(Kind::reverse_volume, v.reverse_units, scale);
    case unit: return v.volume_units ? quantity::volume_unit(scale) : QString();
    case events: return quantity::text(Kind::event, v.event);
    case meter_clock:
        if (setting && setting->clock)
            return quantity::text(Kind::clock, setting->clock);
        return quantity::text(Kind::clock, v.clock_seconds);
    case offset:
        if (setting && setting->clock)
            return quantity::text(Kind::clock_offset, setting->clock_offset_s);
        // Set but not read back: the old offset no longer holds.
        if (setting && setting->outcome.ok())
            return QStringLiteral("?");
        return quantity::text(Kind::clock_offset, meter.clock_offset_s);
    case outcome: {
        if (setting)
            return clock_setting_words(setting->outcome);
        if (meter.outcome.kind == RunOutcome::Kind::pending && row.pass_over)
            return tr("Не считан");
        const QString result = outcome_words(meter.outcome);
        if (failed(r) && meter.attempts == 1 && !row.pass_over)
            return tr("%1, повтор в конце").arg(result);
        return result;
    }
    case serial:
    case label: break;
    }
    return QString();
}

QStringList RiserTable::titles() const
{
    return {tr("Адрес"),          tr("Серийный номер"), tr("Модель"),    tr("Версия протокола"),
            tr("Показания"),      tr("Обр. поток"),     tr("Единица"),   tr("События"),
            tr("Время счетчика"), tr("Расхождение, с"), tr("Результат"), tr("Метка")};
}

QString RiserTable::file_value(int row, int column) const
{
    const QString shown = text(row, column);
    return column == serial ? arc::csv_serial(shown) : arc::csv_value(shown);
}

QByteArray RiserTable::csv(const QDateTime &read_at, const QString &result) const
{
    QString text
        = arc::csv_line({arc::csv_field(tr("Время чтения")), arc::csv_field(quantity::computer_time(read_at))});
    text += arc::csv_line({arc::csv_field(tr("Итог")), arc::csv_field(result)});
    text += arc::csv_line({});
    QStringList fields;
    for (const QString &title : titles())
        fields << arc::csv_field(title);
    text += arc::csv_line(fields);
    for (int r = 0; r < rows.size(); ++r) {
        fields.clear();
        for (int c = 0; c < column_count; ++c)
            fields << (c == serial ? file_value(r, c) : arc::csv_field(file_value(r, c)));
        text += arc::csv_line(fields);
    }
    return arc::csv_file(text);
}

QString RiserTable::spreadsheet_text(const QModelIndexList &cells) const
{
    return ::spreadsheet_text(cells, [this](int r, int c) { return file_value(r, c); });
}

int RiserTable::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : rows.size();
}

int RiserTable::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : column_count;
}

QVariant RiserTable::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    // A text cut to its column's width is whole in its tooltip.
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return text(index.row(), index.column());
    if (role == Qt::ForegroundRole && index.column() == outcome && rows.at(index.row()).meter)
        return QColor(failed(index.row()) ? Qt::red : Qt::black);
    return QVariant();
}

QVariant RiserTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section + 1;
    return titles().value(section);
}
