#include "model/journal_tables.h"

#include "archive/records.h"
#include "meter/register_map.h"
#include "model/archive_texts.h"

#include <QCoreApplication>

namespace {

// A polled reading as the main window shows it (the one formatter: a current
// volume or reverse flow never below 0); one kept in counts (its model
// unknown when read) says so.
QString units_text(quantity::Kind kind, const std::optional<qint64> &units, double factor, int decimals)
{
    const VolumeScale scale{factor, decimals};
    if (!units)
        return QStringLiteral("--");
    const QString text = quantity::text(kind, *units, scale);
    return scale.known() ? text : quantity::with_unit(text, scale);
}

QString local_time_text(const QDateTime &utc)
{
    return utc.isValid() ? utc.toLocalTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")) : QString();
}

QVariant aligned(int column)
{
    return column > 0 ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter)) : QVariant();
}

bool same_meter_row(const journal::MeterRow &a, const journal::MeterRow &b)
{
    return a.serial == b.serial && a.model_code == b.model_code && a.model_name == b.model_name
        && a.protocol_version == b.protocol_version && a.address == b.address && a.factor == b.factor
        && a.decimals == b.decimals && a.last_read_at == b.last_read_at && a.last_volume_units == b.last_volume_units
        && a.label == b.label && a.line == b.line;
}

} // namespace

void JournalMetersModel::set_meters(const QList<journal::MeterRow> &meters)
{
    bool same_list = meters.size() == rows.size();
    for (int r = 0; same_list && r < rows.size(); ++r)
        same_list = rows.at(r).serial == meters.at(r).serial;
    if (!same_list) {
        beginResetModel();
        rows = meters;
        endResetModel();
        return;
    }
    for (int r = 0; r < rows.size(); ++r) {
        if (same_meter_row(rows.at(r), meters.at(r)))
            continue;
        rows[r] = meters.at(r);
        emit dataChanged(index(r, 0), index(r, columnCount() - 1));
    }
}

journal::MeterRow JournalMetersModel::meter(const QString &serial) const
{
    const int r = row_of(serial);
    return r >= 0 ? rows.at(r) : journal::MeterRow();
}

int JournalMetersModel::row_of(const QString &serial) const
{
    for (int r = 0; r < rows.size(); ++r) {
        if (rows.at(r).serial == serial)
            return r;
    }
    return -1;
}

int JournalMetersModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(rows.size());
}

int JournalMetersModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 8;
}

QVariant JournalMetersModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rows.size())
        return {};
    if (role == Qt::TextAlignmentRole)
        return aligned(index.column());
    if (role != Qt::DisplayRole)
        return {};
    const journal::MeterRow &m = rows.at(index.row());
    switch (index.column()) {
    case 0: return m.serial;
    case 1: return m.model_code >= 0 ? quantity::model_text(quint16(m.model_code), m.model_name) : QString();
    case 2: return m.protocol_version >= 0 ? QString::number(m.protocol_version) : QString();
    case 3: return m.address;
    case 4: return units_text(quantity::Kind::volume, m.last_volume_units, m.factor, m.decimals);
    case 5: return local_time_text(m.last_read_at);
    case 6: return m.label;
    case 7: return m.line;
    }
    return {};
}

QVariant JournalMetersModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    const QStringList titles{QCoreApplication::translate("JournalWindow", "Серийный номер"),
                             QCoreApplication::translate("JournalWindow", "Модель"),
                             QCoreApplication::translate("JournalWindow", "Версия"),
                             QCoreApplication::translate("JournalWindow", "Адрес"),
                             QCoreApplication::translate("JournalWindow", "Показания"),
                             QCoreApplication::translate("JournalWindow", "Время чтения"),
                             QCoreApplication::translate("JournalWindow", "Метка"),
                             QCoreApplication::translate("JournalWindow", "Линия")};
    return titles.value(section);
}

void JournalReadingsModel::set_rows(const QList<journal::ReadingRow> &readings)
{
    beginResetModel();
    rows = readings;
    endResetModel();
}

void JournalReadingsModel::append_rows(const QList<journal::ReadingRow> &readings)
{
    if (readings.isEmpty())
        return;
    beginInsertRows(QModelIndex(), int(rows.size()), int(rows.size() + readings.size()) - 1);
    rows += readings;
    endInsertRows();
}

int JournalReadingsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(rows.size());
}

int JournalReadingsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 6;
}

QVariant JournalReadingsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rows.size())
        return {};
    if (role == Qt::TextAlignmentRole)
        return aligned(index.column());
    if (role != Qt::DisplayRole)
        return {};
    const journal::ReadingRow &row = rows.at(index.row());
    switch (index.column()) {
    case 0: return local_time_text(row.read_at);
    case 1: return row.meter_clock ? quantity::clock(qint32(*row.meter_clock)) : QString();
    case 2: return units_text(quantity::Kind::volume, row.volume_units, row.factor, row.decimals);
    case 3: return units_text(quantity::Kind::reverse_volume, row.reverse_units, row.factor, row.decimals);
    case 4: return row.event >= 0 ? QString::number(row.event) : QString();
    case 5: return row.address;
    }
    return {};
}

QVariant JournalReadingsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    const QStringList titles{QCoreApplication::translate("JournalWindow", "Время чтения"),
                             QCoreApplication::translate("JournalWindow", "Время счетчика"),
                             QCoreApplication::translate("JournalWindow", "Показания"),
                             QCoreApplication::translate("JournalWindow", "Обратный поток"),
                             QCoreApplication::translate("JournalWindow", "Событие"),
                             QCoreApplication::translate("JournalWindow", "Адрес")};
    return titles.value(section);
}

void JournalRecordsModel::set_rows(const QList<journal::ArchiveRecordRow> &records, int protocol_version,
                                   const VolumeScale &scale_of_meter)
{
    beginResetModel();
    rows = records;
    version = protocol_version;
    meter_scale = scale_of_meter;
    endResetModel();
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void JournalRecordsModel::append_rows(const QList<journal::ArchiveRecordRow> &records)
{
    if (records.isEmpty())
        return;
    const bool first = rows.isEmpty();
    beginInsertRows(QModelIndex(), int(rows.size()), int(rows.size() + records.size()) - 1);
    rows += records;
    endInsertRows();
    if (first)
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

VolumeScale JournalRecordsModel::scale() const
{
    return rows.isEmpty() ? meter_scale : VolumeScale{rows.first().factor, rows.first().decimals};
}

int JournalRecordsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(rows.size());
}

int JournalRecordsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(arc::column_titles(meter_scale).size());
}

QVariant JournalRecordsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rows.size())
        return {};
    if (role == Qt::TextAlignmentRole)
        return aligned(index.column());
    if (role != Qt::DisplayRole)
        return {};
    const journal::ArchiveRecordRow &r = rows.at(index.row());
    arc::Record record;
    record.time = qint32(r.time);
    record.reading = qint32(r.reading);
    record.event = quint16(r.event);
    record.reverse_flow = qint32(r.reverse_flow);
    return arc::record_row(index.row(), record, version, VolumeScale{r.factor, r.decimals}).value(index.column());
}

QVariant JournalRecordsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return arc::column_titles(scale()).value(section);
}

TypedRange typed_range(const QString &from, const QString &to)
{
    const QString format = QStringLiteral("dd.MM.yyyy");
    TypedRange range;
    range.from = QDate::fromString(from.trimmed(), format);
    range.to = QDate::fromString(to.trimmed(), format);
    if (!range.from.isValid())
        range.refused
            = QCoreApplication::translate("JournalWindow", "Дата «С» неполная или неверная: нужно ДД.ММ.ГГГГ");
    else if (!range.to.isValid())
        range.refused
            = QCoreApplication::translate("JournalWindow", "Дата «по» неполная или неверная: нужно ДД.ММ.ГГГГ");
    else if (range.from > range.to)
        range.refused = QCoreApplication::translate("JournalWindow", "Дата «С» позже даты «по»: период не показан");
    return range;
}
