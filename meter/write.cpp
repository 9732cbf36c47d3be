#include "meter/write.h"

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
    return {confirmed.size(), total};
}

ExchangeRequest WriteEngine::next_request()
{
    quint32 value = *items[size_t(item)];
    if (item == write_item::clock && computer_clock)
        value = meter_clock_value(wall_time_as_utc(QDateTime::currentDateTime()));
    ExchangeRequest request;
    request.frame = write_item_request(meter, item, value);
    request.answer_length = modbus::write_answer_length(meter.by_serial);
    request.blank_line_after = true;
    return request;
}

// A write counts only when the meter confirms it: a correct answer from the
// meter written to.
void WriteEngine::conclude(const ExchangeOutcome &outcome)
{
    if (!outcome.answered()) {
        failure = outcome;
        state = State::failed;
        return;
    }
    confirmed.append(item);
    ++item;
    skip_unset();
}
