#include "archive/archive.h"

#include "archive/records.h"
#include "link/frames.h"
#include "ui_archive.h"

#include <QHeaderView>
#include <QTableWidget>

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

QTableWidget *archive::table(int type) const
{
    switch (type) {
    case 1:
        return ui->tableWidget;
    case 2:
        return ui->tableWidget_2;
    case 3:
        return ui->tableWidget_3;
    default:
        return nullptr;
    }
}

void archive::clear_tables()
{
    for (int type = 1; type <= 3; ++type)
        table(type)->clear();
}

void archive::set_version_scale(int version, double scale)
{
    this->version = version;
    this->scale = scale;
}

void archive::set_decimals(int decimals)
{
    this->decimals = decimals;
}

void archive::set_by_serial(bool by_serial)
{
    this->by_serial = by_serial;
}

void archive::add_archive(QList<QByteArray> frames, int type)
{
    this->frames.append(frames);
    split_records();
    current_type = type;
    if (table(type)) {
        setup_table();
    } else {
        // Nothing to show them in; they must not leak into the next archive.
        records.clear();
        current_type = 0;
    }
}

void archive::split_records()
{
    records.append(arc::split_records(frames, modbus::archive_header_length(by_serial),
                                      arc::record_length(version)));
    frames.clear();
}

void archive::setup_table()
{
    QTableWidget *t = table(current_type);
    t->setRowCount(records.size() + 1);
    t->setColumnCount(arc::column_count);
    for (int c = 0; c < arc::column_count; ++c)
        t->horizontalHeader()->setSectionResizeMode(c, QHeaderView::Stretch);
    const QStringList titles = arc::column_titles();
    for (int c = 0; c < arc::column_count; ++c)
        t->setItem(0, c, new QTableWidgetItem(titles.at(c)));
    for (int r = 1; r <= records.size(); ++r)
        t->setItem(r, 0, new QTableWidgetItem(QString::number(r - 1)));
    t->horizontalHeader()->hide();
    t->verticalHeader()->hide();
    fill_table();
}

void archive::fill_table()
{
    QTableWidget *t = table(current_type);
    for (int k = 0; k < records.size(); ++k) {
        const QStringList row = arc::record_row(k, records.at(k), version, scale, decimals);
        for (int c = 1; c < arc::column_count; ++c) {
            auto *item = new QTableWidgetItem(row.at(c));
            item->setData(Qt::TextAlignmentRole, int(Qt::AlignRight));
            t->setItem(k + 1, c, item);
        }
    }
    current_type = 0;
    records.clear();
}
