#include "windows/main_window/archive.h"

#include "archive/archive_chart_data.h"
#include "archive/archive_export.h"
#include "archive/archive_geometry.h"
#include "archive/records.h"
#include "config/atomic_file.h"
#include "link/frames.h"
#include "model/archive_table_model.h"
#include "model/archive_texts.h"
#include "ui_archive.h"
#include "windows/widgets/consumption_chart.h"
#include "windows/widgets/save_dialog.h"
#include "windows/widgets/screen_fit.h"

#include <QDate>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

archive::archive(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::archive)
{
    ui->setupUi(this);
    setWindowTitle(arc::window_title(QString(), QDateTime()));
    ui->tabWidget->setTabText(0, tr("Часовой"));
    ui->tabWidget->setTabText(1, tr("Суточный"));
    ui->tabWidget->setTabText(2, tr("Месячный"));
    for (int type = 1; type <= 3; ++type) {
        models[type - 1] = new ArchiveTableModel(this);
        QTableView *t = table(type);
        t->setModel(models[type - 1]);
        t->setEditTriggers(QAbstractItemView::NoEditTriggers);
        t->verticalHeader()->hide();
        // The number and the time as wide as they are; the values share the
        // rest (fit_columns).
        QHeaderView *header = t->horizontalHeader();
        for (int c = 0; c < arc::column_count; ++c)
            header->setSectionResizeMode(c, c < 2 ? QHeaderView::ResizeToContents : QHeaderView::Interactive);
        connect(models[type - 1], &QAbstractItemModel::headerDataChanged, this, [this, type] { fit_columns(type); });
        connect(header, &QHeaderView::sectionResized, this, [this, type](int section) {
            if (section < 2)
                fit_columns(type);
        });
        t->viewport()->installEventFilter(this);
    }

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
    // Whose archive this is, above the tables.
    meter_label = new QLabel(this);
    meter_label->setObjectName(QStringLiteral("arch_meter_label"));
    meter_label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *top = new QVBoxLayout;
    top->addWidget(meter_label);
    meter_label->hide();
    top->addWidget(split, 1);
    ui->gridLayout->addLayout(top, 0, 0);

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

QTableView *archive::table(int type) const
{
    switch (type) {
    case 1: return ui->tableWidget;
    case 2: return ui->tableWidget_2;
    case 3: return ui->tableWidget_3;
    default: return nullptr;
    }
}

ArchiveTableModel *archive::table_model(int type) const
{
    return type >= 1 && type <= 3 ? models[type - 1] : nullptr;
}

void archive::clear_tables()
{
    for (ArchiveTableModel *m : models)
        m->clear();
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
    ArchiveTableModel *m = table_model(type);
    if (!m)
        return;
    // A read cut short: the records it got, then the rows it did not.
    const int rows
        = !whole && archive_geometry::is_supported_version(version) ? archive_geometry::depth(version, type) : 0;
    m->set_records(arc::archive_records(frames, by_serial, version), version, scale, rows);
    update_chart();
}

void archive::set_meter_serial(const QString &serial)
{
    meter_serial = serial;
    update_meter_line();
}

void archive::set_read_details(const QString &model, const QDateTime &read_at)
{
    meter_model = model;
    this->read_at = read_at;
    update_meter_line();
}

void archive::set_target(const MeterTarget &target)
{
    this->target = target;
    by_serial = target.by_serial;
    update_meter_line();
}

void archive::update_meter_line()
{
    const QString caption = target ? arc::meter_caption(meter_serial, *target, meter_model) : QString();
    setWindowTitle(arc::window_title(caption, read_at));
    meter_label->setText(caption.isEmpty() ? QString() : arc::meter_line(caption, read_at));
    meter_label->setHidden(caption.isEmpty());
}

// The values share the width the number and the time leave, none narrower
// than its title with its unit or its values: a narrow window scrolls rather
// than cut one (a stretched column would shrink to nothing beside the time).
void archive::fit_columns(int type)
{
    QTableView *t = table(type);
    QHeaderView *header = t->horizontalHeader();
    const int values = arc::column_count - 2;
    const int share = (t->viewport()->width() - header->sectionSize(0) - header->sectionSize(1)) / values;
    const QAbstractItemView *view = t;
    for (int c = 2; c < arc::column_count; ++c)
        header->resizeSection(c, qMax(share, qMax(header->sectionSizeHint(c), view->sizeHintForColumn(c))));
}

bool archive::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize) {
        for (int type = 1; type <= 3; ++type) {
            if (watched == table(type)->viewport())
                fit_columns(type);
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool archive::save_to(const QString &path, QString *error)
{
    QList<arc::CsvSection> sections;
    for (int type = 1; type <= 3; ++type)
        sections.append({ui->tabWidget->tabText(type - 1), models[type - 1]->record_texts()});
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
    const ArchiveTableModel *m = models[index];
    chart->set_series(arc::consumption_series(m->records(), index + 1, m->scale().factor),
                      quantity::volume_unit(m->scale()));
}

arc::ArchiveSummary archive::summary(int type) const
{
    if (type < 1 || type > 3)
        return {};
    const ArchiveTableModel *m = models[type - 1];
    return arc::summarize_archive(m->records(), type, m->scale().factor);
}
