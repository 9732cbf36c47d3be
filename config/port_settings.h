#pragma once

#include "meter/exchange_rules.h"

#include <QByteArray>
#include <QString>

// Serial line parameters and the four timer periods, kept in settings.txt.
struct PortSettings
{
    static constexpr int default_baud_rate = 9600;
    static constexpr int default_stop_bits = 1;
    static constexpr int default_parity = 0;
    static constexpr int default_main_ok_ms = 300;
    static constexpr int default_main_fail_ms = 1000;
    static constexpr int default_archive_ok_ms = 700;
    static constexpr int default_archive_fail_ms = 2000;

    int baud_rate = default_baud_rate;
    int stop_bits = default_stop_bits;
    int parity = default_parity; // 0 none, 1 odd, 2 even
    QString port_name;           // empty: the open probes for a port
    int main_ok_ms = default_main_ok_ms;
    int main_fail_ms = default_main_fail_ms;
    int archive_ok_ms = default_archive_ok_ms;
    int archive_fail_ms = default_archive_fail_ms;

    ExchangePeriods periods() const { return {main_ok_ms, main_fail_ms, archive_ok_ms, archive_fail_ms}; }

    bool operator==(const PortSettings &other) const;
    bool operator!=(const PortSettings &other) const { return !(*this == other); }
};

// A period the operator may set: 1 ms to 10 minutes.
bool is_valid_period(int ms);

// settings.txt: eight lines (port name, baud rate, stop bits, the main success
// and failure periods, the archive success and failure periods, parity code),
// each ended by "\n" (a save keeps "\r\n" when the file was typed with it), in
// the local 8-bit encoding. A line that is missing or not
// a number, or a period that is not positive, keeps the default; so does a
// port name longer than max_port_name_length or holding control characters.
constexpr int max_port_name_length = 255;
PortSettings parse_port_settings(const QByteArray &content);
QByteArray format_port_settings(const PortSettings &settings);

enum class SettingsLoad {
    loaded,
    missing,    // no file yet: defaults, and the first save creates it
    unreadable, // the file exists but cannot be opened, or the folder is not writable
};

// Reads the file into `settings`; leaves the defaults in place when it cannot.
SettingsLoad load_port_settings(const QString &path, PortSettings &settings);

// Replaces the file atomically: a crash or a full disk never leaves it cut short.
bool save_port_settings(const QString &path, const PortSettings &settings);
