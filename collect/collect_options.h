#pragma once

// The collector's command line, parsed whole before anything is read.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

namespace collect {

struct Options
{
    QString lines_file;
    QString journal;        // a file, or postgresql://user@host:port/database
    int every_s = 0;        // 0: --once
    int clock_limit_s = -1; // --set-clock-over; -1: clocks are left alone
    bool consumption = false;
    QDateTime from, to; // --consumption, local time
    QString out;        // --consumption: the CSV file; empty: the table on stdout
    QString status;     // --status: the monitoring file rewritten after every round; empty: none
};

// `arguments` without the program's name. No value, and `error` says why,
// for anything it does not take.
std::optional<Options> parse_options(const QStringList &arguments, QString *error);

// The usage text.
QString usage();

} // namespace collect
