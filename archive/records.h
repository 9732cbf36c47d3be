#pragma once

#include "meter/volume_scale.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QtGlobal>

// Archive answers and records: cutting answer frames into records and
// decoding them. Widget-free; model/archive_rows.h shows them.

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
    qint32 reading = 0; // counted units
    quint16 event = 0;
    qint32 reverse_flow = 0; // counted units; version 3 only, else 0
};

// One record of record_length(version) bytes. A record too short or all 0xFF
// (a slot the meter never wrote) decodes as an empty slot (event_empty).
Record decode_record(const QByteArray &record, int version);

} // namespace arc
