#pragma once

#include <QByteArray>
#include <QString>

// Writes the whole of `data` to `path` or nothing: the old file, if any, stays
// until the new one is complete. On failure returns false with the reason.
bool write_file_atomically(const QString &path, const QByteArray &data, QString *error = nullptr);

// The line end a text file was typed with: "\r\n" when its first line ends so
// (as Notepad writes), "\n" otherwise and for a file that is not there yet.
// A save keeps it, so a file typed on Windows is not rewritten to LF.
QByteArray line_end_of(const QString &path);
// `text`, written with "\n" line ends, with each of them made `line_end`.
QByteArray with_line_end(QByteArray text, const QByteArray &line_end);
