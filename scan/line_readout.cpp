#include "scan/line_readout.h"

#include "link/answer_check.h"
#include "link/serial_number.h"
#include "meter/register_map.h"
#include "meter/write_values.h"

#include <QHash>

namespace scan {

namespace {

QDateTime wall_now(const WallClock &clock)
{
    return clock ? clock() : QDateTime::currentDateTime();
}

qint32 clock_in(const MeterTarget &target, const QByteArray &answer)
{
    return dword_at(answer.mid(modbus::read_data_offset(target.by_serial)), 0);
}

} // namespace

QVector<MeterTarget> readout_targets(const QVector<ListedMeter> &rows)
{
    QHash<int, int> rows_on;
    for (const ListedMeter &row : rows)
        ++rows_on[row.address];
    QVector<MeterTarget> targets;
    for (const ListedMeter &row : rows) {
        MeterTarget target;
        target.address = quint8(row.address);
        const std::optional<SerialBytes> serial = pack_serial_number(row.serial);
        if (rows_on.value(row.address) > 1 && serial) {
            target.by_serial = true;
            target.serial = *serial;
        }
        targets.append(target);
    }
    return targets;
}

qint64 clock_offset_s(qint32 meter_seconds, const QDateTime &computer_time)
{
    return qint64(meter_seconds) - qint64(meter_clock_value(wall_time_as_utc(computer_time)));
}

LineReadout::LineReadout(const QVector<MeterTarget> &targets, const QStringList &model_table, WallClock clock)
    : models(model_table)
    , now(std::move(clock))
{
    for (int i = 0; i < targets.size(); ++i) {
        MeterReadout meter;
        meter.target = targets[i];
        read.push_back(meter);
        turns.append(i);
    }
    start_turn();
}

void LineReadout::start_turn()
{
    if (turn >= turns.size()) {
        poll.reset();
        state = State::done;
        return;
    }
    MeterReadout &meter = read[size_t(turns[turn])];
    ++meter.attempts;
    meter.values = PollValues();
    meter.clock_offset_s.reset();
    meter.read_at = QDateTime();
    poll.emplace(meter.target, models);
    first_request = true;
}

SequenceProgress LineReadout::progress() const
{
    return {turn, int(turns.size())};
}

ExchangeRequest LineReadout::next_request()
{
    ExchangeRequest request = poll->next_request();
    request.new_meter = first_request;
    first_request = false;
    return request;
}

void LineReadout::conclude(const ExchangeOutcome &outcome)
{
    turn_ended = false;
    if (finished())
        return;
    last = turns[turn];
    MeterReadout &meter = read[size_t(last)];
    poll->conclude(outcome);
    meter.values = poll->values();
    if (outcome.answered() && poll->step() == clock_step) {
        meter.read_at = wall_now(now);
        meter.clock_offset_s = clock_offset_s(clock_in(meter.target, outcome.answer), meter.read_at);
    }
    if (!poll->finished())
        return;
    turn_ended = true;
    meter.outcome = poll->complete() ? RunOutcome::Kind::ok : poll->failure();
    end_turn();
}

void LineReadout::end_turn()
{
    const RunOutcome &outcome = read[size_t(last)].outcome;
    if (outcome.ends_run()) {
        poll.reset();
        state = outcome.kind == RunOutcome::Kind::stopped ? State::stopped : State::port_lost;
        return;
    }
    if (!outcome.ok() && read[size_t(last)].attempts == 1)
        turns.append(last);
    ++turn;
    start_turn();
}

int LineReadout::ok_count() const
{
    int count = 0;
    for (const MeterReadout &meter : read)
        count += meter.outcome.ok() ? 1 : 0;
    return count;
}

bool clock_needs_setting(std::optional<qint64> offset_s, std::optional<int> threshold_s)
{
    return !threshold_s || !offset_s || qAbs(*offset_s) > *threshold_s;
}

ClockSync::ClockSync(const QVector<MeterTarget> &targets, WallClock clock)
    : now(std::move(clock))
{
    for (const MeterTarget &target : targets) {
        ClockSetting meter;
        meter.target = target;
        set.push_back(meter);
    }
    start_turn();
}

void ClockSync::start_turn()
{
    reading_back = false;
    first_request = true;
    if (turn >= int(set.size())) {
        write.reset();
        state = State::done;
        return;
    }
    WriteValues values;
    values[write_item::clock] = 0; // the computer's time replaces it as the request leaves
    write.emplace(set[size_t(turn)].target, values, true);
}

ExchangeRequest ClockSync::next_request()
{
    ExchangeRequest request;
    if (reading_back) {
        const MeterTarget &target = set[size_t(turn)].target;
        const poll::Step &clock = poll::step(clock_step);
        request.frame = modbus::read_registers_request(target, clock.reg, clock.count);
        request.answer_length = modbus::read_answer_length(target.by_serial, clock.count);
        request.blank_line_after = true;
    } else {
        request = write->next_request();
        set[size_t(turn)].sent = write->item_value(write_item::clock);
    }
    request.new_meter = first_request;
    first_request = false;
    return request;
}

void ClockSync::conclude(const ExchangeOutcome &outcome)
{
    if (finished())
        return;
    last = turn;
    ClockSetting &meter = set[size_t(turn)];
    const RunOutcome ended = run_outcome(outcome);
    if (ended.ends_run()) {
        // A write may have reached the meter: the read-back is what would tell.
        if (meter.outcome.kind == RunOutcome::Kind::pending)
            meter.outcome = ended;
        write.reset();
        state = ended.kind == RunOutcome::Kind::stopped ? State::stopped : State::port_lost;
        return;
    }
    if (reading_back) {
        // A clock set but not read back keeps "?" for its offset.
        if (outcome.answered()) {
            meter.clock = clock_in(meter.target, outcome.answer);
            meter.clock_offset_s = clock_offset_s(*meter.clock, wall_now(now));
        }
        ++turn;
        start_turn();
        return;
    }
    write->conclude(outcome);
    if (!write->finished())
        return;
    if (write->succeeded()) {
        meter.outcome = RunOutcome::Kind::ok;
        reading_back = true;
        return;
    }
    meter.outcome = write->refusal();
    ++turn;
    start_turn();
}

} // namespace scan
