#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

// Archive answers and records: cutting answer frames into records and
// decoding them into values that know when they hold none. Widget-free and
// text-free: model/archive_texts words them.

namespace arc {

constexpr int column_count = 5;
constexpr int event_empty = 7; // the meter marks an unused slot with this event

// Bytes per record for a protocol version; 0 for a version without archives.
int record_length(int version);

// Records of every frame, in order: the bytes between the header and the two
// CRC bytes cut into whole records; a short tail of a frame is dropped.
QList<QByteArray> split_records(const QList<QByteArray> &frames, int header_length, int record_length);

struct Record
{
    qint32 time = 0;    // seconds since 1970 UTC
    qint32 reading = 0; // counted units; below 0: the meter's mark for none
    quint16 event = 0;
    qint32 reverse_flow = 0; // counted units; version 3 only, else 0
    bool erased = false;     // a slot the meter never wrote (all 0xFF), or cut short

    // No values at all: an erased slot, or one the meter marked unused (event 7).
    bool empty() const { return erased || event == event_empty; }
    // A reading that may be billed: the meter writes a negative one into a
    // record that holds none.
    bool holds_value() const { return !empty() && reading >= 0; }
};

// One record of record_length(version) bytes. A record too short or all 0xFF
// (a slot the meter never wrote) decodes as erased, with the event 7.
Record decode_record(const QByteArray &record, int version);

// Records as cut by split_records, decoded.
QList<Record> decode_records(const QList<QByteArray> &records, int version);

// The records of one archive's answer frames (12-byte headers when asked by
// serial number, else 6), decoded.
QList<Record> archive_records(const QList<QByteArray> &frames, bool by_serial, int version);

} // namespace arc
