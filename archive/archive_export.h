#pragma once

#include "meter/volume_scale.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// Archive tables as one CSV file, and the pieces every table export of the
// program writes its file with. Widget-free.

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

// The files are what a spreadsheet in a Russian locale opens as they are:
// UTF-8 with a byte-order mark, ";" between fields, CRLF line ends, decimal
// commas (model/archive_rows.h writes the archive tables' file).

// A table text as a value of the file: a number with a decimal comma, "--"
// (no value) empty, any other text as it is.
QString csv_value(const QString &shown);

// One field, quoted when it holds the separator, a quote or a line break.
QString csv_field(const QString &text);

// A serial number as a formula whose value is its text, ="001234567890":
// LibreOffice and Excel would read the bare digits as a number and drop the
// leading zeros. Anything but digits and hex letters is an ordinary field.
QString csv_serial(const QString &serial);

// One line of fields already in their file form, CRLF ended.
QString csv_line(const QStringList &fields);

// The column titles and the rows of a table: each text through csv_value,
// the column `serial_column` through csv_serial.
QString csv_rows(const QStringList &titles, const QList<QStringList> &rows, int serial_column = -1);

// The file: the byte-order mark, then the text in UTF-8.
QByteArray csv_file(const QString &text);

// Rows of texts as they are shown, tab-separated, as a spreadsheet pastes them.
QString tab_separated(const QList<QStringList> &rows);

// The name a save dialog offers: "<kind>_<serial>_<yyyy-MM-dd_hh-mm>.<suffix>",
// without the serial when there is none, so that no kind of export offers
// another's file.
QString export_file_name(const QString &kind, const QString &serial, const QDateTime &at,
                         const QString &suffix = QStringLiteral("csv"));

} // namespace arc
