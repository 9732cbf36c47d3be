#pragma once

#include <QByteArray>
#include <QString>

// Why an answer was refused. Every refusal is handled by the sequences as an
// answer of the wrong length: wait, resend, give up.
enum class AnswerStatus {
    ok,
    too_short,
    too_long,
    bad_crc,
    wrong_address, // device address, or 0xFD and the six serial bytes; an exception from another address
    wrong_function,
    wrong_byte_count, // register reads: the count must be twice the registers asked for
    exception,        // a well-formed Modbus exception answer with the address byte asked
};

// Judges an answer to `request` that must be `expected_length` bytes long.
AnswerStatus check_answer(const QByteArray &answer, const QByteArray &request, int expected_length);

// An exception answer: 5 bytes, correct CRC, bit 7 set in the function code.
// A garbled 5-byte answer is not one.
bool is_exception_answer(const QByteArray &answer);

// The exception code of an exception answer, 0 for any other answer.
int exception_code(const QByteArray &answer);

// The operator's text for exception codes 1 to 3; empty for any other code.
QString exception_message(int code);

// Many USB-RS485 adapters hand back every byte sent before the meter's
// answer. Bytes that start with an exact copy of the request and go on beyond
// it lose the copy, and the line is known to echo (`line_echoes` set). On such
// a line the copy alone is not an answer: nothing from the meter yet (empty).
// An answer equal to the request on a line not known to echo is left as it is:
// a write's standard answer is its echo.
QByteArray strip_echo(const QByteArray &bytes, const QByteArray &request, bool *line_echoes);

// The answer at the end of `bytes`: a late answer of a device asked before
// may sit in front of it. An exception counts only from the device asked and
// for the function asked. Empty when the bytes do not end in one.
QByteArray answer_at_end(const QByteArray &bytes, const QByteArray &request, int expected_length);

// A short English name of the status, for test failures and diagnostics.
const char *answer_status_name(AnswerStatus status);
