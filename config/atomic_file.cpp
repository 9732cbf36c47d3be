#include "config/atomic_file.h"

#include <QFile>
#include <QSaveFile>

bool write_file_atomically(const QString &path, const QByteArray &data, QString *error)
{
    QSaveFile file(path);
    QString reason;
    if (!file.open(QIODevice::WriteOnly)) {
        reason = file.errorString();
    } else if (file.write(data) != data.size()) {
        reason = file.errorString(); // taken before the cancel replaces it
        file.cancelWriting();
    } else if (!file.commit()) {
        reason = file.errorString();
    } else {
        return true;
    }
    if (error)
        *error = reason;
    return false;
}

QByteArray line_end_of(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("\n");
    // The first line is enough; a damaged file may be huge.
    const QByteArray head = file.read(64 * 1024);
    const int newline = head.indexOf('\n');
    return newline > 0 && head.at(newline - 1) == '\r' ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
}

QByteArray with_line_end(QByteArray text, const QByteArray &line_end)
{
    return line_end == "\n" ? text : text.replace('\n', line_end);
}
