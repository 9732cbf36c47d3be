#include "model/consumption_table_model.h"

#include "model/journal_texts.h"

#include <QBrush>

ConsumptionTableModel::ConsumptionTableModel(QObject *parent)
    : QAbstractTableModel(parent)
    , titles(journal::consumption_titles())
{ }

void ConsumptionTableModel::set_rows(const QList<journal::ConsumptionRow> &rows, const QDateTime &from,
                                     const QDateTime &to)
{
    beginResetModel();
    shown = rows;
    period_from = from;
    period_to = to;
    texts.clear();
    for (const journal::ConsumptionRow &row : shown)
        texts.append(journal::consumption_texts(row));
    endResetModel();
}

QByteArray ConsumptionTableModel::csv() const
{
    return journal::consumption_csv(shown, period_from, period_to);
}

int ConsumptionTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(texts.size());
}

int ConsumptionTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(titles.size());
}

QVariant ConsumptionTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= texts.size())
        return {};
    if (role == Qt::DisplayRole)
        return texts.at(index.row()).value(index.column());
    // The marks of a period that cannot be billed as it stands stand out.
    const journal::ConsumptionRow &row = shown.at(index.row());
    if (role == Qt::ForegroundRole && index.column() == titles.size() - 1 && (!row.complete() || row.clock_off()))
        return QBrush(Qt::red);
    return {};
}

QVariant ConsumptionTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return titles.value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}
