#pragma once

// The search for meters on the line, widget-free: which addresses are asked,
// how long each answer may take and what is read from a meter that answers
// (model/scan_rows.h shows it).

#include "link/line_timing.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace scan {

constexpr int lowest_address = 1;
constexpr int highest_address = 247;
constexpr int default_wait_ms = 100;

struct AddressRange
{
    int first = lowest_address;
    int last = highest_address;

    int size() const { return last - first + 1; }
    bool operator==(const AddressRange &other) const { return first == other.first && last == other.last; }
};

// A range of device addresses, both ends included: 1 <= first <= last <= 247.
// 0 is the broadcast every meter obeys without answering, so never asked.
std::optional<AddressRange> address_range(int first, int last);

// The wait for an address not heard from: the line time of the request and
// its answer, the 3.5 characters the meter keeps silent before answering,
// and the operator's wait for its turnaround (behind a server, the network's
// round trip on top). Kept short: most addresses of
// a line are empty and each one costs this.
int probe_wait_ms(const LineTiming &line, int request_bytes, int answer_bytes, int operator_wait_ms);

// The wait for a meter that has answered once: as long as any sequence waits
// for a missing answer (the failure period, never less than the line time
// plus the turnaround allowance).
int meter_wait_ms(const LineTiming &line, int request_bytes, int answer_bytes, int fail_period_ms);

// The identification, in the order asked. The protocol version comes first:
// it is the question put to every address.
enum Field { protocol_version, software_version, model_code, serial_number, device_type, field_count };

struct Read
{
    quint16 reg = 0;
    quint16 count = 0;
};

const Read &identification_read(int field);

// What one device answered: the data bytes of each read (after the byte
// count, without the CRC), empty where it gave none.
struct MeterIdentity
{
    int address = 0;
    std::array<QByteArray, field_count> data;
    bool complete = false; // every read has been made, answered or not
    // Something answered the probe that is not an answer (garbage, a bad
    // CRC): a device at another rate or parity, or two devices colliding.
    // It is not asked on.
    bool garbled = false;
};

} // namespace scan
