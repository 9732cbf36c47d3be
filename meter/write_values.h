#pragma once

#include "link/frames.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

// The items of the write block, in the order the write sequence sends them.
namespace write_item {
enum : int { address, exchange_rate, parity, save_date, clock, count };
}

// The register each item is written to; the clock takes two registers.
quint16 write_item_register(int item);

// The frame that writes `value` for `item`: one register (0x06/0x42), or
// for the clock two registers, low 16 bits first (0x10/0x43).
QByteArray write_item_request(const MeterTarget &target, int item, quint32 value);

// The save date: a whole number 0..65535.
std::optional<quint16> parse_save_date(const QString &text);

// A time typed as "dd.MM.yyyy hh:mm:ss"; no value when it does not parse.
// The result is the same wall time labelled UTC: the meter keeps local wall
// time as if it were UTC, and local time zones must not shift it.
std::optional<QDateTime> parse_meter_time(const QString &text);

// The computer's wall time, labelled UTC the same way.
QDateTime wall_time_as_utc(const QDateTime &local);

// The clock register value: seconds since 1970 of that wall time, low 32 bits.
quint32 meter_clock_value(const QDateTime &wall_time_utc);

// The wall times the clock register holds: a signed 32-bit count of seconds
// from 1970, 01.01.1970 00:00:00 .. 19.01.2038 03:14:07. Outside them the low
// 32 bits would set the meter to another date.
QDateTime meter_clock_first();
QDateTime meter_clock_last();
bool meter_clock_holds(const QDateTime &wall_time_utc);
