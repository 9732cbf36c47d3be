#pragma once

// What one simulated meter holds: its identity, its registers and the
// generator behind its three archives. No I/O here, so it can be tested
// directly.

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

namespace sim {

// Modbus exception codes the meter answers with.
enum exception_code {
    no_exception = 0,
    illegal_function = 1,
    illegal_address = 2,
    illegal_value = 3,
};

// Archive types as they travel in the request.
enum archive_type { hourly = 1, daily = 2, monthly = 3 };

// Record i of an archive is computed, not stored: time, reading and reverse
// flow move by a fixed step per record, and a few rules sprinkle in the
// records the program has to show as "--".
struct archive_generator
{
    qint64 start = 0;    // time of record 0, seconds
    qint64 step = -3600; // seconds per record (negative: going back)
    int step_months = 0; // when not 0, a calendar step that replaces step
    qint32 reading = 0;
    qint32 reading_step = 0;
    qint32 reverse = 0;
    qint32 reverse_step = 0;
    quint16 event = 0;
    int event7_every = 0, event7_first = 0;
    int negative_reading_every = 0, negative_reading_first = 0;
    int negative_reverse_every = 0, negative_reverse_first = 0;
    int filled = -1; // records from this index on are blank (0xFF); -1: none
};

struct archive_record
{
    bool blank = false;
    qint32 time = -1;
    qint32 reading = -1;
    quint16 event = 0xFFFF;
    qint32 reverse = -1;
};

class meter
{
public:
    meter();

    quint8 address = 1; // the address it answers on (a written 0x0300 waits for a restart)
    // A new meter still at its factory address: it may share it with other
    // such meters, and they all answer a frame to it at once.
    bool factory_address = false;
    quint64 serial = 0; // 48 bits, b1 the most significant byte
    int version = 3;    // protocol version: 2 or 3
    bool clock_running = false;
    // The line settings it listens at; 0 and -1: whatever the master uses.
    int baud = 0;
    int parity = -1; // 0 none, 1 odd, 2 even
    // Counted units the current volume grows by per second of the stand-in's
    // run (a flow on a test bench); 0: the volume stays as stored.
    int flow_per_second = 0;

    QMap<quint16, quint16> registers; // stored and overriding registers
    archive_generator archives[3];    // hourly, daily, monthly
    QStringList faults;               // permanent faults from the meter file
    QMap<quint16, int> forced_exceptions;

    // Time source for a running clock; replaceable by tests.
    qint64 (*monotonic_ms)() = nullptr;

    // Serial bytes in the order they travel: b5 b6 b3 b4 b1 b2.
    QByteArray serial_wire() const;

    bool has_register(quint16 reg) const;
    quint16 read(quint16 reg) const; // 0 for a register that does not exist
    // Checks a write without doing it: 0 or an exception code.
    int check_write(quint16 reg, quint16 value) const;
    // Stores the value when check_write allows it; returns check_write's code.
    int write(quint16 reg, quint16 value);
    // Stores unconditionally (control channel and meter file).
    void set(quint16 reg, quint16 value);

    quint32 clock() const;
    void set_clock(quint32 seconds);

    int archive_depth(int type) const;
    int record_size() const { return version == 2 ? 10 : 14; }
    archive_record record(int type, int index) const;
    QByteArray record_bytes(int type, int index) const;

private:
    bool is_reverse_register(quint16 reg) const;
    bool derived(quint16 reg, quint16 *value) const;

    qint64 clock_value = 0;
    qint64 clock_set_at_ms = 0;
};

// A 32-bit value as two registers, low word first, each word high byte first.
QByteArray dword_bytes(qint32 value);

// Parses "2024-01-30 15:00:00" (meter time: wall clock counted as UTC) or a
// plain number of seconds.
bool parse_time(const QString &text, qint64 *seconds);
// Hex with 0x or decimal, optionally negative.
bool parse_number(const QString &text, qint64 *value);
// A register number 0..0xFFFF, decimal or 0x hex.
bool parse_register(const QString &text, quint16 *reg);

// The meter described by the built-in meter file.
const meter &builtin_meter();
QString builtin_meter_text();

// Reads a meter file: `key = value` lines, `#` comments, `[meter]` sections.
// Every meter starts as a copy of base. Returns false with "line N: ..." in
// error on the first bad line.
bool parse_meter_file(const QString &text, const meter &base, QVector<meter> *meters, QString *error);
// The same with the built-in meter as base.
bool parse_meter_file(const QString &text, QVector<meter> *meters, QString *error);

} // namespace sim
