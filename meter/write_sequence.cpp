// The write sequence: writes the checked items of the write block, one per
// tick of the 100 ms write timer, each confirmed by the meter before the next.
#include "app/mainwindow.h"

#include "link/answer_check.h"
#include "link/io_port.h"
#include "link/serial_number.h"
#include "log/hex_line.h"
#include "meter/register_map.h"
#include "ui_mainwindow.h"

#include <QTimer>

namespace {

const char *const red_label = "QLabel {color:red;}";
constexpr int write_period_ms = 100;
constexpr int finish_step = write_item::count;

} // namespace

void MainWindow::on_write_btn_clicked()
{
    if (poll_timer->isActive() || archive_timer->isActive() || scan_running()) {
        report_line_busy();
        return;
    }
    write_step = 0;
    write_request.clear();
    write_timer->start(0); // the first write leaves at the press
    ui->label_31->setText(QString());
}

void MainWindow::write_data()
{
    if (!port_started) {
        write_timer->stop();
        ui->label_31->setText(tr("Порт не открыт"));
        return;
    }
    if (write_step < 0 || write_step > finish_step)
        return;

    if (write_step == 0) {
        if (!prepare_write_run()) {
            write_timer->stop();
            return;
        }
    } else {
        switch (confirm_write()) {
        case WriteConfirmation::waiting:
            return;
        case WriteConfirmation::failed:
            write_timer->stop();
            return;
        case WriteConfirmation::confirmed:
            break;
        }
    }

    // Items not checked cost no time on the line.
    while (write_step < finish_step && !write_values[size_t(write_step)])
        ++write_step;
    if (write_step == finish_step) {
        write_step = 0;
        set_status(tr("Запись завершена"), "QLabel {color:black;}");
        write_timer->stop();
        return;
    }
    send_write_item(write_step);
    ++write_step;
}

// Everything is checked before the first frame: a typo must not reach the
// meter as 0, and a run must not stop half-way through with some items written.
bool MainWindow::prepare_write_run()
{
    const std::optional<MeterTarget> target = sequence_target(by_serial);
    if (!target)
        return false;

    write_values.fill(std::nullopt);
    if (write_address_enabled) {
        const std::optional<quint8> address = parse_device_address(ui->adr_line_w->text());
        if (!address) {
            set_status(tr("Неверный новый адрес устройства"), red_label);
            return false;
        }
        write_values[write_item::address] = *address;
    }
    if (write_rate_enabled)
        write_values[write_item::exchange_rate] = quint32(ui->speed_box_w->currentIndex());
    if (write_parity_enabled)
        write_values[write_item::parity] = parity_code(ui->bit_box_w->currentIndex());
    if (write_save_date_enabled) {
        const std::optional<quint16> date = parse_save_date(ui->date_line_w->text());
        if (!date) {
            set_status(tr("Неверная дата сохранения"), red_label);
            return false;
        }
        write_values[write_item::save_date] = *date;
    }
    clock_from_computer = write_clock_enabled && !manual_time;
    if (write_clock_enabled) {
        if (manual_time) {
            const std::optional<QDateTime> typed = parse_meter_time(ui->real_time_line->text());
            if (!typed) {
                set_status(tr("Неверный формат времени"), red_label);
                return false;
            }
            write_values[write_item::clock] = meter_clock_value(*typed);
        } else {
            write_values[write_item::clock] = 0; // taken from the computer when sent
        }
    }

    write_target = *target;
    write_request.clear();
    write_answer.clear();
    return true;
}

void MainWindow::send_write_item(int item)
{
    quint32 value = *write_values[size_t(item)];
    if (item == write_item::clock && clock_from_computer)
        value = meter_clock_value(wall_time_as_utc(QDateTime::currentDateTime()));
    write_request = write_item_request(write_target, item, value);
    write_answer.clear();
    write_wait_ms = port->timing().answer_wait_ms(port_settings.main_fail_ms, write_request.size(),
                                                  modbus::write_answer_length(write_target.by_serial))
        + port->ms_until_line_free();
    write_waited.start();
    write_timer->start(write_period_ms);
    port->send(write_request);
    log_line(sent_line(write_request) + QLatin1Char('\n'));
}

// A write counts only when the meter confirms it: a correct answer from the
// meter written to. A slow line may need several ticks; the wait ends after
// the main failure period, or the line time of the exchange if longer.
MainWindow::WriteConfirmation MainWindow::confirm_write()
{
    if (write_request.isEmpty())
        return WriteConfirmation::confirmed; // nothing was sent for the previous item

    QByteArray received;
    take_answer(write_request, &received);
    write_answer += received;
    const QByteArray answer = strip_echo(write_answer, write_request, &line_echoes);
    const AnswerStatus status =
        check_answer(answer, write_request, modbus::write_answer_length(write_target.by_serial));
    const bool timed_out = write_waited.elapsed() >= write_wait_ms;
    if (status == AnswerStatus::too_short && !timed_out)
        return WriteConfirmation::waiting;

    if (!write_answer.isEmpty())
        log_line(received_line(write_answer) + QLatin1Char('\n'));
    else
        port->hold_line(port_settings.main_fail_ms); // for a late answer to the last write
    write_request.clear();
    write_answer.clear();
    if (status == AnswerStatus::ok)
        return WriteConfirmation::confirmed;

    const QString exception = exception_message(exception_code(answer));
    set_status(exception.isEmpty() ? tr("Запись не подтверждена") : exception, red_label);
    return WriteConfirmation::failed;
}
