#pragma once

// Turns one received request into the meter's answer. Pure: no I/O, no
// timing; the line decides when and how the bytes go out.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include "meter.h"

namespace sim {

// CRC-16/MODBUS, appended low byte first.
quint16 crc16(const QByteArray &bytes);
QByteArray with_crc(QByteArray frame);
bool crc_ok(const QByteArray &frame);

// Lower-case hex bytes separated by spaces, as in the logs.
QString hex(const QByteArray &bytes);
bool parse_hex(const QString &text, QByteArray *bytes);

// Whitespace-separated words; no empty ones.
QStringList words_of(const QString &text);

// Length of the request that starts the buffer, from its known layout:
// > 0 the length, 0 when more bytes are needed to tell, -1 when the start
// matches no request layout of this meter family.
int request_length(const QByteArray &buffer);

// The register a read or write request starts at; -1 for archive reads and
// anything else without one.
int request_register(const QByteArray &request);

enum class destination { other, meter, broadcast };

struct handled
{
    destination to = destination::other;
    int meter = -1;    // index into the meters for destination::meter
    QByteArray answer; // empty: nothing to send
    QString note;      // a few words for the log
};

// The frame has a valid CRC. Writes are applied to the meters.
handled handle_request(QVector<meter> *meters, const QByteArray &frame);

} // namespace sim
