#include "log/log_class.h"

#include "ui_log_class.h"

LOG_class::LOG_class(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::LOG_class)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("Логи"));
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
