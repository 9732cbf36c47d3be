#include "archive/archive_reader.h"

#include "archive/archive_geometry.h"
#include "archive/records.h"

ArchiveReader::ArchiveReader(int protocol_version, const MeterTarget &target)
    : version(protocol_version)
    , meter(target)
{
    reading.type = archive_geometry::hourly;
}

ExchangeRequest ArchiveReader::next_request()
{
    const int count = archive_geometry::block_size(version, reading.type, index);
    ExchangeRequest request;
    request.frame = modbus::archive_block_request(meter, quint8(reading.type), quint16(index), quint8(count));
    request.answer_length = modbus::archive_answer_length(meter.by_serial, count, arc::record_length(version));
    return request;
}

// Only the exact answer to a block counts: a short, garbled or shifted block
// would show an archive with records missing or misplaced.
void ArchiveReader::conclude(const ExchangeOutcome &outcome)
{
    if (!outcome.answered()) {
        state = State::failed;
        failed_with = outcome.kind;
        return;
    }
    reading.frames.append(outcome.answer);
    index += archive_geometry::block_step(version);
    while (archive_geometry::is_complete(version, reading.type, index)) {
        completed.append(reading);
        index = 0;
        if (reading.type == archive_geometry::monthly) {
            state = State::complete;
            return;
        }
        reading.frames.clear();
        ++reading.type;
    }
}

QVector<ReadArchive> ArchiveReader::take_completed()
{
    QVector<ReadArchive> taken;
    taken.swap(completed);
    return taken;
}
