// The service tools: any register by either addressing, a watched meter, and
// the service report of the meter last read.
#include "model/quantity.h"
#include "windows/main_window/mainwindow.h"

#include "link/exchanger.h"
#include "link/line_session.h"
#include "link/serial_number.h"
#include "meter/poll.h"
#include "meter/register_map.h"
#include "meter/write.h"
#include "model/meter_model.h"
#include "model/outcome_words.h"
#include "ui_mainwindow.h"
#include "windows/main_window/archive.h"
#include "windows/main_window/log_class.h"
#include "windows/service/register_window.h"
#include "windows/service/watch_window.h"
#include "windows/widgets/save_dialog.h"

#include <QSpinBox>

std::optional<MeterTarget> MainWindow::service_target(QString *why)
{
    if (line.session->exchanger()->busy()) {
        *why = tr("Дождитесь окончания обмена");
        return std::nullopt;
    }
    if (!line.started || !line.opened) {
        *why = outcome_words(RunOutcome::Kind::port_lost);
        return std::nullopt;
    }
    MeterTarget target;
    target.by_serial = by_serial();
    if (by_serial()) {
        const std::optional<SerialBytes> serial = pack_serial_number(ui->sereal_num_line_w->text());
        if (!serial) {
            *why = tr("Неверный серийный номер");
            return std::nullopt;
        }
        target.serial = *serial;
    } else if (by_address()) {
        const std::optional<quint8> address = parse_device_address(ui->adr_line->text());
        if (!address) {
            *why = tr("Неверный адрес устройства");
            return std::nullopt;
        }
        target.address = *address;
    } else {
        *why = tr("Не выбран способ обращения к счетчику");
        return std::nullopt;
    }
    return target;
}

bool MainWindow::watching() const
{
    return windows.watch && windows.watch->watching();
}

void MainWindow::on_registers_btn_clicked()
{
    if (!windows.registers) {
        windows.registers = new RegisterWindow(
            line.session->exchanger(),
            [this](QString *why) -> std::optional<MeterTarget> {
                if (watching()) {
                    *why = tr("Идёт наблюдение: остановите его");
                    return std::nullopt;
                }
                return service_target(why);
            },
            [this] { return port_settings.periods(); }, this);
        connect(windows.registers, &RegisterWindow::write_concluded, this,
                [this](const SessionWrite &write) { meter->add_write(write); });
    }
    windows.registers->show();
    windows.registers->raise();
    windows.registers->activateWindow();
}

void MainWindow::on_watch_btn_clicked()
{
    if (!windows.watch) {
        windows.watch = new WatchWindow(
            line.session->exchanger(), [this](QString *why) { return service_target(why); },
            [this] { return exchange_rules::watch(port_settings.periods()); }, meter->model_table(), this);
        connect(windows.watch, &WatchWindow::watching_changed, this,
                [this](bool on) { ui->watch_btn->setText(on ? tr("Стоп наблюдения") : tr("Наблюдение")); });
    }
    if (windows.watch->watching()) {
        windows.watch->stop(tr("Наблюдение остановлено"));
        return;
    }
    QString why;
    if (!windows.watch->start(ui->watch_period_box->value(), &why)) {
        set_status(why, "QLabel {color:red;}");
        return;
    }
    windows.watch->show();
    windows.watch->raise();
}

bool MainWindow::save_report(const QString &path, QString *error)
{
    return write_service_report(path, service_report_data(*meter, port_settings, QDateTime::currentDateTime()), error);
}

void MainWindow::on_report_btn_clicked()
{
    if (!meter->polled_any()) {
        set_status(tr("Сначала считайте параметры счётчика"), "QLabel {color:red;}");
        return;
    }
    const QString path = save_with_dialog(
        this, tr("Сохранить отчёт"),
        report_file_name(quantity::serial_number(meter->poll().serial), QDate::currentDate()), tr("Файлы PDF (*.pdf)"),
        &report_dir, [this](const QString &file, QString *error) { return save_report(file, error); });
    if (!path.isEmpty())
        set_status(tr("Отчёт сохранён: %1").arg(path), "QLabel {color:black;}");
}
