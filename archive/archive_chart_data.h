#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// What the archive chart draws: consumption per interval between successive
// archive records, and the ticks of its two axes. Widget-free.

namespace arc {

struct ConsumptionPoint
{
    QDateTime end;      // time of the later record, UTC like every meter time
    double value = 0.0; // m3, or counted units when no factor is known
};

// Records as cut by split_records, in any order (the meter keeps the newest
// first). Empty slots (event 7) and records without a valid time (negative)
// are left out; the rest are taken in time order and each reading is
// subtracted from the next one's. A drop (meter replaced or reset) stays
// negative. A scale of 0 leaves the counted units.
QList<ConsumptionPoint> consumption_series(const QList<QByteArray> &records, int version, double scale);

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
