#pragma once

#include <QByteArray>
#include <QString>

// Writes the whole of `data` to `path` or nothing: the old file, if any, stays
// until the new one is complete. On failure returns false with the reason.
bool write_file_atomically(const QString &path, const QByteArray &data, QString *error = nullptr);
