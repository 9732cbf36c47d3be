#include "journal/consumption.h"

#include "archive/archive_geometry.h"
#include "archive/records.h"
#include "meter/write_values.h"
#include "scan/line_readout.h"

namespace journal {

namespace {

ReadingAt::Source source_of(int type)
{
    switch (type) {
    case archive_geometry::hourly: return ReadingAt::Source::hourly;
    case archive_geometry::daily: return ReadingAt::Source::daily;
    default: return ReadingAt::Source::monthly;
    }
}

// The meter's clock less the computer's at the reading nearest `wall` (the
// meter's wall time, seconds as UTC), if any reading kept it.
std::optional<qint64> offset_near(const QList<ReadingRow> &readings, qint64 wall)
{
    std::optional<qint64> offset;
    qint64 best = 0;
    for (const ReadingRow &r : readings) {
        if (!r.meter_clock)
            continue;
        const qint64 at = *r.meter_clock;
        if (!offset || qAbs(at - wall) < best) {
            best = qAbs(at - wall);
            offset = scan::clock_offset_s(qint32(*r.meter_clock), r.read_at.toLocalTime());
        }
    }
    return offset;
}

// The reading nearest `moment` within [low, high): each reading stands for
// the end of the period it is nearer to, never for both.
ReadingAt reading_at(Store &store, const QString &serial, const QDateTime &moment, const QDateTime &low,
                     const QDateTime &high, double *factor, int *decimals)
{
    ReadingAt found;
    qint64 best = nearest_within_s;
    const QDateTime utc = moment.toUTC();
    const QList<ReadingRow> readings = store.readings(serial, low.toUTC(), high.toUTC());
    for (const ReadingRow &r : readings) {
        const qint64 distance = qAbs(r.read_at.secsTo(utc));
        // A negative volume is the meter's mark for none, as in its archive.
        if (!r.volume_units || *r.volume_units < 0 || distance >= best)
            continue;
        best = distance;
        found.units = r.volume_units;
        found.taken = r.read_at.toLocalTime();
        found.source = ReadingAt::Source::poll;
        found.clock_off = r.meter_clock
            && qAbs(scan::clock_offset_s(qint32(*r.meter_clock), r.read_at.toLocalTime())) > clock_off_limit_s;
        *factor = r.factor;
        *decimals = r.decimals;
    }
    // Archive records carry the meter's wall time: the moment as the meter tells it.
    const QDateTime wall_utc = wall_time_as_utc(moment);
    const qint64 wall = wall_utc.toSecsSinceEpoch();
    for (int type = archive_geometry::hourly; type <= archive_geometry::monthly; ++type) {
        for (const ArchiveRecordRow &r :
             store.archive_records(serial, type, wall_time_as_utc(low), wall_time_as_utc(high))) {
            const qint64 distance = qAbs(r.time - wall);
            // The journal keeps what the meter sent: a record without a value among them.
            if (distance >= best || !as_record(r).holds_value())
                continue;
            best = distance;
            found.units = r.reading;
            found.taken = QDateTime::fromSecsSinceEpoch(r.time, Qt::UTC);
            found.source = source_of(type);
            const std::optional<qint64> offset = offset_near(readings, r.time);
            found.clock_off = offset && qAbs(*offset) > clock_off_limit_s;
            *factor = r.factor;
            *decimals = r.decimals;
        }
    }
    return found;
}

} // namespace

QList<ConsumptionRow> consumption(Store &store, const QDateTime &from, const QDateTime &to)
{
    QList<ConsumptionRow> rows;
    for (const MeterRow &m : store.meters()) {
        ConsumptionRow row;
        row.label = m.label;
        row.serial = m.serial;
        row.address = m.address;
        row.line = m.line;
        row.factor = m.factor;
        row.decimals = m.decimals;
        double factor = m.factor;
        int decimals = m.decimals;
        const QDateTime middle = from.addSecs(from.secsTo(to) / 2);
        row.from = reading_at(store, m.serial, from, from.addSecs(-nearest_within_s), middle, &factor, &decimals);
        row.to = reading_at(store, m.serial, to, middle, to.addSecs(nearest_within_s), &factor, &decimals);
        if (row.complete()) {
            row.factor = factor;
            row.decimals = decimals;
        }
        rows.append(row);
    }
    return rows;
}

} // namespace journal
