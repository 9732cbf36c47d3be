// The archive read: the hourly, daily and monthly archives block by block,
// one request per tick of the archive timer. Each archive is handed to the
// archive window only once it is complete.
#include "app/mainwindow.h"

#include "archive/archive.h"
#include "archive/archive_geometry.h"
#include "archive/records.h"
#include "link/answer_check.h"
#include "link/io_port.h"
#include "log/hex_line.h"
#include "ui_mainwindow.h"

#include <QTimer>

namespace {

const char *const red_button = "QPushButton {color:red;}";
const char *const red_label = "QLabel {color:red;}";

} // namespace

void MainWindow::on_arch_btn_clicked()
{
    if (poll_timer->isActive() || write_timer->isActive() || scan_running()) {
        report_line_busy();
        return;
    }
    ui->arch_btn->setStyleSheet(QStringLiteral("QPushButton {color:green;}"));
    ui->arch_btn->setText(tr("Идет чтение архива"));
    bad_data_count = 0;
    ui->label_31->setText(QString());
    archive_window->clear_tables();
    archive_type = archive_geometry::hourly;

    // The version and the addressing hold for the whole run: the window cuts
    // the answers by the same record and header lengths the requests ask for.
    archive_version = ui->ver_prot_line->text().toInt(nullptr, 10);
    archive_target.by_serial = by_serial;
    archive_window->set_version_scale(archive_version, volume_factor);
    archive_window->set_decimals(factor_decimals);
    archive_window->set_by_serial(by_serial);
    // Names the file the archive is saved to.
    const QString serial = ui->serial_num_line->text();
    archive_window->set_meter_serial(serial.isEmpty() && by_serial ? ui->sereal_num_line_w->text() : serial);

    archive_index = 0;
    archive_target_ready = false;
    archive_request.clear();
    received_chunks.clear();
    archive_frames.clear();
    no_answer_count = 0;
    skip_tick = false;
    archive_period = port_settings.archive_ok_ms;
    // The first tick comes at once; sending sets the timer to the wait.
    archive_timer->start(0);
}

void MainWindow::printer_arc()
{
    received_chunks.clear();
    if (!port_started) {
        archive_timer->stop();
        ui->label_31->setText(tr("Порт не открыт"));
        ui->arch_btn->setStyleSheet(QLatin1String(red_button));
        ui->arch_btn->setText(tr("Архив не прочитан"));
        return;
    }
    if (skip_tick) {
        skip_tick = false;
        return;
    }
    if (!archive_geometry::is_supported_version(archive_version)) {
        archive_timer->stop();
        ui->arch_btn->setStyleSheet(QLatin1String(red_button));
        ui->arch_btn->setText(tr("Некорректные параметры чтения"));
        return;
    }
    if (!archive_target_ready) {
        start_archive_read();
        return;
    }
    archive_step();
}

// Takes the answer to the outstanding block, if any, and asks for the next.
void MainWindow::archive_step()
{
    if (!archive_request.isEmpty() && !handle_archive_answer())
        return;

    while (archive_geometry::is_complete(archive_version, archive_type, archive_index)) {
        archive_window->add_archive(archive_frames, archive_type);
        archive_frames.clear();
        archive_index = 0;
        if (archive_type == archive_geometry::monthly) {
            archive_type = archive_geometry::hourly;
            archive_timer->stop();
            ui->arch_btn->setStyleSheet(QStringLiteral("QPushButton {color:black;}"));
            ui->arch_btn->setText(tr("Архив прочитан"));
            return;
        }
        ++archive_type;
    }
    send_archive_block();
}

// The first tick: check where the requests go, forget stale bytes, ask.
void MainWindow::start_archive_read()
{
    const std::optional<MeterTarget> target = sequence_target(archive_target.by_serial);
    if (!target) {
        archive_timer->stop();
        ui->arch_btn->setStyleSheet(QLatin1String(red_button));
        ui->arch_btn->setText(tr("Архив не прочитан"));
        return;
    }
    archive_target = *target;
    archive_target_ready = true;
    send_archive_block();
}

void MainWindow::send_archive_block()
{
    const int count = archive_geometry::block_size(archive_version, archive_type, archive_index);
    archive_request = modbus::archive_block_request(archive_target, quint8(archive_type),
                                                    quint16(archive_index), quint8(count));
    archive_answer_length = modbus::archive_answer_length(archive_target.by_serial, count,
                                                          arc::record_length(archive_version));
    archive_index += archive_geometry::block_step(archive_version);
    resend_archive_block();
}

void MainWindow::resend_archive_block()
{
    start_answer_wait(archive_timer, archive_period, archive_request, archive_answer_length);
    port->send(archive_request);
    log_line(sent_line(archive_request));
}

void MainWindow::archive_read_failed(const QString &button_text, const QString &status)
{
    archive_timer->stop();
    ui->arch_btn->setStyleSheet(QLatin1String(red_button));
    ui->arch_btn->setText(button_text);
    set_status(status, red_label);
}

// True when the block came whole and the run goes on with the next request.
bool MainWindow::handle_archive_answer()
{
    QByteArray received;
    const QByteArray answer = take_answer(archive_request, &received);
    if (!received.isEmpty())
        log_line(received_line(received) + QLatin1Char('\n'));
    if (answer.isEmpty()) {
        switch (no_answer_count) {
        case 0: // wait two failure periods for a slow meter
            no_answer_count = 1;
            wait_longer(archive_timer, archive_period, port_settings.archive_fail_ms);
            break;
        case 1:
            no_answer_count = 2;
            resend_archive_block();
            break;
        default:
            poll_step = 0;
            port->hold_line(port_settings.archive_fail_ms); // for a late answer to the last block
            archive_read_failed(tr("Архив не прочитан"), tr("Соединение отсутствует"));
            archive_type = archive_geometry::hourly;
            archive_index = 0;
            break;
        }
        return false;
    }

    // Only the exact answer to this block counts: a short, garbled or shifted
    // block would show an archive with records missing or misplaced.
    if (check_answer(answer, archive_request, archive_answer_length) == AnswerStatus::ok) {
        archive_frames.append(answer);
        archive_request.clear();
        return true;
    }
    switch (bad_data_count) {
    case 0:
        bad_data_count = 1;
        wait_longer(archive_timer, archive_period, port_settings.archive_fail_ms);
        break;
    case 1:
        bad_data_count = 2;
        resend_archive_block();
        break;
    default:
        archive_read_failed(tr("Некорректные данные архива"), tr("Неверные данные"));
        break;
    }
    return false;
}
