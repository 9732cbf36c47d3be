#include "config/atomic_file.h"

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
