#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QVector>

// What the archive chart draws: consumption per interval between successive
// archive records, and the ticks of its two axes. Widget-free.

namespace arc {

struct Record;

struct ConsumptionPoint
{
    QDateTime start;    // time of the earlier record
    QDateTime end;      // time of the later record, UTC like every meter time
    double value = 0.0; // m3, or counted units when no factor is known
    // False for an interval beside a missing record: start and end span the
    // intervals whose consumption is not known, and value says nothing.
    bool known = true;
};

// One record's time and reading as a chart sees it; a reading below 0 is the
// meter's mark for none. A scale of 0 leaves the counted units.
struct ArchiveReading
{
    qint64 time = 0;
    qint64 units = 0;
    double scale = 0.0;
};

// Consumption per interval of an archive of `type` (1 hourly, 2 daily,
// 3 monthly; another type takes any two successive readings), readings in any
// order. Only two successive records less than one and a half time steps
// apart (an hour, a day, a month of 30 days) that both hold a reading give a
// value; between any others, one point not known. A drop (meter replaced or
// reset) stays negative.
QList<ConsumptionPoint> consumption_of(QVector<ArchiveReading> readings, int type);

// The same from records as cut by split_records (the meter keeps the newest
// first). Empty slots (event 7) and records without a valid time (negative)
// are missing records.
QList<ConsumptionPoint> consumption_series(const QList<QByteArray> &records, int type, int version, double scale);
QList<ConsumptionPoint> consumption_series(const QList<Record> &records, int type, double scale);

// Round values (1, 2 or 5 times a power of ten apart), at most max_count of
// them, from at or below `low` to at or above `high`.
QList<double> value_ticks(double low, double high, int max_count);

struct TimeTicks
{
    QList<QDateTime> ticks;
    QString format; // QDateTime::toString format for the labels
};

// Round times (whole minutes, hours, days or months) within [from, to], at
// most max_count of them, the finest step that allows it.
TimeTicks time_ticks(const QDateTime &from, const QDateTime &to, int max_count);

} // namespace arc
