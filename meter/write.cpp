#include "meter/write.h"

#include <QCoreApplication>

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

WriteItemResult WriteEngine::item_result(int which) const
{
    WriteItemResult result;
    if (confirmed.contains(which)) {
        result.kind = WriteItemResult::Kind::confirmed;
        result.text = QCoreApplication::translate("write", "Записано");
    } else if (state == State::failed && which == item) {
        result.kind = WriteItemResult::Kind::refused;
        result.text = exception_message(failure.exception_code);
        if (result.text.isEmpty())
            result.text = QCoreApplication::translate("write", "Запись не подтверждена");
    }
    return result;
}
