#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

// Archive tables as one CSV file, and the atomic file write the save buttons
// share. Widget-free.

namespace arc {

// One archive as its table shows it: row 0 the column titles, then the records.
struct CsvSection
{
    QString name;
    QList<QStringList> rows;
};

// A CSV file a spreadsheet in a Russian locale opens as it is: UTF-8 with a
// byte-order mark, ";" between fields, CRLF line ends. Each section is its
// name, its rows and an empty line.
QByteArray archive_csv(const QList<CsvSection> &sections);

// One field, quoted when it holds the separator, a quote or a line break.
QString csv_field(const QString &text);

// "<serial>_<yyyy-MM-dd>.csv", or "archive_<yyyy-MM-dd>.csv" without a serial.
QString suggested_file_name(const QString &serial, const QDate &date);

} // namespace arc
