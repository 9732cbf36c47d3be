#include "archive/archive_chart_data.h"

#include "archive/records.h"

#include <algorithm>
#include <cmath>

namespace arc {

namespace {

// The nominal time step of an archive; a month counts 30 days, which keeps
// 28 to 31 days within half a step. 0: not known.
qint64 step_seconds(int type)
{
    switch (type) {
    case 1: return 3600;
    case 2: return 86400;
    case 3: return 30 * 86400;
    default: return 0;
    }
}

} // namespace

QList<ConsumptionPoint> consumption_of(QVector<ArchiveReading> readings, int type)
{
    std::stable_sort(readings.begin(), readings.end(),
                     [](const ArchiveReading &a, const ArchiveReading &b) { return a.time < b.time; });
    const qint64 step = step_seconds(type);
    QList<ConsumptionPoint> points;
    for (int i = 1; i < readings.size(); ++i) {
        const ArchiveReading &a = readings.at(i - 1);
        const ArchiveReading &b = readings.at(i);
        const qint64 apart = b.time - a.time;
        ConsumptionPoint p;
        p.start = QDateTime::fromSecsSinceEpoch(a.time, Qt::UTC);
        p.end = QDateTime::fromSecsSinceEpoch(b.time, Qt::UTC);
        // Across a missing record the difference is two intervals' or more:
        // no interval of it is known.
        p.known = a.units >= 0 && b.units >= 0 && apart > 0 && (step == 0 || 2 * apart < 3 * step);
        if (p.known) {
            const qint64 units = b.units - a.units;
            p.value = b.scale == 0.0 ? double(units) : double(units) * b.scale;
        }
        points.append(p);
    }
    return points;
}

QList<ConsumptionPoint> consumption_series(const QList<QByteArray> &records, int type, int version, double scale)
{
    return consumption_series(decode_records(records, version), type, scale);
}

QList<ConsumptionPoint> consumption_series(const QList<Record> &records, int type, double scale)
{
    QVector<ArchiveReading> readings;
    for (const Record &r : records) {
        // A negative reading stays: the intervals beside it are not known.
        if (r.empty() || r.time < 0)
            continue;
        readings.append({r.time, r.reading, scale});
    }
    return consumption_of(readings, type);
}

QList<double> value_ticks(double low, double high, int max_count)
{
    max_count = qMax(max_count, 2);
    if (!(high > low))
        high = low + 1.0;
    double magnitude = std::pow(10.0, std::floor(std::log10((high - low) / max_count)));
    for (;;) {
        for (const double factor : {1.0, 2.0, 5.0}) {
            const double step = factor * magnitude;
            // The small slack keeps a bound that is a multiple of the step from
            // being pushed one step out by rounding.
            const qint64 first = qint64(std::floor(low / step + 1e-9));
            const qint64 last = qint64(std::ceil(high / step - 1e-9));
            if (last - first + 1 <= max_count) {
                QList<double> ticks;
                for (qint64 i = first; i <= qMax(last, first + 1); ++i)
                    ticks << double(i) * step;
                return ticks;
            }
        }
        magnitude *= 10.0;
    }
}

namespace {

constexpr qint64 minute = 60;
constexpr qint64 hour = 60 * minute;
constexpr qint64 day = 24 * hour;

const char *const time_format = "dd.MM\nhh:mm";
const char *const day_format = "dd.MM.yy";
const char *const month_format = "MM.yyyy";

// Ticks at whole multiples of `step` seconds since 1970, or nothing when
// there would be more than max_count.
QList<QDateTime> second_ticks(qint64 from, qint64 to, qint64 step, int max_count)
{
    QList<QDateTime> ticks;
    qint64 t = from >= 0 ? (from + step - 1) / step * step : from / step * step;
    for (; t <= to; t += step) {
        if (ticks.size() == max_count)
            return {};
        ticks << QDateTime::fromSecsSinceEpoch(t, Qt::UTC);
    }
    return ticks;
}

// Ticks on the first of every `step`-th month (counted from January of year 0).
QList<QDateTime> month_ticks(const QDateTime &from, const QDateTime &to, int step, int max_count)
{
    const QDate start = from.date();
    QDateTime t(QDate(start.year(), start.month(), 1), QTime(0, 0), Qt::UTC);
    auto month_index = [](const QDateTime &at) { return at.date().year() * 12 + at.date().month() - 1; };
    while (t < from || month_index(t) % step != 0)
        t = t.addMonths(1);
    QList<QDateTime> ticks;
    for (; t <= to; t = t.addMonths(step)) {
        if (ticks.size() == max_count)
            return {};
        ticks << t;
    }
    return ticks;
}

} // namespace

TimeTicks time_ticks(const QDateTime &from, const QDateTime &to, int max_count)
{
    max_count = qMax(max_count, 1);
    const qint64 a = from.toSecsSinceEpoch();
    const qint64 b = to.toSecsSinceEpoch();
    const struct
    {
        qint64 seconds;
        const char *format;
    } second_steps[] = {
        {10 * minute, time_format}, {15 * minute, time_format}, {30 * minute, time_format}, {hour, time_format},
        {2 * hour, time_format},    {3 * hour, time_format},    {6 * hour, time_format},    {12 * hour, time_format},
        {day, day_format},          {2 * day, day_format},      {7 * day, day_format},      {14 * day, day_format},
    };
    for (const auto &s : second_steps) {
        QList<QDateTime> ticks = second_ticks(a, b, s.seconds, max_count);
        if (!ticks.isEmpty())
            return {ticks, QLatin1String(s.format)};
    }
    for (const int months : {1, 2, 3, 6, 12, 24, 60, 120, 240, 600, 1200}) {
        QList<QDateTime> ticks = month_ticks(from.toUTC(), to.toUTC(), months, max_count);
        if (!ticks.isEmpty())
            return {ticks, QLatin1String(month_format)};
    }
    // Narrower than the finest step: the start alone, to the minute.
    return {{from.toUTC()}, QLatin1String(time_format)};
}

} // namespace arc
