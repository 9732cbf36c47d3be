#pragma once

// The billing clerk's view: for every meter of the journal, the reading at
// the start and at the end of a period and what was used between them.

#include "journal/journal_store.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace journal {

// A reading taken this far from the moment asked for, or farther, is no
// reading of that moment.
constexpr qint64 nearest_within_s = 24 * 3600;
// A meter whose clock is off by more than this is marked: its archive's
// times, and the moment its reading stands for, are that far off too.
constexpr qint64 clock_off_limit_s = 600;

struct ReadingAt
{
    std::optional<qint64> units; // none: no reading near the moment
    QString taken;               // when, as shown: the computer's time of a poll, the meter's of a record
    QString source;              // "опрос" or the archive's name
    bool clock_off = false;
};

struct ConsumptionRow
{
    QString label, serial, address, line;
    double factor = 0.0; // 0: counted units
    int decimals = 0;
    ReadingAt from, to;

    bool complete() const { return from.units && to.units; }
    bool clock_off() const { return from.clock_off || to.clock_off; }
};

// `from` and `to` are the computer's local time.
QList<ConsumptionRow> consumption(Store &store, const QDateTime &from, const QDateTime &to);

// As the archive export writes: UTF-8 with a byte-order mark, ";", decimal
// commas; the serial number kept as text so that its leading zeros stay.
QByteArray consumption_csv(const QList<ConsumptionRow> &rows, const QDateTime &from, const QDateTime &to);

// The column titles, and one row's texts as a table shows them.
QStringList consumption_titles();
QStringList consumption_texts(const ConsumptionRow &row);

} // namespace journal
