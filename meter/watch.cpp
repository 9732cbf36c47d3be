#include "meter/watch.h"

#include "meter/register_map.h"

namespace {

constexpr quint16 version_register = 0x0009;
constexpr quint16 model_register = 0x0008;
constexpr quint16 serial_register = 0x0004;
constexpr quint16 clock_register = 0x1000;
constexpr quint16 volume_register = 0x1002;
constexpr quint16 event_register = 0x1004;
constexpr quint16 reverse_register = 0x1005;

} // namespace

WatchEngine::WatchEngine(const MeterTarget &target, const QStringList &model_table,
                         const std::optional<WatchedMeter> &known)
    : meter(target)
    , models(model_table)
{
    if (known)
        info = *known;
    ask_info = !known;
}

// One register block at a time, as the poll reads them: a meter of version 2
// has no reverse-flow registers, so a read across them would be refused.
QVector<WatchEngine::Read> WatchEngine::plan() const
{
    QVector<Read> reads;
    if (ask_info)
        reads << Read{version_register, 1} << Read{model_register, 1} << Read{serial_register, 3};
    reads << Read{clock_register, 2} << Read{volume_register, 2} << Read{event_register, 1};
    // Until the version is known the round counts on the reverse flow.
    if (info.protocol_version < 0 || info.protocol_version == poll::reverse_flow_version)
        reads << Read{reverse_register, 2};
    return reads;
}

SequenceProgress WatchEngine::progress() const
{
    return {step, int(plan().size())};
}

ExchangeRequest WatchEngine::next_request()
{
    const Read read = plan().at(step);
    ExchangeRequest request;
    request.frame = modbus::read_registers_request(meter, read.reg, read.count);
    request.answer_length = modbus::read_answer_length(meter.by_serial, read.count);
    return request;
}

void WatchEngine::conclude(const ExchangeOutcome &outcome)
{
    if (!outcome.answered()) {
        failed_with = run_outcome(outcome);
        state = State::failed;
        return;
    }
    const Read read = plan().at(step);
    const int offset = modbus::read_data_offset(meter.by_serial);
    const QByteArray &a = outcome.answer;
    switch (read.reg) {
    case version_register: info.protocol_version = word_at(a, offset); break;
    case model_register: {
        const ModelLookup model = lookup_model(models, word_at(a, offset));
        info.scale = VolumeScale::of(model);
        if (model.end == ModelLookup::End::matched)
            info.model_name = model.name;
        break;
    }
    case serial_register: info.serial = serial_bytes(a.mid(offset, 6)); break;
    case clock_register: values.clock = dword_at(a, offset); break;
    case volume_register: values.volume = dword_at(a, offset); break;
    case event_register: values.event = word_at(a, offset); break;
    case reverse_register: values.reverse_volume = dword_at(a, offset); break;
    default: break;
    }
    ++step;
    if (step >= plan().size())
        state = State::complete;
}

std::optional<double> flow_per_hour(qint64 units_before, qint64 units_after, qint64 elapsed_ms, double factor)
{
    if (elapsed_ms <= 0)
        return std::nullopt;
    const double units = double(units_after - units_before) * (factor > 0.0 ? factor : 1.0);
    return units * 3600000.0 / double(elapsed_ms);
}
