#pragma once

#include "link/exchange.h"
#include "link/frames.h"
#include "link/run_outcome.h"

#include <QString>
#include <QVector>
#include <optional>

// Any holding register, read or written by a technician: the input checks,
// the ways a value is shown, and the engine.
namespace registers {

// A Modbus RTU frame holds at most 256 bytes; the serial-number form spends
// six of them on the serial number.
int max_read_count(bool by_serial);
int max_write_count(bool by_serial);

// A register number 0..65535, decimal or hex with "0x".
std::optional<quint16> parse_register(const QString &text);

// How many registers to read from `first`: 1..max_read_count, not past 0xFFFF.
std::optional<int> parse_count(const QString &text, quint16 first, bool by_serial);

enum class ValuesError { none, empty, not_a_number, out_of_range, too_many };

// Values separated by spaces, commas or semicolons, decimal (a minus sign
// allowed) or hex with "0x". A 16-bit value is -32768..65535; with `pairs`
// each is a 32-bit value (-2147483648..4294967295) that takes two registers,
// the low 16 bits first, as the meter keeps them. The registers must not run
// past 0xFFFF nor beyond what one frame holds.
struct ParsedValues
{
    QVector<quint16> words;
    ValuesError error = ValuesError::none;
    QString bad_token; // not_a_number, out_of_range: the value refused
};
ParsedValues parse_values(const QString &text, bool pairs, quint16 first, bool by_serial);

// One register as shown.
QString hex_text(quint16 value);      // "0x00FF"
QString unsigned_text(quint16 value); // "255"
QString signed_text(quint16 value);   // "-1" for 0xFFFF

// A register and the one after it as a 32-bit value, low register first.
quint32 pair_value(quint16 low, quint16 high);

} // namespace registers

// Reads registers, or writes them and reads them back: one request each.
class RegisterAccess : public Sequence
{
public:
    // Reads `count` registers from `first`.
    RegisterAccess(const MeterTarget &target, quint16 first, int count);
    // Writes `values` from `first` (one register: 0x06/0x42; more: 0x10/0x43),
    // then reads them back.
    RegisterAccess(const MeterTarget &target, quint16 first, const QVector<quint16> &values);

    bool finished() const override { return state != State::running; }
    SequenceProgress progress() const override;
    ExchangeRequest next_request() override;
    void conclude(const ExchangeOutcome &outcome) override;

    bool writes() const { return !to_write.isEmpty(); }
    bool succeeded() const { return state == State::done; }
    // The meter confirmed the write (the read-back may still have failed).
    bool write_confirmed() const { return written; }
    // What the read (or the read-back) returned.
    const QVector<quint16> &values() const { return read; }
    const QVector<quint16> &values_written() const { return to_write; }
    quint16 first_register() const { return first; }
    const MeterTarget &target() const { return meter; }
    // The outcome that ended the run early.
    const RunOutcome &failure() const { return failed_with; }

private:
    enum class State { running, done, failed };

    MeterTarget meter;
    quint16 first = 0;
    int count = 0;
    QVector<quint16> to_write;
    bool written = false;
    QVector<quint16> read;
    State state = State::running;
    RunOutcome failed_with;
};
