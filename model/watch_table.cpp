#include "model/watch_table.h"

#include "archive/archive_export.h"
#include "model/quantity.h"

WatchTable::WatchTable(int max_rows, QObject *parent)
    : QAbstractTableModel(parent)
    , max(max_rows)
{ }

void WatchTable::start(const VolumeScale &volume_scale)
{
    beginResetModel();
    rows.clear();
    scale = volume_scale;
    any = false;
    first_volume = 0;
    endResetModel();
    emit headerDataChanged(Qt::Horizontal, 0, column_count - 1);
}

void WatchTable::add(const QDateTime &at, const WatchReading &reading, std::optional<double> per_hour)
{
    if (!any) {
        first_volume = reading.volume;
        any = true;
    }
    if (rows.size() >= max) {
        beginRemoveRows(QModelIndex(), 0, 0);
        rows.removeFirst();
        endRemoveRows();
    }
    beginInsertRows(QModelIndex(), rows.size(), rows.size());
    rows.append({at, reading, per_hour});
    endInsertRows();
}

QString WatchTable::text(int r, int column) const
{
    if (r < 0 || r >= rows.size())
        return QString();
    const Row &row = rows.at(r);
    const WatchReading &reading = row.reading;
    using quantity::Kind;
    switch (Column(column)) {
    case time: return quantity::computer_time(row.at);
    case meter_clock: return quantity::text(Kind::clock, reading.clock);
    case volume: return quantity::text(Kind::volume, reading.volume, scale);
    case change: return quantity::volume(qint64(reading.volume) - first_volume, scale);
    case flow: return row.per_hour ? quantity::flow_rate(*row.per_hour) : QString();
    case reverse: return quantity::text(Kind::reverse_volume, reading.reverse_volume, scale);
    case event: return quantity::text(Kind::event, reading.event);
    }
    return QString();
}

QStringList WatchTable::titles() const
{
    return {tr("Время"),
            tr("Часы счётчика"),
            quantity::volume_caption(tr("Объём"), scale),
            quantity::volume_caption(tr("С начала"), scale),
            tr("Расход") + QStringLiteral(", ") + quantity::flow_unit(scale),
            quantity::volume_caption(tr("Обратный"), scale),
            tr("Событие")};
}

QByteArray WatchTable::csv(const QString &serial, const QString &model, const QString &address,
                           const QDateTime &started_at) const
{
    QString text = arc::csv_line({arc::csv_field(tr("Серийный номер")), arc::csv_serial(serial)});
    text += arc::csv_line({arc::csv_field(tr("Модель")), arc::csv_field(model)});
    text += arc::csv_line({arc::csv_field(tr("Адрес")), arc::csv_field(address)});
    text += arc::csv_line({arc::csv_field(tr("Начало")), arc::csv_field(quantity::computer_time(started_at))});
    text += arc::csv_line({});
    QList<QStringList> shown;
    for (int r = 0; r < rows.size(); ++r) {
        QStringList cells;
        for (int c = 0; c < column_count; ++c)
            cells << WatchTable::text(r, c);
        shown << cells;
    }
    text += arc::csv_rows(titles(), shown);
    return arc::csv_file(text);
}

int WatchTable::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : rows.size();
}

int WatchTable::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : column_count;
}

QVariant WatchTable::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role == Qt::DisplayRole)
        return text(index.row(), index.column());
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return QVariant();
}

QVariant WatchTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QVariant();
    return titles().value(section);
}
