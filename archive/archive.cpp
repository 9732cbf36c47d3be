#include "archive/archive.h"

#include "ui_archive.h"

archive::archive(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::archive)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("Архив"));
    ui->tabWidget->setTabText(0, QStringLiteral("Часовой"));
    ui->tabWidget->setTabText(1, QStringLiteral("Суточный"));
    ui->tabWidget->setTabText(2, QStringLiteral("Месячный"));
}

archive::~archive()
{
    delete ui;
}
