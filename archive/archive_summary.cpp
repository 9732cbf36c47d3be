#include "archive/archive_summary.h"

#include "archive/archive_chart_data.h"
#include "archive/records.h"

namespace arc {

ArchiveSummary summarize_archive(const QList<QByteArray> &records, int version, double scale)
{
    ArchiveSummary summary;
    for (const QByteArray &bytes : records) {
        const Record r = decode_record(bytes, version);
        if (r.event == event_empty || r.time < 0)
            continue;
        const QDateTime time = QDateTime::fromSecsSinceEpoch(r.time, Qt::UTC);
        ++summary.records;
        if (!summary.first.isValid() || time < summary.first)
            summary.first = time;
        if (!summary.last.isValid() || time > summary.last)
            summary.last = time;
    }
    for (const ConsumptionPoint &point : consumption_series(records, version, scale)) {
        // A reading is taken at the end of its interval: the consumption up to
        // it belongs to the month the interval ran in (the first of February
        // closes January).
        const QDate day = point.end.addSecs(-1).date();
        const QDate month(day.year(), day.month(), 1);
        if (summary.months.isEmpty() || summary.months.last().month != month)
            summary.months.append({month, 0.0});
        summary.months.last().value += point.value;
    }
    return summary;
}

} // namespace arc
