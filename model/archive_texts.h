#pragma once

#include "archive/records.h"
#include "model/quantity.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// The words of the archives: the texts of a table row and the archive CSV
// file. Widget-free.

namespace arc {

// The meter an archive was read from, as its window names it: the serial
// number when known, the address when addressed by it, the model when known:
// "с/н 0012345678ab, адрес 1, 1A2B name".
QString meter_caption(const QString &serial, const MeterTarget &target, const QString &model);
// The window's title: "Архив: " and the caption, or "Архив" before a read.
QString window_title(const QString &caption, const QDateTime &read_at);
// The line above the tables: the caption and the computer's time of the read.
QString meter_line(const QString &caption, const QDateTime &read_at);

// The column titles of every archive table; volumes in the scale's unit.
QStringList column_titles(const VolumeScale &scale);

// The column_count texts of record k (numbered from 0). An empty record
// (erased, or the event 7) keeps its number, its values show "--"; a
// negative reading shows "--" as the main window shows a negative archived
// volume; the reverse flow keeps its sign.
QStringList record_row(int k, const Record &record, int version, const VolumeScale &scale);
QStringList record_row(int k, const QByteArray &record, int version, const VolumeScale &scale);

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
// column titles, its rows and an empty line. "--" (no value) goes in empty.
QByteArray archive_csv(const CsvHeader &header, const QList<CsvSection> &sections);

} // namespace arc
