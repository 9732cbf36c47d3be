#pragma once

#include <QByteArray>

// A 32-bit value as the meter sends it: two registers, low word first, each
// word high byte first (0x12345678 goes out as 56 78 12 34).
inline QByteArray dword(qint32 value)
{
    const quint32 v = quint32(value);
    QByteArray bytes;
    bytes += char(v >> 8);
    bytes += char(v);
    bytes += char(v >> 24);
    bytes += char(v >> 16);
    return bytes;
}

// Deterministic binary garbage: every byte value, line ends and commas included.
inline QByteArray garbage(int size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &c : bytes) {
        seed = seed * 1664525u + 1013904223u;
        c = char(seed >> 24);
    }
    return bytes;
}
