#include "meter/write.h"

// A one-register write is answered with a copy of itself; a several-register
// write with its address part, first register and count.
bool write_echo_matches(const QByteArray &request, const QByteArray &answer)
{
    if (request.size() < 2)
        return false;
    const bool by_serial = quint8(request[0]) == modbus::serial_address;
    const quint8 function = quint8(request[1]);
    if (function == modbus::write_register || function == modbus::write_register_sn)
        return answer == request;
    const int fields = modbus::address_part_length(by_serial) + 4;
    return answer.size() >= fields && answer.left(fields) == request.left(fields);
}

WriteEngine::WriteEngine(const MeterTarget &target, const WriteValues &values, bool clock_from_computer)
    : meter(target)
    , items(values)
    , computer_clock(clock_from_computer)
{
    skip_unset();
}

// Items not checked cost no time on the line.
void WriteEngine::skip_unset()
{
    while (item < write_item::count && !items[size_t(item)])
        ++item;
    if (item == write_item::count)
        state = State::confirmed;
}

SequenceProgress WriteEngine::progress() const
{
    int total = 0;
    for (const std::optional<quint32> &value : items)
        total += value ? 1 : 0;
    return {int(confirmed.size()), total};
}

ExchangeRequest WriteEngine::next_request()
{
    quint32 value = *items[size_t(item)];
    if (item == write_item::clock && computer_clock) {
        value = meter_clock_value(wall_time_as_utc(QDateTime::currentDateTime()));
        items[size_t(item)] = value; // what was sent, for the operator's record
    }
    ExchangeRequest request;
    request.frame = write_item_request(meter, item, value);
    sent = request.frame;
    request.answer_length = modbus::write_answer_length(meter.by_serial);
    request.blank_line_after = true;
    return request;
}

// A write counts only when the meter confirms it: a correct answer from the
// meter written to, repeating what was written.
void WriteEngine::conclude(const ExchangeOutcome &outcome)
{
    if (!outcome.answered() || !write_echo_matches(sent, outcome.answer)) {
        // Anything but the meter's refusal or the end of the run leaves the
        // write unconfirmed: it may or may not have been written.
        failure = run_outcome(outcome);
        if (failure.kind != RunOutcome::Kind::exception && !failure.ends_run())
            failure = RunOutcome::Kind::not_confirmed;
        state = State::failed;
        return;
    }
    confirmed.append(item);
    ++item;
    skip_unset();
}

WriteItemResult WriteEngine::item_result(int which) const
{
    WriteItemResult result;
    if (confirmed.contains(which)) {
        result.kind = WriteItemResult::Kind::confirmed;
        result.value = *items[size_t(which)];
        result.outcome = RunOutcome::Kind::ok;
    } else if (state == State::failed && which == item) {
        result.kind = WriteItemResult::Kind::refused;
        result.outcome = failure;
    }
    return result;
}
