#pragma once

#include "archive/records.h"
#include "model/quantity.h"

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

// One archive as a read-only table: a row per record as the meter keeps
// them, in the order they were read, worded by arc::record_row. Views, the
// CSV file and the chart all read it; nothing can be typed into it.
class ArchiveTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit ArchiveTableModel(QObject *parent = nullptr);

    // The records of one read; `rows` more than them leaves the rows of
    // records not read empty (a read cut short).
    void set_records(const QList<arc::Record> &records, int version, const VolumeScale &scale, int rows = 0);
    // No rows: before a read, or when a new one starts.
    void clear();

    const QList<arc::Record> &records() const { return shown; }
    int version() const { return read_version; }
    const VolumeScale &scale() const { return read_scale; }
    // The texts of every record row as shown; empty rows of records not read left out.
    QList<QStringList> record_texts() const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<arc::Record> shown;
    QList<QStringList> texts; // worded once: a table of 512 rows is drawn often
    int read_version = 0;
    VolumeScale read_scale;
    int row_count = 0;
};
