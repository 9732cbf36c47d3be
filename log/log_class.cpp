#include "log/log_class.h"

#include "archive/archive_export.h"
#include "ui_log_class.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

LOG_class::LOG_class(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::LOG_class)
{
    ui->setupUi(this);
    setWindowTitle(tr("Логи"));
}

LOG_class::~LOG_class()
{
    delete ui;
}

void LOG_class::append(const QString &line)
{
    ui->textEdit->append(line);
}

QString LOG_class::text() const
{
    return ui->textEdit->toPlainText();
}

void LOG_class::on_clear_btn_clicked()
{
    ui->textEdit->clear();
}

bool LOG_class::save_to(const QString &path, QString *error)
{
    // toPlainText joins the paragraphs with LF on every system.
    return write_file_atomically(path, text().toUtf8(), error);
}

void LOG_class::on_save_btn_clicked()
{
    const QString name = QStringLiteral("log_%1.txt")
                             .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_hh-mm-ss")));
    const QString path = QFileDialog::getSaveFileName(this, tr("Сохранить лог"),
                                                      last_dir.isEmpty() ? name : QDir(last_dir).filePath(name),
                                                      tr("Текстовые файлы (*.txt)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!save_to(path, &error)) {
        QMessageBox::warning(this, windowTitle(), tr("Не удалось сохранить файл: ") + error);
        return;
    }
    last_dir = QFileInfo(path).absolutePath();
}
