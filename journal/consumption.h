#pragma once

// The billing clerk's view: for every meter of the journal, the reading at
// the start and at the end of a period and what was used between them.

#include "journal/journal_store.h"

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
    enum class Source { none, poll, hourly, daily, monthly };

    // None: no reading near the moment. Never negative: the meter's mark
    // for no value is no reading.
    std::optional<qint64> units;
    // When: a poll by the computer's clock (local time), a record by the
    // meter's (its wall time, as UTC).
    QDateTime taken;
    Source source = Source::none;
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

// `from` and `to` are the computer's local time. Each end takes the valid
// reading nearest its moment: a poll's volume, or an archive record that
// holds a value (not an empty slot, not the event 7, not a negative reading).
QList<ConsumptionRow> consumption(Store &store, const QDateTime &from, const QDateTime &to);

} // namespace journal
