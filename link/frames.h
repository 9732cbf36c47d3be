#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>
#include <array>

// The six bytes b1..b6 of a meter's 48-bit serial number, b1 most significant.
using SerialBytes = std::array<quint8, 6>;

// Where a request goes: a device address, or (address 0xFD) a serial number
// through the meter's own function codes.
struct MeterTarget
{
    bool by_serial = false;
    quint8 address = 1;
    SerialBytes serial{};
};

// The same meter, addressed the same way.
inline bool same_meter(const MeterTarget &a, const MeterTarget &b)
{
    return a.by_serial == b.by_serial && (a.by_serial ? a.serial == b.serial : a.address == b.address);
}

namespace modbus {

constexpr quint8 serial_address = 0xFD;

// Device-address function codes and their serial-number counterparts.
constexpr quint8 read_registers = 0x03;
constexpr quint8 write_register = 0x06;
constexpr quint8 write_registers = 0x10;
constexpr quint8 read_archive = 0x44;
constexpr quint8 read_registers_sn = 0x41;
constexpr quint8 write_register_sn = 0x42;
constexpr quint8 write_registers_sn = 0x43;
constexpr quint8 read_archive_sn = 0x45;

// Bytes before the fields of a frame: address and function code, or 0xFD,
// function code and the six serial bytes.
inline int address_part_length(bool by_serial)
{
    return by_serial ? 8 : 2;
}

// Offset of the first data byte in a register-read answer (after the byte count).
inline int read_data_offset(bool by_serial)
{
    return address_part_length(by_serial) + 1;
}

// Expected answer lengths.
inline int read_answer_length(bool by_serial, int registers)
{
    return address_part_length(by_serial) + 1 + 2 * registers + 2;
}
inline int write_answer_length(bool by_serial)
{
    return address_part_length(by_serial) + 6;
}
inline int archive_header_length(bool by_serial)
{
    return address_part_length(by_serial) + 4;
}
inline int archive_answer_length(bool by_serial, int records, int record_length)
{
    return archive_header_length(by_serial) + records * record_length + 2;
}

// Request frames, CRC included.
QByteArray read_registers_request(const MeterTarget &target, quint16 reg, quint16 count);
QByteArray write_register_request(const MeterTarget &target, quint16 reg, quint16 value);
// Two consecutive registers; the lower-numbered one holds the low 16 bits.
QByteArray write_two_registers_request(const MeterTarget &target, quint16 reg, quint32 value);
// Consecutive registers from `reg`, each high byte first (0x10/0x43).
QByteArray write_registers_request(const MeterTarget &target, quint16 reg, const QVector<quint16> &values);
QByteArray archive_block_request(const MeterTarget &target, quint8 type, quint16 index, quint8 count);

} // namespace modbus
