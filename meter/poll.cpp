#include "meter/poll.h"

#include "meter/register_map.h"

PollEngine::PollEngine(const MeterTarget &target, const QStringList &model_table)
    : meter(target)
    , models(model_table)
{ }

bool PollEngine::passes(int step) const
{
    return poll::step(step).reverse_flow && read.protocol_version != quint16(poll::reverse_flow_version);
}

// Version 2 meters are asked four reads fewer, known once step 1 has answered.
SequenceProgress PollEngine::progress() const
{
    const bool fewer = read.protocol_version && *read.protocol_version != poll::reverse_flow_version;
    return {answered, poll::step_count - 1 - (fewer ? 4 : 0)};
}

ExchangeRequest PollEngine::next_request()
{
    const poll::Step &registers = poll::step(current);
    ExchangeRequest request;
    request.frame = modbus::read_registers_request(meter, registers.reg, registers.count);
    request.answer_length = modbus::read_answer_length(meter.by_serial, registers.count);
    // A handful of request lines end with an empty line; operators are used
    // to the log's look, so it stays as it always was.
    request.blank_line_after = blank_line_due;
    return request;
}

void PollEngine::conclude(const ExchangeOutcome &outcome)
{
    last_step = current;
    if (!outcome.answered()) {
        state = State::failed;
        failed_with = run_outcome(outcome);
        return;
    }
    const QByteArray data = outcome.answer.mid(modbus::read_data_offset(meter.by_serial));
    // Meters speak version 2 or 3; anything else is another register's
    // answer or a garbled one, and would size and scale the rest wrongly.
    const int version = word_at(data, 0);
    if (current == 1 && version != 2 && version != poll::reverse_flow_version) {
        state = State::failed;
        failed_with = RunOutcome::Kind::bad_answer;
        return;
    }
    ++answered;
    decode(current, data);
    const bool device_mode = !meter.by_serial;
    blank_line_due = device_mode && current == 23;
    if (current == poll::step_count - 1) {
        state = State::complete;
        return;
    }
    ++current;
    if (passes(current)) {
        ++current; // nothing to ask here
        blank_line_due = device_mode;
    }
}

void PollEngine::decode(int step, const QByteArray &d)
{
    const quint16 w = word_at(d, 0);
    const qint32 dw = dword_at(d, 0);
    ArchivedReading *const archived[] = {&read.hour, &read.day, &read.month};
    if (step >= 17 && step <= 28) {
        ArchivedReading &r = *archived[(step - 17) / 4];
        switch ((step - 17) % 4) {
        case 0: r.time = dw; break;
        case 1: r.volume = dw; break;
        case 2: r.event = w; break;
        default: r.reverse = dw; break;
        }
        return;
    }
    switch (step) {
    case 1: read.protocol_version = w; break;
    case 2: read.software_version = w; break;
    case 3: read.software_id = w; break;
    case 4: read.build_number = w; break;
    case 5:
        read.model_code = w;
        read.model = lookup_model(models, w);
        break;
    case 6: read.k_number = w; break;
    case 7: read.border = w; break;
    case 8:
        if (d.size() >= 6)
            read.serial = serial_bytes(d);
        break;
    case 9: read.device_type = w; break;
    case 10: read.device_address = w; break;
    case 11: read.rate_code = w; break;
    case 12: read.parity_code = w; break;
    case 13: read.clock_seconds = dw; break;
    case 14: read.volume_units = dw; break;
    case 15: read.event = w; break;
    case 16: read.reverse_units = dw; break;
    case 29: read.save_date = w; break;
    case 30: read.compile_date = d.left(4); break;
    case 31: read.compile_time = d.left(4); break;
    default: break;
    }
}
