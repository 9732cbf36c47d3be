#include "meter/register_map.h"

#include <QDateTime>

namespace poll {

namespace {

const Step steps[step_count] = {
    {},                // 0: sends the first read
    {0x0009, 1},       // 1: protocol version
    {0x0000, 1},       // 2: software version
    {0x0001, 1},       // 3: software identifier
    {0x0090, 1},       // 4: build number
    {0x0008, 1},       // 5: model code
    {0x0002, 1},       // 6: K number
    {0x0003, 1},       // 7: electronics-block threshold
    {0x0004, 3},       // 8: serial number
    {0x0304, 1},       // 9: device type
    {0x0300, 1},       // 10: device address
    {0x0301, 1},       // 11: exchange-rate code
    {0x0302, 1},       // 12: parity and stop bits
    {0x1000, 2},       // 13: meter time
    {0x1002, 2},       // 14: current volume
    {0x1004, 1},       // 15: current event
    {0x1005, 2, true}, // 16: current reverse flow
    {0x1100, 2},       // 17: start of the hour: time
    {0x1102, 2},       // 18: volume
    {0x1104, 1},       // 19: event
    {0x1105, 2, true}, // 20: reverse flow
    {0x1200, 2},       // 21: last day: time
    {0x1202, 2},       // 22: volume
    {0x1204, 1},       // 23: event
    {0x1205, 2, true}, // 24: reverse flow
    {0x1300, 2},       // 25: monthly journal: time
    {0x1302, 2},       // 26: volume
    {0x1304, 1},       // 27: event
    {0x1305, 2, true}, // 28: reverse flow
    {0x0303, 1},       // 29: save date
    {0x0092, 2},       // 30: compile date
    {0x0094, 2},       // 31: compile time
};

} // namespace

const Step &step(int k)
{
    return steps[qBound(0, k, step_count - 1)];
}

} // namespace poll

SerialBytes serial_bytes(const QByteArray &data)
{
    SerialBytes serial{};
    int k = 0;
    for (int i : {4, 5, 2, 3, 0, 1})
        serial[k++] = i < data.size() ? quint8(data[i]) : 0;
    return serial;
}

qint32 dword_at(const QByteArray &data, int offset)
{
    const quint32 low = word_at(data, offset);
    const quint32 high = word_at(data, offset + 2);
    return qint32(high << 16 | low);
}

int exchange_rate_index(quint16 code)
{
    return code <= 3 ? int(code) : -1;
}

namespace {

const quint16 parity_codes[] = {0x0001, 0x0002, 0x0201, 0x0202, 0x0301, 0x0302};

} // namespace

int parity_index(quint16 code)
{
    for (int i = 0; i < 6; ++i) {
        if (parity_codes[i] == code)
            return i;
    }
    return -1;
}

quint16 parity_code(int index)
{
    return index >= 0 && index < 6 ? parity_codes[index] : parity_codes[0];
}
