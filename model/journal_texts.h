#pragma once

#include "journal/consumption.h"
#include "journal/journal_place.h"
#include "journal/journal_store.h"
#include "journal/journal_writer.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// The words of what the journal computes: the period's consumption as a
// table and a CSV file, and a meter's kept archive records as table rows.

namespace journal {

// A write the journal did not keep, as the operator recognises it:
// "показания 0012345678ab от 07.12.2026 14:00:00".
QString write_subject_words(const WriteSubject &what);

// Why `text` names no journal, with what is expected.
QString place_error_words(PlaceError why, const QString &text);

// The column titles, and one row's texts as a table shows them. An end
// without a reading is empty and marked "нет показаний на начало"/"…на конец".
QStringList consumption_titles();
QStringList consumption_texts(const ConsumptionRow &row);

// "опрос" or the archive's name; empty for none.
QString source_text(ReadingAt::Source source);

// As the archive export writes: UTF-8 with a byte-order mark, ";", decimal
// commas; the serial number kept as text so that its leading zeros stay.
QByteArray consumption_csv(const QList<ConsumptionRow> &rows, const QDateTime &from, const QDateTime &to);

// The records' table rows, numbered from 0 and shown as the archive window
// numbers and shows a meter's records (an event-7 record: its number, "--";
// a negative reading "--").
QList<QStringList> archive_record_texts(const QList<ArchiveRecordRow> &records, int version);

} // namespace journal

// Where the journal is, as the operator recognises it.
QString journal_place(const journal::Connection &connection);
// The status line for a journal given up: what happened and that the
// program goes on without it.
QString journal_fault_text(journal::Fault fault, const journal::Connection &connection);
