#pragma once

#include "meter/quantity.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// Archive tables as one CSV file, and the atomic file write the save buttons
// share. Widget-free.

namespace arc {

// One archive: the texts of its record rows as its table shows them.
struct CsvSection
{
    QString name;
    QList<QStringList> rows;
};

// The meter the archives were read from and when, the file's first lines.
struct CsvHeader
{
    QString serial;
    QString model;
    QString version;
    QDateTime read_at; // the computer's local time; invalid: left empty
    VolumeScale scale; // names the unit of the volume columns
};

// A CSV file a spreadsheet in a Russian locale opens as it is: UTF-8 with a
// byte-order mark, ";" between fields, CRLF line ends, decimal commas. The
// header's four lines and an empty line, then each section: its name, the
// column titles, its rows and an empty line.
QByteArray archive_csv(const CsvHeader &header, const QList<CsvSection> &sections);

// A table text as a value of the file: a number with a decimal comma, "--"
// (no value) empty, any other text as it is.
QString csv_value(const QString &shown);

// One field, quoted when it holds the separator, a quote or a line break.
QString csv_field(const QString &text);

// "<serial>_<yyyy-MM-dd>.csv", or "archive_<yyyy-MM-dd>.csv" without a serial.
QString suggested_file_name(const QString &serial, const QDate &date);

} // namespace arc
