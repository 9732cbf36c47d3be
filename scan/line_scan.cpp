#include "scan/line_scan.h"

#include "link/answer_check.h"
#include "link/frames.h"

namespace scan {

LineScan::LineScan(const Settings &settings)
    : config(settings)
{
    prepare(config.range.first, protocol_version);
}

void LineScan::prepare(int address, int field)
{
    MeterTarget target;
    target.address = quint8(address);
    const Read &read = identification_read(field);
    current.address = address;
    current.field = field;
    current.request = modbus::read_registers_request(target, read.reg, read.count);
    current.answer_length = modbus::read_answer_length(false, read.count);
    current.wait_ms = field == protocol_version
        ? probe_wait_ms(config.line, current.request.size(), current.answer_length, config.wait_ms)
        : meter_wait_ms(config.line, current.request.size(), current.answer_length, config.fail_period_ms);
}

// The answer at the end of the bytes: a late answer of a device asked before
// may sit in front of it. An exception counts only from the device asked,
// for the function asked: check_answer takes any well-formed one.
QByteArray LineScan::answer_in(const QByteArray &bytes) const
{
    const QByteArray &request = current.request;
    const QByteArray data = bytes.right(current.answer_length);
    if (check_answer(data, request, current.answer_length) == AnswerStatus::ok)
        return data;
    const QByteArray refusal = bytes.right(5);
    if (is_exception_answer(refusal) && refusal[0] == request[0] && (quint8(refusal[1]) & 0x7F) == quint8(request[1]))
        return refusal;
    return QByteArray();
}

bool LineScan::is_answer(const QByteArray &answer) const
{
    return !finished() && !answer_in(answer).isEmpty();
}

LineScan::Step LineScan::conclude(const QByteArray &bytes)
{
    Step step;
    if (finished())
        return step;
    const QByteArray answer = answer_in(bytes);
    step.answered = !answer.isEmpty();

    if (current.field == protocol_version && step.answered) {
        MeterIdentity meter;
        meter.address = current.address;
        found.append(meter);
    }
    const bool identifying = step.answered || current.field != protocol_version;
    if (identifying) {
        MeterIdentity &meter = found.last();
        step.meter = found.size() - 1;
        if (step.answered && !is_exception_answer(answer)) {
            const int offset = modbus::read_data_offset(false);
            meter.data[size_t(current.field)] = answer.mid(offset, answer.size() - offset - 2);
        }
        const int next = current.field + 1;
        // A meter that falls silent is not asked on: each read would cost the long wait.
        if (step.answered && next < field_count && !stop_requested) {
            prepare(current.address, next);
            return step;
        }
        meter.complete = true;
    }
    if (stop_requested) {
        state = State::stopped;
        return step;
    }
    next_address();
    return step;
}

void LineScan::next_address()
{
    if (current.address >= config.range.last) {
        state = State::done;
        return;
    }
    prepare(current.address + 1, protocol_version);
}

} // namespace scan
