#pragma once

#include "link/frames.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The poll cycle's register map and the decoders of the meter's values.
// All of it is widget-free; the poll cycle moves the results into the form.

namespace poll {

constexpr int step_count = 32; // step 0 sends the first read, steps 1..31 take the answers

struct Step
{
    quint16 reg = 0;           // first register read for this step
    quint16 count = 0;         // registers read
    bool reverse_flow = false; // read only from protocol version 3 meters
};

// The registers that step k (1..31) awaits; step 0 has none.
const Step &step(int k);

// Steps 15, 19, 23 and 27 precede a reverse-flow read that version 2 meters lack.
constexpr int reverse_flow_version = 3;

} // namespace poll

// One register, high byte first; 0 past the end of the data.
inline quint16 word_at(const QByteArray &data, int offset)
{
    if (offset < 0 || offset + 2 > data.size())
        return 0;
    return quint16(quint8(data[offset]) << 8 | quint8(data[offset + 1]));
}

// Registers 0x0004..0x0006, least significant register first (6 data
// bytes), in the order the serial addressing takes them: b1 first.
SerialBytes serial_bytes(const QByteArray &data);

// Two registers, the lower-numbered one holding the low 16 bits.
qint32 dword_at(const QByteArray &data, int offset);

// Register 0x0301: the item of "0 - 1200" .. "3 - 9600", -1 for an unknown code.
int exchange_rate_index(quint16 code);

// Register 0x0302: the item of the parity/stop-bit list, -1 for an unknown code.
int parity_index(quint16 code);
// The code written for an item of that list.
quint16 parity_code(int index);
