#include "link/frames.h"

#include "link/crc.h"

namespace modbus {
namespace {

void put16(QByteArray &frame, quint16 value)
{
    frame.append(char(value >> 8));
    frame.append(char(value & 0xFF));
}

// The serial number travels as three 16-bit words, least significant word
// first, each word high byte first: b5 b6 b3 b4 b1 b2.
QByteArray address_part(const MeterTarget &target, quint8 function, quint8 serial_function)
{
    QByteArray frame;
    if (!target.by_serial) {
        frame.append(char(target.address));
        frame.append(char(function));
        return frame;
    }
    const SerialBytes &b = target.serial;
    frame.append(char(serial_address));
    frame.append(char(serial_function));
    for (int i : {4, 5, 2, 3, 0, 1})
        frame.append(char(b[size_t(i)]));
    return frame;
}

} // namespace

QByteArray read_registers_request(const MeterTarget &target, quint16 reg, quint16 count)
{
    QByteArray frame = address_part(target, read_registers, read_registers_sn);
    put16(frame, reg);
    put16(frame, count);
    return with_crc(frame);
}

QByteArray write_register_request(const MeterTarget &target, quint16 reg, quint16 value)
{
    QByteArray frame = address_part(target, write_register, write_register_sn);
    put16(frame, reg);
    put16(frame, value);
    return with_crc(frame);
}

QByteArray write_two_registers_request(const MeterTarget &target, quint16 reg, quint32 value)
{
    QByteArray frame = address_part(target, write_registers, write_registers_sn);
    put16(frame, reg);
    put16(frame, 2);
    frame.append(char(4));
    put16(frame, quint16(value & 0xFFFF));
    put16(frame, quint16(value >> 16));
    return with_crc(frame);
}

QByteArray write_registers_request(const MeterTarget &target, quint16 reg, const QVector<quint16> &values)
{
    QByteArray frame = address_part(target, write_registers, write_registers_sn);
    put16(frame, reg);
    put16(frame, quint16(values.size()));
    frame.append(char(2 * values.size()));
    for (quint16 value : values)
        put16(frame, value);
    return with_crc(frame);
}

QByteArray archive_block_request(const MeterTarget &target, quint8 type, quint16 index, quint8 count)
{
    QByteArray frame = address_part(target, read_archive, read_archive_sn);
    frame.append(char(type));
    put16(frame, index);
    frame.append(char(count));
    return with_crc(frame);
}

} // namespace modbus
