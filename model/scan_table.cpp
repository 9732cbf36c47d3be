#include "model/scan_table.h"

#include "archive/archive_export.h"
#include "model/outcome_words.h"
#include "model/scan_rows.h"
#include "model/spreadsheet_copy.h"

#include <QColor>
#include <algorithm>

ScanTable::ScanTable(QObject *parent)
    : QAbstractTableModel(parent)
{ }

void ScanTable::start(bool setting_column)
{
    beginResetModel();
    meters.clear();
    results.clear();
    settings_shown = setting_column;
    results_shown = false;
    endResetModel();
}

void ScanTable::set_meters(const QVector<scan::FoundMeter> &list, const QStringList &model_table)
{
    models = model_table;
    const int before = meters.size();
    if (list.size() > before) {
        beginInsertRows(QModelIndex(), before, list.size() - 1);
        meters = list;
        results.resize(list.size());
        endInsertRows();
    } else if (list.size() < before) {
        beginRemoveRows(QModelIndex(), list.size(), before - 1);
        meters = list;
        results.resize(list.size());
        endRemoveRows();
    } else {
        meters = list;
    }
    // A meter heard cleanly may have taken the place of a garbled row.
    if (!meters.isEmpty())
        emit dataChanged(index(0, 0), index(meters.size() - 1, columnCount() - 1));
}

void ScanTable::set_result(int row, const scan::MeterWriteResult &result, bool run_over, const QString &next_exchange)
{
    if (row < 0 || row >= meters.size())
        return;
    if (!results_shown) {
        const int column = meter_columns();
        beginInsertColumns(QModelIndex(), column, column);
        results_shown = true;
        endInsertColumns();
    }
    results[row] = Result{result, run_over, next_exchange};
    emit dataChanged(index(row, result_column()), index(row, result_column()));
}

void ScanTable::forget_results()
{
    std::fill(results.begin(), results.end(), std::nullopt);
    if (!results_shown)
        return;
    const int column = meter_columns();
    beginRemoveColumns(QModelIndex(), column, column);
    results_shown = false;
    endRemoveColumns();
}

int ScanTable::meter_columns() const
{
    return device_type + 1 + (settings_shown ? 1 : 0);
}

int ScanTable::setting_column() const
{
    return settings_shown ? device_type + 1 : -1;
}

int ScanTable::result_column() const
{
    return results_shown ? meter_columns() : -1;
}

QString ScanTable::setting_text(const scan::LineSetting &setting)
{
    const QString parity = setting.parity == 1 ? tr("нечет") : setting.parity == 2 ? tr("чет") : tr("нет");
    return tr("%1, %2").arg(setting.baud_rate).arg(parity);
}

QString ScanTable::text(int r, int column) const
{
    if (r < 0 || r >= meters.size())
        return QString();
    const scan::FoundMeter &found = meters.at(r);
    if (column == setting_column() && column >= 0)
        return setting_text(found.setting);
    if (column == result_column() && column >= 0) {
        if (!results.at(r))
            return QString();
        const Result &result = *results.at(r);
        if (result.write.outcome.kind == RunOutcome::Kind::pending && result.run_over)
            return tr("Не записано");
        return write_words(result.write.outcome, result.next_exchange);
    }
    const scan::MeterRow row = scan::Rows::row(found.meter, models);
    switch (column) {
    case address: return row.address;
    case serial: return row.serial_number;
    case model: return row.model;
    case protocol_version: return row.protocol_version;
    case software_version: return row.software_version;
    case device_type: return row.device_type;
    default: return QString();
    }
}

// A device there that could not be understood stands out from the meters,
// and so does a write that was not confirmed.
bool ScanTable::failed(int r, int column) const
{
    if (r < 0 || r >= meters.size())
        return false;
    if (column != result_column() || column < 0)
        return meters.at(r).meter.garbled;
    if (!results.at(r))
        return false;
    const Result &result = *results.at(r);
    const bool pending = result.write.outcome.kind == RunOutcome::Kind::pending;
    return pending ? result.run_over : !result.write.outcome.ok();
}

QStringList ScanTable::titles() const
{
    QStringList all{tr("Адрес"),     tr("Серийный номер"), tr("Модель"), tr("Версия протокола"),
                    tr("Версия ПО"), tr("Тип устройства")};
    if (settings_shown)
        all << tr("Скорость, четность");
    if (results_shown)
        all << tr("Результат записи");
    return all;
}

QString ScanTable::spreadsheet_text(const QModelIndexList &cells) const
{
    return ::spreadsheet_text(cells, [this](int r, int c) {
        const QString shown = text(r, c);
        // "1.05" would be read as a date, the serial number as a number without its zeros.
        const bool as_text = (c == serial || c == software_version) && !shown.isEmpty() && shown != QLatin1String("?");
        return as_text ? QStringLiteral("=\"%1\"").arg(shown) : shown;
    });
}

int ScanTable::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : meters.size();
}

int ScanTable::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : meter_columns() + (results_shown ? 1 : 0);
}

QVariant ScanTable::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role == Qt::DisplayRole)
        return text(index.row(), index.column());
    if (role == Qt::ForegroundRole && failed(index.row(), index.column()))
        return QColor(Qt::red);
    return QVariant();
}

QVariant ScanTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section + 1;
    return titles().value(section);
}
