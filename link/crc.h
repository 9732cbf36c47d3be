#pragma once

#include <QByteArray>
#include <QtGlobal>

// CRC-16/MODBUS: init 0xFFFF, reflected polynomial 0xA001, no final XOR.
// On the wire the CRC follows the frame, low byte first.
quint16 crc16(const uchar *data, int length);
quint16 crc16(const QByteArray &bytes);

// The frame with its CRC appended, low byte first.
QByteArray with_crc(QByteArray frame);

// True when the last two bytes are the CRC of everything before them.
bool crc_matches(const QByteArray &frame);
