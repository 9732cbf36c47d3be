#include "windows/widgets/save_dialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

QString save_with_dialog(QWidget *parent, const QString &title, const QString &suggested_name, const QString &filter,
                         QString *last_dir, const std::function<bool(const QString &path, QString *error)> &save)
{
    const QString start = last_dir->isEmpty() ? suggested_name : QDir(*last_dir).filePath(suggested_name);
    const QString path = QFileDialog::getSaveFileName(parent, title, start, filter);
    if (path.isEmpty())
        return QString();
    QString error;
    if (!save(path, &error)) {
        QMessageBox::warning(parent, parent->windowTitle(),
                             QCoreApplication::translate("file", "Не удалось сохранить файл: ") + error);
        return QString();
    }
    *last_dir = QFileInfo(path).absolutePath();
    return path;
}
