#pragma once

#include "journal/journal_store.h"
#include "model/quantity.h"

#include <QAbstractTableModel>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

// The journal window's tables over the rows the journal hands back; read-only.
// A new reading adds rows at the end instead of reloading them all.

// The meters the journal knows, each with its last reading.
class JournalMetersModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    // Meters that only moved on keep their rows (and the view its selection).
    void set_meters(const QList<journal::MeterRow> &meters);
    const QList<journal::MeterRow> &meters() const { return rows; }
    // None: a default row with no serial.
    journal::MeterRow meter(const QString &serial) const;
    int row_of(const QString &serial) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<journal::MeterRow> rows;
};

// One meter's readings, by the computer's clock.
class JournalReadingsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void set_rows(const QList<journal::ReadingRow> &readings);
    void append_rows(const QList<journal::ReadingRow> &readings);
    const QList<journal::ReadingRow> &readings() const { return rows; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<journal::ReadingRow> rows;
};

// One meter's records of one archive, numbered from 0 and shown as the
// archive window shows them; the header's unit is the records' own, or the
// meter's while there are none.
class JournalRecordsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void set_rows(const QList<journal::ArchiveRecordRow> &records, int version, const VolumeScale &meter_scale);
    void append_rows(const QList<journal::ArchiveRecordRow> &records);
    const QList<journal::ArchiveRecordRow> &records() const { return rows; }
    VolumeScale scale() const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<journal::ArchiveRecordRow> rows;
    int version = -1;
    VolumeScale meter_scale{1.0, 0}; // cubic metres until a meter is picked
};

// A date range as typed into the journal window ("dd.MM.yyyy"): refused with
// the word the window shows when a date is not whole or FROM is after TO.
struct TypedRange
{
    QDate from, to;
    QString refused; // empty: the range is good
};
TypedRange typed_range(const QString &from, const QString &to);
