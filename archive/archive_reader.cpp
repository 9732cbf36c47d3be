#include "archive/archive_reader.h"

#include "archive/archive_geometry.h"
#include "archive/records.h"
#include "meter/register_map.h"

namespace {

constexpr quint16 version_register = 0x0009;
constexpr quint16 model_register = 0x0008;
constexpr quint16 serial_register = 0x0004;
constexpr int serial_registers = 3;

int blocks_of(int version, int type)
{
    const int step = archive_geometry::block_step(version);
    return (archive_geometry::depth(version, type) + step - 1) / step;
}

} // namespace

ArchiveReader::ArchiveReader(int version, const MeterTarget &target, const QVector<int> &types)
    : protocol_version(version)
    , meter(target)
    , wanted(types)
{
    if (wanted.isEmpty())
        wanted = {archive_geometry::hourly, archive_geometry::daily, archive_geometry::monthly};
    reading.type = wanted.first();
    if (version != 0 && !archive_geometry::is_supported_version(version)) {
        state = State::failed;
        failed_with = RunOutcome::Kind::bad_answer;
    }
}

ArchiveReader::ArchiveReader(const MeterTarget &target, const QStringList &model_table)
    : ArchiveReader(0, target)
{
    ask_model = true;
    models = model_table;
    // Addressed by its serial number, the meter is named by it already.
    ask_serial = !target.by_serial;
}

bool ArchiveReader::version_unsupported() const
{
    return !archive_geometry::is_supported_version(protocol_version);
}

SequenceProgress ArchiveReader::progress() const
{
    if (version_unsupported())
        return {0, 0};
    int total = 0;
    for (int type : wanted)
        total += blocks_of(protocol_version, type);
    return {blocks, total};
}

int ArchiveReader::records_total() const
{
    if (version_unsupported())
        return 0;
    int total = 0;
    for (int type : wanted)
        total += archive_geometry::depth(protocol_version, type);
    return total;
}

ExchangeRequest ArchiveReader::next_request()
{
    ExchangeRequest request;
    if (protocol_version == 0) {
        request.frame = modbus::read_registers_request(meter, version_register, 1);
        request.answer_length = modbus::read_answer_length(meter.by_serial, 1);
        return request;
    }
    if (ask_model && !asked_code) {
        request.frame = modbus::read_registers_request(meter, model_register, 1);
        request.answer_length = modbus::read_answer_length(meter.by_serial, 1);
        return request;
    }
    if (ask_serial && !asked_serial) {
        request.frame = modbus::read_registers_request(meter, serial_register, serial_registers);
        request.answer_length = modbus::read_answer_length(meter.by_serial, serial_registers);
        return request;
    }
    const int count = archive_geometry::block_size(protocol_version, reading.type, index);
    request.frame = modbus::archive_block_request(meter, quint8(reading.type), quint16(index), quint8(count));
    request.answer_length = modbus::archive_answer_length(meter.by_serial, count, arc::record_length(protocol_version));
    return request;
}

// Only the exact answer to a block counts: a short, garbled or shifted block
// would show an archive with records missing or misplaced.
void ArchiveReader::conclude(const ExchangeOutcome &outcome)
{
    if (!outcome.answered()) {
        state = State::failed;
        failed_with = run_outcome(outcome);
        if (!reading.frames.isEmpty()) {
            reading.whole = false;
            completed.append(reading);
        }
        return;
    }
    if (protocol_version == 0) {
        protocol_version = word_at(outcome.answer, modbus::read_data_offset(meter.by_serial));
        // No archive is sized by a version other than 2 or 3: the answer is bad data.
        if (version_unsupported()) {
            state = State::failed;
            failed_with = RunOutcome::Kind::bad_answer;
        }
        return;
    }
    if (ask_model && !asked_code) {
        asked_code = word_at(outcome.answer, modbus::read_data_offset(meter.by_serial));
        asked_model = lookup_model(models, *asked_code);
        return;
    }
    if (ask_serial && !asked_serial) {
        asked_serial = serial_bytes(outcome.answer.mid(modbus::read_data_offset(meter.by_serial)));
        return;
    }
    reading.frames.append(outcome.answer);
    ++blocks;
    records += archive_geometry::block_size(protocol_version, reading.type, index);
    index += archive_geometry::block_step(protocol_version);
    while (archive_geometry::is_complete(protocol_version, reading.type, index)) {
        completed.append(reading);
        index = 0;
        const int next = wanted.indexOf(reading.type) + 1;
        if (next >= wanted.size()) {
            state = State::complete;
            return;
        }
        reading.frames.clear();
        reading.type = wanted.at(next);
    }
}

QVector<ReadArchive> ArchiveReader::take_completed()
{
    QVector<ReadArchive> taken;
    taken.swap(completed);
    return taken;
}
