#include "archive/records.h"

#include "meter/register_map.h"

namespace arc {

namespace {

constexpr int reverse_flow_version = 3;
constexpr int reverse_flow_offset = 10;

} // namespace

int record_length(int version)
{
    switch (version) {
    case 2: return 10;
    case 3: return 14;
    default: return 0;
    }
}

QList<QByteArray> split_records(const QList<QByteArray> &frames, int header_length, int record_length)
{
    QList<QByteArray> records;
    if (record_length <= 0)
        return records;
    for (const QByteArray &frame : frames) {
        const int payload = frame.size() - 2 - header_length;
        for (int at = 0; at + record_length <= payload; at += record_length)
            records.append(frame.mid(header_length + at, record_length));
    }
    return records;
}

Record decode_record(const QByteArray &record, int version)
{
    Record r;
    // Cut short, or erased memory never written: no record, shown as an empty slot.
    const bool erased = record.count(char(0xFF)) == record.size();
    if (record.size() < 10 || erased) {
        r.event = event_empty;
        return r;
    }
    r.time = dword_at(record, 0);
    r.reading = dword_at(record, 4);
    r.event = word_at(record, 8);
    if (version == reverse_flow_version && record.size() >= reverse_flow_offset + 4)
        r.reverse_flow = dword_at(record, reverse_flow_offset);
    return r;
}

} // namespace arc
