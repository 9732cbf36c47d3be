#include "app/scan_window.h"

#include "app/riser_readout.h"
#include "link/exchanger.h"
#include "ui_scan.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QTableWidgetItem>
#include <algorithm>
#include <iterator>

ScanWindow::ScanWindow(Exchanger *exchanger, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , ui(new Ui::ScanWindow)
    , line(exchanger)
{
    ui->setupUi(this);
    ui->scan_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ui->scan_table->horizontalHeader()->setStretchLastSection(true);

    connect(ui->scan_start_btn, &QPushButton::clicked, this, &ScanWindow::start_clicked);
    connect(ui->scan_stop_btn, &QPushButton::clicked, this, &ScanWindow::stop);
    connect(ui->scan_choose_btn, &QPushButton::clicked, this, [this] {
        const QList<QTableWidgetItem *> selected = ui->scan_table->selectedItems();
        if (!selected.isEmpty())
            choose(selected.first()->row());
    });
    connect(ui->scan_table, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { choose(row); });
    connect(ui->scan_table, &QTableWidget::itemSelectionChanged, this,
            [this] { ui->scan_choose_btn->setEnabled(!ui->scan_table->selectedItems().isEmpty()); });

    connect(line, &Exchanger::concluded, this, &ScanWindow::step_concluded);
    connect(line, &Exchanger::finished, this, &ScanWindow::search_finished);

    // Several rows may be read at once; "Выбрать" takes the first.
    ui->scan_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    riser = new RiserReadout({ui->read_all_btn, ui->sync_all_btn, ui->riser_table, ui->riser_status}, line, this);
    connect(riser, &RiserReadout::read_all_requested, this, &ScanWindow::read_all_requested);
    connect(riser, &RiserReadout::sync_all_requested, this, &ScanWindow::sync_all_requested);
    connect(riser, &RiserReadout::meter_read, this, &ScanWindow::meter_read);
}

void ScanWindow::read_all(const ExchangeRules &rules, const QStringList &model_table)
{
    if (running())
        return;
    QVector<int> rows;
    for (const QModelIndex &index : ui->scan_table->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    if (rows.isEmpty())
        for (int row = 0; row < found_count(); ++row)
            rows.append(row);
    QVector<scan::ListedMeter> listed;
    for (int row : qAsConst(rows)) {
        if (row >= found_count())
            continue;
        const scan::MeterIdentity &meter = search->meters().at(row);
        listed.append({meter.address, scan::Rows::row(meter, model_table).addressing_serial});
    }
    riser->read_all(listed, rules, model_table);
}

void ScanWindow::sync_all(const ExchangeRules &rules)
{
    if (!running())
        riser->sync_all(rules);
}

bool ScanWindow::running() const
{
    return search && line->sequence() == &*search;
}

// Ends the search once the current exchange is over.
void ScanWindow::stop()
{
    if (running())
        search->stop();
}

ScanWindow::~ScanWindow()
{
    delete ui;
}

void ScanWindow::start_clicked()
{
    if (running())
        return;
    if (!scan::address_range(ui->scan_from_box->value(), ui->scan_to_box->value())) {
        set_status(tr("Неверный диапазон адресов"), true);
        return;
    }
    emit start_requested();
}

void ScanWindow::refuse(Refusal why)
{
    switch (why) {
    case Refusal::port_closed: set_status(tr("Порт не открыт"), true); break;
    case Refusal::line_busy: set_status(tr("Дождитесь окончания обмена"), true); break;
    }
}

void ScanWindow::start(int fail_period_ms, const QStringList &model_table)
{
    const std::optional<scan::AddressRange> range
        = scan::address_range(ui->scan_from_box->value(), ui->scan_to_box->value());
    if (!range || running())
        return;
    models = model_table;
    ui->scan_table->setRowCount(0);
    ui->scan_progress->setRange(0, range->size());
    ui->scan_progress->setValue(0);
    set_status(QString(), false);
    ui->scan_start_btn->setEnabled(false);
    ui->scan_stop_btn->setEnabled(true);

    scan::Settings settings;
    settings.range = *range;
    settings.wait_ms = ui->scan_wait_box->value();
    settings.fail_period_ms = fail_period_ms;
    settings.line = line->port_timing();
    search.emplace(settings);
    show_progress(search->exchange().address);
    // One wait per address, and a silent address is no failure of the line.
    ExchangeRules rules;
    rules.retry = ExchangeRules::Retry::none;
    rules.fail_ms = fail_period_ms;
    rules.quiet_after_failure = false;
    line->run(&*search, rules);
}

void ScanWindow::step_concluded(Sequence *sequence)
{
    if (!search || sequence != &*search)
        return;
    if (search->last_step().meter >= 0)
        show_meter(search->last_step().meter);
    if (!search->finished() && search->exchange().field == scan::protocol_version)
        show_progress(search->exchange().address);
}

int ScanWindow::found_count() const
{
    return search ? search->meters().size() : 0;
}

void ScanWindow::show_progress(int address)
{
    const scan::AddressRange &range = search->settings().range;
    asked_address = address;
    ui->scan_progress->setValue(address - range.first + 1);
    ui->scan_progress->setFormat(tr("Адрес %1 из %2, найдено %3").arg(address).arg(range.last).arg(found_count()));
}

void ScanWindow::show_meter(int index)
{
    const scan::MeterRow row = scan::Rows::row(search->meters().at(index), models);
    if (index >= ui->scan_table->rowCount()) {
        ui->scan_table->setRowCount(index + 1);
        show_progress(asked_address); // the count found
    }
    const QString cells[]
        = {row.address, row.serial_number, row.model, row.protocol_version, row.software_version, row.device_type};
    for (int column = 0; column < int(std::size(cells)); ++column) {
        QTableWidgetItem *item = ui->scan_table->item(index, column);
        if (!item) {
            item = new QTableWidgetItem;
            ui->scan_table->setItem(index, column, item);
        }
        item->setText(cells[column]);
        // A device there that could not be understood stands out from the meters.
        if (search->meters().at(index).garbled)
            item->setForeground(Qt::red);
    }
}

void ScanWindow::search_finished(Sequence *sequence)
{
    if (!search || sequence != &*search)
        return;
    ui->scan_start_btn->setEnabled(true);
    ui->scan_stop_btn->setEnabled(false);
    if (search->port_lost()) {
        ui->scan_progress->setFormat(tr("Поиск прерван, найдено %1").arg(found_count()));
        set_status(tr("Порт не открыт"), true);
    } else if (search->stopped()) {
        ui->scan_progress->setFormat(tr("Поиск остановлен, найдено %1").arg(found_count()));
    } else {
        ui->scan_progress->setValue(ui->scan_progress->maximum());
        ui->scan_progress->setFormat(tr("Поиск завершен, найдено %1").arg(found_count()));
    }
}

void ScanWindow::choose(int row)
{
    if (!search || row < 0 || row >= search->meters().size())
        return;
    const scan::MeterIdentity &meter = search->meters().at(row);
    const QString serial = scan::Rows::row(meter, models).addressing_serial;
    emit meter_chosen(meter.address, serial);
    close();
}

// Closing the window ends the search too: nobody would see it go on.
void ScanWindow::closeEvent(QCloseEvent *event)
{
    stop();
    riser->stop();
    QWidget::closeEvent(event);
}

void ScanWindow::set_status(const QString &text, bool error)
{
    ui->scan_status->setStyleSheet(error ? QStringLiteral("QLabel {color:red;}") : QString());
    ui->scan_status->setText(text);
}
