#pragma once

#include "link/exchange.h"
#include "link/frames.h"
#include "link/run_outcome.h"
#include "meter/write_values.h"

#include <QVector>

#include <array>
#include <optional>

// The items to write, each with its value; an item without one is not written.
using WriteValues = std::array<std::optional<quint32>, write_item::count>;

// The port settings that reach the meter once it has taken `value` for an
// address, a rate or a parity code; empty for the other items.

// Whether a write's answer repeats the request as the meter confirms a
// write: the register written and the value or count.
bool write_echo_matches(const QByteArray &request, const QByteArray &answer);

// What became of one item of a write, as the operator is shown it.
struct WriteItemResult
{
    enum class Kind { not_sent, confirmed, refused };
    Kind kind = Kind::not_sent;
    // confirmed: ok; refused: why (model/outcome_words.h words it).
    RunOutcome outcome;
    // confirmed: the value written. A new address, rate or parity is what
    // the next exchange needs once the meter takes it (it may do so only
    // after a restart, so the run itself goes on as before).
    quint32 value = 0;
};

// The write: the items of the write block in their order, one request each,
// each confirmed by the meter before the next leaves. The first item the
// meter does not confirm ends the write; the items before it stay written.
class WriteEngine : public Sequence
{
public:
    // `clock_from_computer`: the clock item takes the computer's wall time
    // at the moment its request leaves, whatever its value says.
    WriteEngine(const MeterTarget &target, const WriteValues &values, bool clock_from_computer);

    bool finished() const override { return state != State::running; }
    SequenceProgress progress() const override;
    ExchangeRequest next_request() override;
    void conclude(const ExchangeOutcome &outcome) override;

    bool succeeded() const { return state == State::confirmed; }
    // The outcome of the item that was not confirmed.
    const RunOutcome &refusal() const { return failure; }
    // Items confirmed so far, in order.
    const QVector<int> &confirmed_items() const { return confirmed; }
    const MeterTarget &target() const { return meter; }
    // The value of `item` as sent (the computer's clock as it left).
    quint32 item_value(int which) const { return items[size_t(which)].value_or(0); }
    // The result of `item` (a write_item value) so far.
    WriteItemResult item_result(int item) const;

private:
    enum class State { running, confirmed, failed };

    void skip_unset();

    MeterTarget meter;
    WriteValues items;
    bool computer_clock;
    State state = State::running;
    int item = 0;
    RunOutcome failure;
    QVector<int> confirmed;
    QByteArray sent; // the request of the current item
};
