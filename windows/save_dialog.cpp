#include "windows/save_dialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTableWidget>

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

ShownTable shown_table(const QTableWidget *table)
{
    ShownTable shown;
    for (int c = 0; c < table->columnCount(); ++c) {
        const QTableWidgetItem *title = table->horizontalHeaderItem(c);
        shown.titles << (title ? title->text() : QString());
    }
    for (int r = 0; r < table->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < table->columnCount(); ++c)
            cells << (table->item(r, c) ? table->item(r, c)->text() : QString());
        shown.rows << cells;
    }
    return shown;
}
