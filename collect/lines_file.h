#pragma once

// The collector's lines file: which lines to read, how to reach each (a
// serial port, or a serial device server over TCP), its waits and its
// meters. Parsed whole before anything is read: a file with any fault is
// refused with the place of the first one.

#include "link/frames.h"

#include <QByteArray>
#include <QFile>
#include <QJsonParseError>
#include <QString>
#include <QVector>
#include <optional>

namespace collect {

struct MeterEntry
{
    int address = 0; // 1..247; 0: addressed by its serial number
    QString serial;  // 12 lower-case hex digits, or empty
    QString label;   // the apartment or account, as the clerk knows it

    MeterTarget target() const;
    // "адрес 7" or "0012345678ab", as the output names the meter.
    QString id_text() const;
};

struct LineEntry
{
    QString name;
    QString port; // a serial port, or empty when the line is behind a server
    QString host;
    int tcp_port = 0;
    int baud_rate = 9600;
    int parity = 0; // 0 none, 1 odd, 2 even
    int stop_bits = 1;
    int ok_ms = 300, fail_ms = 1000;
    int archive_ok_ms = 700, archive_fail_ms = 2000;
    QVector<MeterEntry> meters;

    bool networked() const { return port.isEmpty(); }
};

struct LinesFile
{
    QVector<LineEntry> lines;
};

// What is wrong with a file that is not JSON, in the operator's words.
QString json_error_words(QJsonParseError::ParseError error);

// Why a file that would not open cannot be read, in the operator's words
// (QFile's own are the system's, in English on many a Windows).
QString unreadable_file_words(const QFile &file);

// `text` as read from `file_name`. On a fault, no value and `error` says
// "FILE:LINE:COLUMN: ..." with the key at fault.
std::optional<LinesFile> parse_lines(const QByteArray &text, const QString &file_name, QString *error);

} // namespace collect
