#include "windows/archive.h"

#include "archive/archive_chart_data.h"
#include "archive/archive_export.h"
#include "archive/archive_geometry.h"
#include "archive/records.h"
#include "config/atomic_file.h"
#include "link/frames.h"
#include "model/archive_rows.h"
#include "ui_archive.h"
#include "windows/consumption_chart.h"
#include "windows/save_dialog.h"
#include "windows/screen_fit.h"

#include <QDate>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTableWidget>

namespace {

// A table's record rows (row 0 holds the titles); rows left without items
// (cleared) are skipped.
QList<QStringList> record_rows(const QTableWidget *t)
{
    QList<QStringList> rows;
    for (int r = 1; r < t->rowCount(); ++r) {
        QStringList row;
        bool shown = false;
        for (int c = 0; c < t->columnCount(); ++c) {
            const QTableWidgetItem *item = t->item(r, c);
            row << (item ? item->text() : QString());
            shown = shown || item;
        }
        if (shown)
            rows << row;
    }
    return rows;
}

} // namespace

archive::archive(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::archive)
{
    ui->setupUi(this);
    setWindowTitle(tr("Архив"));
    ui->tabWidget->setTabText(0, tr("Часовой"));
    ui->tabWidget->setTabText(1, tr("Суточный"));
    ui->tabWidget->setTabText(2, tr("Месячный"));

    // Beside the tables; the two share the width as the operator drags it.
    chart = new consumption_chart(this);
    chart->setObjectName(QStringLiteral("chart"));
    auto *split = new QSplitter(Qt::Horizontal, this);
    split->setObjectName(QStringLiteral("arch_splitter"));
    ui->gridLayout->removeWidget(ui->tabWidget);
    split->addWidget(ui->tabWidget);
    split->addWidget(chart);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    split->setChildrenCollapsible(false);
    ui->gridLayout->addWidget(split, 0, 0);

    state_label = new QLabel(this);
    state_label->setObjectName(QStringLiteral("arch_state_label"));
    ui->gridLayout->addWidget(state_label, 1, 0, Qt::AlignLeft);

    // The tables keep the form's width beside the chart where the screen has room.
    fit_to_screen(this, QSize(width() * 5 / 3, height()));
    update_chart();
}

// "Прочитано записей: N из M" while the last read is incomplete.
void archive::set_read_state(int read, int total)
{
    state_label->setText(read < total ? tr("Прочитано записей: %1 из %2").arg(read).arg(total) : QString());
}

archive::~archive()
{
    delete ui;
}

QTableWidget *archive::table(int type) const
{
    switch (type) {
    case 1: return ui->tableWidget;
    case 2: return ui->tableWidget_2;
    case 3: return ui->tableWidget_3;
    default: return nullptr;
    }
}

void archive::clear_tables()
{
    for (int type = 1; type <= 3; ++type) {
        table(type)->clear();
        shown[type - 1] = shown_archive();
    }
    update_chart();
}

void archive::set_version_scale(int version, const VolumeScale &scale)
{
    this->version = version;
    this->scale = scale;
}

void archive::set_by_serial(bool by_serial)
{
    this->by_serial = by_serial;
}

void archive::add_archive(QList<QByteArray> frames, int type, bool whole)
{
    this->frames.append(frames);
    split_records();
    current_type = type;
    if (table(type)) {
        shown[type - 1] = {records, version, scale};
        setup_table();
        // A read cut short: the records it got, then the rows it did not.
        if (!whole && archive_geometry::is_supported_version(version))
            table(type)->setRowCount(qMax(table(type)->rowCount(), archive_geometry::depth(version, type) + 1));
        update_chart();
    } else {
        // Nothing to show them in; they must not leak into the next archive.
        records.clear();
        current_type = 0;
    }
}

void archive::split_records()
{
    records.append(arc::split_records(frames, modbus::archive_header_length(by_serial), arc::record_length(version)));
    frames.clear();
}

void archive::setup_table()
{
    QTableWidget *t = table(current_type);
    t->setRowCount(records.size() + 1);
    t->setColumnCount(arc::column_count);
    // The number and the time as wide as they are; the values share the rest.
    for (int c = 0; c < arc::column_count; ++c)
        t->horizontalHeader()->setSectionResizeMode(c, c < 2 ? QHeaderView::ResizeToContents : QHeaderView::Stretch);
    const QStringList titles = arc::column_titles(shown[current_type - 1].scale);
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
        const QStringList row = arc::record_row(k, records.at(k), version, scale);
        for (int c = 1; c < arc::column_count; ++c) {
            auto *item = new QTableWidgetItem(row.at(c));
            item->setData(Qt::TextAlignmentRole, int(Qt::AlignRight));
            t->setItem(k + 1, c, item);
        }
    }
    current_type = 0;
    records.clear();
}

void archive::set_meter_serial(const QString &serial)
{
    meter_serial = serial;
}

void archive::set_read_details(const QString &model, const QDateTime &read_at)
{
    meter_model = model;
    this->read_at = read_at;
}

bool archive::save_to(const QString &path, QString *error)
{
    QList<arc::CsvSection> sections;
    for (int type = 1; type <= 3; ++type)
        sections.append({ui->tabWidget->tabText(type - 1), record_rows(table(type))});
    const arc::CsvHeader header{meter_serial, meter_model, version > 0 ? QString::number(version) : QString(), read_at,
                                scale};
    return write_file_atomically(path, arc::archive_csv(header, sections), error);
}

void archive::on_save_btn_clicked()
{
    save_with_dialog(this, tr("Сохранить архив"),
                     arc::export_file_name(QStringLiteral("archive"), meter_serial, QDateTime::currentDateTime()),
                     tr("Файлы CSV (*.csv)"), &last_dir,
                     [this](const QString &path, QString *error) { return save_to(path, error); });
}

void archive::on_tabWidget_currentChanged(int)
{
    update_chart();
}

void archive::update_chart()
{
    const int index = ui->tabWidget->currentIndex();
    if (!chart || index < 0 || index > 2)
        return;
    const shown_archive &a = shown[index];
    chart->set_series(arc::consumption_series(a.records, index + 1, a.version, a.scale.factor),
                      quantity::volume_unit(a.scale));
}

arc::ArchiveSummary archive::summary(int type) const
{
    if (type < 1 || type > 3)
        return {};
    const shown_archive &a = shown[type - 1];
    return arc::summarize_archive(a.records, type, a.version, a.scale.factor);
}
