#include "scan/line_scan.h"

#include "link/answer_check.h"
#include "link/crc.h"
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

bool LineScan::is_answer(const QByteArray &answer) const
{
    return !finished() && !answer_at_end(answer, current.request, current.answer_length).isEmpty();
}

LineScan::Step LineScan::conclude(const QByteArray &bytes)
{
    Step step;
    if (finished())
        return step;
    const QByteArray answer = answer_at_end(bytes, current.request, current.answer_length);
    step.answered = !answer.isEmpty();

    // A device that answers what cannot be understood is listed, and not asked on.
    const bool garbled = current.field == protocol_version && !step.answered && heard_garbled(bytes);
    if (current.field == protocol_version && (step.answered || garbled)) {
        MeterIdentity meter;
        meter.address = current.address;
        meter.garbled = garbled;
        found.append(meter);
    }
    const bool identifying = step.answered || garbled || current.field != protocol_version;
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

bool LineScan::heard_garbled(const QByteArray &bytes) const
{
    QByteArray heard = bytes;
    if (heard.startsWith(current.request)) // an echoing adapter's copy
        heard.remove(0, current.request.size());
    if (heard.isEmpty())
        return false;
    // A whole frame of another device is a late answer to an earlier request.
    const bool other_device = crc_matches(heard) && heard.size() >= 4 && quint8(heard[0]) != current.address;
    return !other_device;
}

ExchangeRequest LineScan::next_request()
{
    ExchangeRequest request;
    request.frame = current.request;
    request.answer_length = current.answer_length;
    request.wait_ms = current.wait_ms;
    request.answer_at_end = true;
    return request;
}

void LineScan::conclude(const ExchangeOutcome &outcome)
{
    if (outcome.kind == ExchangeOutcome::Kind::port_lost) {
        // The adapter is gone: what was not asked is not known.
        lost = true;
        stop();
    } else if (outcome.kind == ExchangeOutcome::Kind::stopped) {
        stop();
    }
    last = conclude(outcome.answer);
}

SequenceProgress LineScan::progress() const
{
    const int total = config.range.size();
    return {finished() ? total : current.address - config.range.first, total};
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
