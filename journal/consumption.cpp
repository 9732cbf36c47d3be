#include "journal/consumption.h"

#include "archive/archive_export.h"
#include "archive/archive_geometry.h"
#include "archive/records.h"
#include "meter/register_map.h"
#include "meter/write_values.h"
#include "model/quantity.h"
#include "scan/line_readout.h"

#include <QCoreApplication>

namespace journal {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("consumption", text);
}

QString archive_name(int type)
{
    switch (type) {
    case archive_geometry::hourly: return tr("часовой архив");
    case archive_geometry::daily: return tr("суточный архив");
    default: return tr("месячный архив");
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
        if (!r.volume_units || distance >= best)
            continue;
        best = distance;
        found.units = r.volume_units;
        found.taken = quantity::computer_time(r.read_at.toLocalTime());
        found.source = tr("опрос");
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
            // An event-7 record shows no reading.
            if (distance >= best || r.event == arc::event_empty)
                continue;
            best = distance;
            found.units = r.reading;
            found.taken = quantity::clock(qint32(r.time));
            found.source = archive_name(type);
            const std::optional<qint64> offset = offset_near(readings, r.time);
            found.clock_off = offset && qAbs(*offset) > clock_off_limit_s;
            *factor = r.factor;
            *decimals = r.decimals;
        }
    }
    return found;
}

QString volume_or_empty(const std::optional<qint64> &units, double factor, int decimals)
{
    if (!units)
        return QString();
    // A meter kept in counts (its model unknown) says so.
    const VolumeScale scale{factor, decimals};
    const QString text = quantity::volume(*units, scale);
    return scale.known() ? text : quantity::with_unit(text, scale);
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

QStringList consumption_titles()
{
    return {tr("Метка"),
            tr("Серийный номер"),
            tr("Адрес"),
            tr("Линия"),
            tr("Показания на начало"),
            tr("Взято"),
            tr("Откуда"),
            tr("Показания на конец"),
            tr("Взято"),
            tr("Откуда"),
            tr("Расход"),
            tr("Единицы"),
            tr("Отметки")};
}

QStringList consumption_texts(const ConsumptionRow &row)
{
    QStringList marks;
    if (!row.from.units)
        marks << tr("нет показаний на начало");
    if (!row.to.units)
        marks << tr("нет показаний на конец");
    if (row.clock_off())
        marks << tr("часы счетчика расходятся более чем на 10 минут");
    const std::optional<qint64> used
        = row.complete() ? std::optional<qint64>(*row.to.units - *row.from.units) : std::nullopt;
    return {row.label,
            row.serial,
            row.address,
            row.line,
            volume_or_empty(row.from.units, row.factor, row.decimals),
            row.from.taken,
            row.from.source,
            volume_or_empty(row.to.units, row.factor, row.decimals),
            row.to.taken,
            row.to.source,
            volume_or_empty(used, row.factor, row.decimals),
            row.factor == 0.0 ? tr("ед.") : tr("м3"),
            marks.join(QStringLiteral(", "))};
}

QByteArray consumption_csv(const QList<ConsumptionRow> &rows, const QDateTime &from, const QDateTime &to)
{
    const QString format = QStringLiteral("dd.MM.yyyy hh:mm");
    QString text = arc::csv_line({arc::csv_field(tr("Расход за период")), arc::csv_field(from.toString(format)),
                                  arc::csv_field(to.toString(format))});
    text += arc::csv_line({});
    QList<QStringList> texts;
    for (const ConsumptionRow &row : rows)
        texts << consumption_texts(row);
    // Column 1 is the serial number.
    text += arc::csv_rows(consumption_titles(), texts, 1);
    return arc::csv_file(text);
}

} // namespace journal
