#pragma once

#include "journal/consumption.h"

#include <QAbstractTableModel>
#include <QDateTime>
#include <QList>
#include <QStringList>

// The period's consumption as a read-only table: a row per meter, worded by
// journal::consumption_texts. Its view and its CSV file read it.
class ConsumptionTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit ConsumptionTableModel(QObject *parent = nullptr);

    void set_rows(const QList<journal::ConsumptionRow> &rows, const QDateTime &from, const QDateTime &to);
    const QList<journal::ConsumptionRow> &rows() const { return shown; }
    // The file "Сохранить в файл" writes: what the table shows.
    QByteArray csv() const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<journal::ConsumptionRow> shown;
    QList<QStringList> texts;
    QStringList titles;
    QDateTime period_from, period_to;
};
