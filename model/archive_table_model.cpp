#include "model/archive_table_model.h"

#include "model/archive_texts.h"

ArchiveTableModel::ArchiveTableModel(QObject *parent)
    : QAbstractTableModel(parent)
{ }

void ArchiveTableModel::set_records(const QList<arc::Record> &records, int version, const VolumeScale &scale, int rows)
{
    beginResetModel();
    shown = records;
    read_version = version;
    read_scale = scale;
    texts.clear();
    for (int k = 0; k < shown.size(); ++k)
        texts.append(arc::record_row(k, shown.at(k), version, scale));
    row_count = qMax(rows, int(shown.size()));
    endResetModel();
    emit headerDataChanged(Qt::Horizontal, 0, arc::column_count - 1);
}

void ArchiveTableModel::clear()
{
    // The titles keep the unit of the last read until the next one is sized.
    set_records({}, 0, read_scale);
}

QList<QStringList> ArchiveTableModel::record_texts() const
{
    return texts;
}

int ArchiveTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : row_count;
}

int ArchiveTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : arc::column_count;
}

QVariant ArchiveTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= texts.size())
        return {};
    switch (role) {
    case Qt::DisplayRole: return texts.at(index.row()).value(index.column());
    // Values read to the right, the record number as any text.
    case Qt::TextAlignmentRole:
        return index.column() == 0 ? QVariant() : QVariant(int(Qt::AlignRight | Qt::AlignVCenter));
    default: return {};
    }
}

QVariant ArchiveTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return arc::column_titles(read_scale).value(section);
}
