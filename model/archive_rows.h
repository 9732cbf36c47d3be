#pragma once

#include "archive/archive_export.h"
#include "archive/records.h"
#include "meter/volume_scale.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

// The archive tables' texts: titles, record rows and their CSV file.

namespace arc {

// Row 0 of every archive table; volumes in the scale's unit.
QStringList column_titles(const VolumeScale &scale);

// The column_count texts of record k (numbered from 0); a record with the
// event 7 keeps its number, its values show "--".
QStringList record_row(int k, const QByteArray &record, int version, const VolumeScale &scale);
QStringList record_row(int k, const Record &record, int version, const VolumeScale &scale);

// A CSV file a spreadsheet in a Russian locale opens as it is: UTF-8 with a
// byte-order mark, ";" between fields, CRLF line ends, decimal commas. The
// header's four lines and an empty line, then each section: its name, the
// column titles, its rows and an empty line.
QByteArray archive_csv(const CsvHeader &header, const QList<CsvSection> &sections);

} // namespace arc
