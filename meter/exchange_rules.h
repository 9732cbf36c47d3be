#pragma once

// The waiting rules of every kind of run, built in one place from the four
// periods the operator sets (the port settings, or a collector's line entry),
// so that a window and the collector wait for one meter alike.

#include "link/exchange.h"

// The success and failure periods of the ordinary requests and of the
// archive's, in milliseconds.
struct ExchangePeriods
{
    int ok_ms = 300;
    int fail_ms = 1000;
    int archive_ok_ms = 700;
    int archive_fail_ms = 2000;
};

namespace exchange_rules {

// A write's answer is a copy of its request, as an echoing adapter's is: what
// has come is looked at this often, not taken the moment it is whole.
constexpr int write_look_ms = 100;

// The poll: the success period while the meter answers in time, the failure
// period after a first miss; a first bad answer is dropped without a log line.
ExchangeRules poll(const ExchangePeriods &periods);
// The archive read, by the archive's own periods.
ExchangeRules archive(const ExchangePeriods &periods);
// One wait of the failure period per write and no resend: a write repeated
// after a lost confirmation would be written twice. The clock setting of the
// line table, of commissioning and of the collector writes by these too.
ExchangeRules write(const ExchangePeriods &periods);
// The register window: one wait and no resend for a read as for a write; a
// write's answer is looked at as the write's.
ExchangeRules registers(const ExchangePeriods &periods, bool writes);
// The watch: the poll's waits, every bad answer in the log.
ExchangeRules watch(const ExchangePeriods &periods);
// The search over addresses: one wait per address, and a silent address is no
// failure of the line.
ExchangeRules search(const ExchangePeriods &periods);
// Commissioning's lookup by serial number: a serial number not on the line
// costs one wait, as it has no answer to resend.
ExchangeRules serial_lookup(const ExchangePeriods &periods);
// A pass over a whole line (the line table's "Считать все", the collector's
// round): the poll's rules, but each request gets its own wait and resend, as
// two faults anywhere in a meter's many reads would end it on a noisy line.
ExchangeRules line_pass(const ExchangePeriods &periods);
// The collector's archive reads within its round, by the archive's periods.
ExchangeRules line_pass_archive(const ExchangePeriods &periods);

} // namespace exchange_rules
