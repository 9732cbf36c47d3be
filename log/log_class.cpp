#include "log/log_class.h"

#include "app/atomic_file.h"
#include "app/save_dialog.h"
#include "ui_log_class.h"

#include <QDateTime>

LOG_class::LOG_class(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::LOG_class)
{
    ui->setupUi(this);
    setWindowTitle(tr("Логи"));
    // A record of the line: nothing typed may end up in the saved file, but
    // the lines can still be selected and copied.
    ui->textEdit->setReadOnly(true);
    ui->textEdit->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
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
    save_with_dialog(this, tr("Сохранить лог"), name, tr("Текстовые файлы (*.txt)"), &last_dir,
                     [this](const QString &path, QString *error) { return save_to(path, error); });
}
