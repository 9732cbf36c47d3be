// "Поиск счетчиков": the main window's side of the search for meters.
#include "windows/main_window/mainwindow.h"

#include "journal/journal_writer.h"
#include "link/exchanger.h"
#include "link/io_port.h"
#include "link/line_session.h"
#include "model/meter_model.h"
#include "ui_mainwindow.h"
#include "windows/line/scan_window.h"
#include "windows/main_window/journal_link.h"
#include "windows/main_window/settings.h"
#include "windows/widgets/screen_fit.h"

void MainWindow::on_scan_btn_clicked()
{
    if (!windows.scan) {
        windows.scan = new ScanWindow(line.session->exchanger(), this);
        connect(windows.scan, &ScanWindow::start_requested, this, &MainWindow::start_scan);
        connect(windows.scan, &ScanWindow::meter_chosen, this, &MainWindow::choose_meter);
        connect(windows.scan, &ScanWindow::read_all_requested, this, &MainWindow::start_read_all);
        connect(windows.scan, &ScanWindow::sync_all_requested, this, &MainWindow::start_sync_all);
        connect(windows.scan, &ScanWindow::setting_chosen, this, &MainWindow::choose_line_setting);
        // Every meter read whole in a pass goes to the journal like a single poll.
        connect(windows.scan, &ScanWindow::meter_read, this,
                [this](const MeterTarget &target, const PollValues &values, const QDateTime &read_at) {
                    journal->writer()->record_poll(values, read_at.toUTC(), target);
                });
        windows.scan->set_label_source([this] {
            QHash<QString, QString> labels;
            journal::Store store(journal->connection());
            if (store.open()) {
                for (const journal::MeterRow &meter : store.meters())
                    labels.insert(meter.serial, meter.label);
            }
            return labels;
        });
        connect(windows.scan, &ScanWindow::clock_written, this,
                [this](const SessionWrite &write) { meter->add_write(write); });
        connect(windows.scan, &ScanWindow::setting_written, this,
                [this](const SessionWrite &write) { meter->add_write(write); });
        // Commissioning: the line's periods and the write block's lists.
        windows.scan->set_line_gate(
            [this] { return scan_may_run() ? std::optional<ExchangePeriods>(port_settings.periods()) : std::nullopt; });
        QStringList rates, parities;
        for (int i = 0; i < ui->speed_box_w->count(); ++i)
            rates << ui->speed_box_w->itemText(i);
        for (int i = 0; i < ui->bit_box_w->count(); ++i)
            parities << ui->bit_box_w->itemText(i);
        windows.scan->set_value_lists(rates, parities, meter->model_table());
        windows.scan->set_line_control([this](const std::optional<scan::LineSetting> &setting) {
            SerialLine wanted;
            wanted.baud_rate = setting ? setting->baud_rate : port_settings.baud_rate;
            wanted.parity = setting ? setting->parity : port_settings.parity;
            wanted.stop_bits = port_settings.stop_bits;
            return line.session->port()->set_line(wanted);
        });
    }
    const bool first_showing = !windows.scan->isVisible();
    windows.scan->show();
    // The search and the line's pass are stopped from the status bar here.
    if (first_showing)
        keep_clear_of(windows.scan, statusBar());
    windows.scan->raise();
    windows.scan->activateWindow();
}

// The search shares the line with the other sequences.
void MainWindow::start_scan()
{
    if (line_busy()) {
        windows.scan->refuse(ScanWindow::Refusal::line_busy);
        return;
    }
    if (!line.started || !line.session->port()->is_open()) {
        windows.scan->refuse(ScanWindow::Refusal::port_closed);
        return;
    }
    ui->label_31->setText(QString());
    windows.scan->start(port_settings.periods(), meter->model_table());
}

// "Считать все": each meter polled by the rules of a pass over the line.
void MainWindow::start_read_all()
{
    if (!scan_may_run())
        return;
    windows.scan->read_all(exchange_rules::line_pass(port_settings.periods()), meter->model_table());
}

// "Установить время всем": each clock written by the rules of the write.
void MainWindow::start_sync_all()
{
    if (!scan_may_run())
        return;
    windows.scan->sync_all(exchange_rules::write(port_settings.periods()));
}

bool MainWindow::scan_may_run()
{
    if (line_busy()) {
        windows.scan->refuse(ScanWindow::Refusal::line_busy);
        return false;
    }
    if (!line.started || !line.session->port()->is_open()) {
        windows.scan->refuse(ScanWindow::Refusal::port_closed);
        return false;
    }
    ui->label_31->setText(QString());
    return true;
}

// The chosen meter is addressed by its device address from now on; its
// serial number is at hand for the serial addressing.
void MainWindow::choose_meter(int address, const QString &serial)
{
    ui->adr_line->setText(QString::number(address));
    ui->adr_click->setChecked(true);
    ui->sereal_num_line_w->setText(serial);
}

// A meter found at another rate or parity: the port keeps to it from now on,
// as if chosen in the port settings.
void MainWindow::choose_line_setting(int baud_rate, int parity)
{
    port_settings.baud_rate = baud_rate;
    port_settings.parity = parity;
    // The port settings window shows them too, and its OK must not undo them.
    windows.setup->load(port_settings.parity, port_settings.baud_rate, port_settings.stop_bits, port_settings.port_name,
                        port_settings.main_ok_ms, port_settings.main_fail_ms, port_settings.archive_ok_ms,
                        port_settings.archive_fail_ms);
    if (!save_settings())
        set_status(tr("Настройки не сохранены"), "QLabel {color:red;}");
    show_line();
    if (!line.started || !line.session->port()->is_open())
        return;
    if (line.session->exchanger()->busy()) {
        progress.reopen_after_run = true;
        return;
    }
    SerialLine wanted;
    wanted.baud_rate = baud_rate;
    wanted.parity = parity;
    wanted.stop_bits = port_settings.stop_bits;
    if (!line.session->port()->set_line(wanted))
        on_start_btn_clicked();
}
