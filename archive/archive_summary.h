#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>

// What a report says of an archive: how many records it holds, the time
// span they cover, and the consumption per calendar month. Widget-free.

namespace arc {

struct Record;

struct MonthConsumption
{
    QDate month;        // the first day of the month
    double value = 0.0; // m3, or counted units without a factor
    bool known = true;  // false: an interval of the month lies beside a missing record
};

struct ArchiveSummary
{
    int records = 0; // records with a valid time; empty slots left out
    QDateTime first, last;
    QList<MonthConsumption> months; // oldest first
};

// Consumption between successive records counts to the month in which the
// later record's interval ended (a reading at 1 February 00:00 closes January).
// A month with an interval of unknown consumption (arc::consumption_of) is not
// known. `type` as in arc::consumption_series.
ArchiveSummary summarize_archive(const QList<QByteArray> &records, int type, int version, double scale);
ArchiveSummary summarize_archive(const QList<Record> &records, int type, double scale);

} // namespace arc
