#include "archive/archive_summary.h"

#include "archive/archive_chart_data.h"
#include "archive/records.h"

namespace arc {

ArchiveSummary summarize_archive(const QList<QByteArray> &records, int type, int version, double scale)
{
    return summarize_archive(decode_records(records, version), type, scale);
}

ArchiveSummary summarize_archive(const QList<Record> &records, int type, double scale)
{
    ArchiveSummary summary;
    for (const Record &r : records) {
        if (r.empty() || r.time < 0)
            continue;
        const QDateTime time = QDateTime::fromSecsSinceEpoch(r.time, Qt::UTC);
        ++summary.records;
        if (!summary.first.isValid() || time < summary.first)
            summary.first = time;
        if (!summary.last.isValid() || time > summary.last)
            summary.last = time;
    }
    // A reading is taken at the end of its interval: the consumption up to
    // it belongs to the month the interval ran in (the first of February
    // closes January).
    const auto month_of = [](const QDateTime &t) {
        const QDate day = t.date();
        return QDate(day.year(), day.month(), 1);
    };
    const auto month_entry = [&summary](const QDate &month) -> MonthConsumption & {
        if (summary.months.isEmpty() || summary.months.last().month != month)
            summary.months.append({month, 0.0, true});
        return summary.months.last();
    };
    for (const ConsumptionPoint &point : consumption_series(records, type, scale)) {
        const QDate last = month_of(point.end.addSecs(-1));
        if (point.known) {
            month_entry(last).value += point.value;
            continue;
        }
        // Every month the unknown intervals ran in.
        for (QDate month = month_of(point.start.addSecs(1)); month <= last; month = month.addMonths(1))
            month_entry(month).known = false;
    }
    return summary;
}

} // namespace arc
