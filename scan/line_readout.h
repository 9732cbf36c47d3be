#pragma once

// A whole line read in one pass: every meter of the list polled one after
// another, and every clock set; widget-free.

#include "link/exchange.h"
#include "link/frames.h"
#include "link/run_outcome.h"
#include "meter/poll.h"
#include "meter/write.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <optional>
#include <vector>

namespace scan {

// A row of the list of meters: its device address and its serial number as
// the serial addressing field takes it (empty when unknown).
struct ListedMeter
{
    int address = 0;
    QString serial;
};

// How each row is addressed: by its device address, unless several rows
// share it and the row has a serial number; meters on one address would
// answer together, so such a row is asked by its serial number.
QVector<MeterTarget> readout_targets(const QVector<ListedMeter> &rows);

// The poll step that reads the meter's clock.
constexpr int clock_step = 13;

// The computer's wall clock; tests set their own.
using WallClock = std::function<QDateTime()>;

// The meter's clock minus the computer's, in seconds. `meter_seconds` is
// the clock register (local wall time counted as UTC).
qint64 clock_offset_s(qint32 meter_seconds, const QDateTime &computer_time);

// What the pass made of one meter.
struct MeterReadout
{
    MeterTarget target;
    RunOutcome outcome;
    int attempts = 0;
    PollValues values; // of the last attempt, as far as it came
    std::optional<qint64> clock_offset_s;
    QDateTime read_at; // the computer's time when the meter's clock was read
};

// The pass: a full poll of each meter in the order given, by the poll's own
// rules, each meter starting with a clean slate. A meter that fails is asked
// once more after all the others, and then keeps its outcome.
class LineReadout : public Sequence
{
public:
    LineReadout(const QVector<MeterTarget> &targets, const QStringList &model_table, WallClock clock = {});

    bool finished() const override { return state != State::running; }
    // Meters done of the meters to do, the retries included once they are due.
    SequenceProgress progress() const override;
    ExchangeRequest next_request() override;
    void conclude(const ExchangeOutcome &outcome) override;

    const std::vector<MeterReadout> &meters() const { return read; }
    // The meter the last outcome belonged to, and whether it ended its turn.
    int last_meter() const { return last; }
    bool last_turn_ended() const { return turn_ended; }
    bool stopped() const { return state == State::stopped; }
    bool port_lost() const { return state == State::port_lost; }
    int ok_count() const;

private:
    enum class State { running, done, stopped, port_lost };

    void start_turn();
    void end_turn();

    QStringList models;
    WallClock now;
    std::vector<MeterReadout> read;
    QVector<int> turns; // indices into read: the first round, then the retries
    int turn = 0;
    std::optional<PollEngine> poll;
    bool first_request = true;
    State state = State::running;
    int last = -1;
    bool turn_ended = false;
};

// What the clock setting made of one meter.
struct ClockSetting
{
    MeterTarget target;
    RunOutcome outcome;                   // ok: set
    std::optional<qint32> clock;          // the meter's clock read back after the write
    std::optional<qint64> clock_offset_s; // of that read
    std::optional<quint32> sent;          // the clock value the write sent
};

// Whether "Установить время всем" sets a clock off by `offset_s` (unknown:
// nothing tells it is right) when only clocks off by more than `threshold_s`
// are to be set; without a threshold every clock is.
bool clock_needs_setting(std::optional<qint64> offset_s, std::optional<int> threshold_s);

// Sets each meter's clock to the computer's (the write sequence's clock
// item, taken the moment the request leaves and confirmed by the meter),
// then reads it back for the offset it now has.
class ClockSync : public Sequence
{
public:
    explicit ClockSync(const QVector<MeterTarget> &targets, WallClock clock = {});

    bool finished() const override { return state != State::running; }
    SequenceProgress progress() const override { return {turn, int(set.size())}; }
    ExchangeRequest next_request() override;
    void conclude(const ExchangeOutcome &outcome) override;

    const std::vector<ClockSetting> &meters() const { return set; }
    int last_meter() const { return last; }
    bool stopped() const { return state == State::stopped; }
    bool port_lost() const { return state == State::port_lost; }

private:
    enum class State { running, done, stopped, port_lost };

    void start_turn();

    WallClock now;
    std::vector<ClockSetting> set;
    int turn = 0;
    std::optional<WriteEngine> write;
    bool reading_back = false;
    bool first_request = true;
    State state = State::running;
    int last = -1;
};

} // namespace scan
