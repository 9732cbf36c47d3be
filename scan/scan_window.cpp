#include "scan/scan_window.h"

#include "link/io_port.h"
#include "ui_scan.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QTableWidgetItem>
#include <iterator>

ScanWindow::ScanWindow(io_port *port, bool *line_echoes, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , ui(new Ui::ScanWindow)
    , driver(new ScanDriver(port, line_echoes, this))
{
    ui->setupUi(this);
    ui->scan_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ui->scan_table->horizontalHeader()->setStretchLastSection(true);

    connect(ui->scan_start_btn, &QPushButton::clicked, this, &ScanWindow::start_clicked);
    connect(ui->scan_stop_btn, &QPushButton::clicked, driver, &ScanDriver::stop);
    connect(ui->scan_choose_btn, &QPushButton::clicked, this, [this] {
        const QList<QTableWidgetItem *> selected = ui->scan_table->selectedItems();
        if (!selected.isEmpty())
            choose(selected.first()->row());
    });
    connect(ui->scan_table, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { choose(row); });
    connect(ui->scan_table, &QTableWidget::itemSelectionChanged, this, [this] {
        ui->scan_choose_btn->setEnabled(!ui->scan_table->selectedItems().isEmpty());
    });

    connect(driver, &ScanDriver::asking, this, &ScanWindow::show_progress);
    connect(driver, &ScanDriver::meter_changed, this, &ScanWindow::show_meter);
    connect(driver, &ScanDriver::finished, this, &ScanWindow::search_finished);
    connect(driver, &ScanDriver::traffic, this, &ScanWindow::traffic);
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
    const std::optional<scan::AddressRange> range =
        scan::address_range(ui->scan_from_box->value(), ui->scan_to_box->value());
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
    driver->start(settings);
}

int ScanWindow::found_count() const
{
    return driver->search() ? driver->search()->meters().size() : 0;
}

void ScanWindow::show_progress(int address)
{
    const scan::AddressRange &range = driver->search()->settings().range;
    asked_address = address;
    ui->scan_progress->setValue(address - range.first + 1);
    ui->scan_progress->setFormat(
        tr("Адрес %1 из %2, найдено %3").arg(address).arg(range.last).arg(found_count()));
}

void ScanWindow::show_meter(int index)
{
    const scan::MeterRow row = scan::Rows::row(driver->search()->meters().at(index), models);
    if (index >= ui->scan_table->rowCount()) {
        ui->scan_table->setRowCount(index + 1);
        show_progress(asked_address); // the count found
    }
    const QString cells[] = {row.address, row.serial_number, row.model,
                             row.protocol_version, row.software_version, row.device_type};
    for (int column = 0; column < int(std::size(cells)); ++column) {
        QTableWidgetItem *item = ui->scan_table->item(index, column);
        if (!item) {
            item = new QTableWidgetItem;
            ui->scan_table->setItem(index, column, item);
        }
        item->setText(cells[column]);
    }
}

void ScanWindow::search_finished(ScanDriver::End end)
{
    ui->scan_start_btn->setEnabled(true);
    ui->scan_stop_btn->setEnabled(false);
    switch (end) {
    case ScanDriver::End::done:
        ui->scan_progress->setValue(ui->scan_progress->maximum());
        ui->scan_progress->setFormat(tr("Поиск завершен, найдено %1").arg(found_count()));
        break;
    case ScanDriver::End::stopped:
        ui->scan_progress->setFormat(tr("Поиск остановлен, найдено %1").arg(found_count()));
        break;
    case ScanDriver::End::port_closed:
        ui->scan_progress->setFormat(tr("Поиск прерван, найдено %1").arg(found_count()));
        set_status(tr("Порт не открыт"), true);
        break;
    }
}

void ScanWindow::choose(int row)
{
    if (!driver->search() || row < 0 || row >= driver->search()->meters().size())
        return;
    const scan::MeterIdentity &meter = driver->search()->meters().at(row);
    const QString serial = scan::Rows::row(meter, models).addressing_serial;
    emit meter_chosen(meter.address, serial);
    close();
}

// Closing the window ends the search too: nobody would see it go on.
void ScanWindow::closeEvent(QCloseEvent *event)
{
    driver->stop();
    QWidget::closeEvent(event);
}

void ScanWindow::set_status(const QString &text, bool error)
{
    ui->scan_status->setStyleSheet(error ? QStringLiteral("QLabel {color:red;}") : QString());
    ui->scan_status->setText(text);
}
