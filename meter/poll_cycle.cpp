// The poll cycle: reads the meter's identification, parameters and readings,
// one register block per tick of the poll timer (steps 0..31).
#include "app/mainwindow.h"

#include "app/model_table.h"
#include "link/answer_check.h"
#include "link/io_port.h"
#include "log/hex_line.h"
#include "meter/register_map.h"
#include "ui_mainwindow.h"

#include <QTimer>

void MainWindow::on_param_btn_clicked()
{
    if (write_timer->isActive() || archive_timer->isActive() || scan_running()) {
        report_line_busy();
        return;
    }
    // The volume factor and its decimals stay a pair until the model step
    // names the meter: a run that fails before it must not show the old
    // factor's volumes rounded to whole numbers.
    poll_step = 0;
    no_answer_count = 0;
    received_chunks.clear();
    skip_tick = false;
    ui->label_31->setText(QString());
    bad_answer_count = 0;
    poll_request.clear();
    poll_period = port_settings.main_ok_ms;
    // The first tick comes at once: the first request leaves at the press,
    // and sending it sets the timer to the wait for its answer.
    poll_timer->start(0);
}

void MainWindow::printer()
{
    if (!port_started) {
        poll_timer->stop();
        ui->label_31->setText(tr("Порт не открыт"));
        return;
    }
    if (skip_tick) {
        skip_tick = false;
        return;
    }
    if (poll_step == 0)
        start_poll();
    else
        poll_answer_step();
}

void MainWindow::start_poll()
{
    if (!by_serial && !by_address) {
        poll_timer->stop();
        set_status(tr("Не выбран способ обращения к счетчику"), "QLabel {color:red;}");
        return;
    }
    const std::optional<MeterTarget> target = sequence_target(by_serial);
    if (!target) {
        poll_timer->stop();
        return;
    }
    poll_target = *target;
    clear_filds();
    poll_step = 1;
    send_poll_request(1, false);
}

// Version 2 meters have no reverse-flow registers; the field shows the
// version that step 1 read (or that the operator typed over it).
bool MainWindow::reverse_flow_read() const
{
    return ui->ver_prot_line->text().toInt(nullptr, 10) == poll::reverse_flow_version;
}

void MainWindow::send_poll_request(int step, bool line_end)
{
    const poll::Step &registers = poll::step(step);
    poll_request = modbus::read_registers_request(poll_target, registers.reg, registers.count);
    poll_answer_length = modbus::read_answer_length(poll_target.by_serial, registers.count);
    // A handful of request lines end with an empty line; operators are used to
    // the log's look, so it stays as it always was.
    poll_request_line = sent_line(poll_request) + (line_end ? QStringLiteral("\n") : QString());
    resend_poll_request();
}

void MainWindow::resend_poll_request()
{
    start_answer_wait(poll_timer, poll_period, poll_request, poll_answer_length);
    port->send(poll_request);
    log_line(poll_request_line);
}

void MainWindow::poll_answer_step()
{
    const int step = poll_step;
    const bool device_mode = !poll_target.by_serial;
    empty_poll_field(step);

    if (poll::step(step).reverse_flow && !reverse_flow_read()) {
        // Nothing was asked for this step: go on with the next one.
        ++poll_step;
        send_poll_request(poll_step, device_mode);
        return;
    }

    QByteArray received;
    const QByteArray answer = take_answer(poll_request, &received);
    if (answer.isEmpty()) {
        if (!received.isEmpty())
            log_line(received_line(received) + QLatin1Char('\n')); // only the adapter's copy
        switch (no_answer_count) {
        case 0:
            no_answer_count = 1;
            wait_longer(poll_timer, poll_period, port_settings.main_fail_ms);
            break;
        case 1:
            resend_poll_request();
            no_answer_count = 2;
            break;
        default:
            poll_step = 0;
            poll_timer->stop();
            ui->label_31->setText(tr("Соединение отсутствует"));
            received_chunks.clear();
            port->hold_line(port_settings.main_fail_ms); // for a late answer to the last request
            no_answer_count = 0;
            break;
        }
        return;
    }

    if (check_answer(answer, poll_request, poll_answer_length) != AnswerStatus::ok) {
        switch (bad_answer_count) {
        case 0: // the first bad answer is dropped unlogged, and the cycle waits
            bad_answer_count = 1;
            wait_longer(poll_timer, poll_period, port_settings.main_fail_ms);
            break;
        case 1:
            log_line(received_line(received) + QLatin1Char('\n'));
            resend_poll_request();
            bad_answer_count = 2;
            break;
        default:
            poll_timer->stop();
            log_line(received_line(received) + QLatin1Char('\n'));
            ui->label_31->setText(tr("Некорректные данные"));
            break;
        }
        return;
    }

    poll_request.clear();
    show_poll_answer(step, answer.mid(modbus::read_data_offset(poll_target.by_serial)));
    log_line(received_line(received) + QLatin1Char('\n'));

    if (step == poll::step_count - 1) {
        poll_timer->stop();
        poll_step = 0;
        return;
    }
    ++poll_step;
    if (poll::step(poll_step).reverse_flow && !reverse_flow_read()) {
        poll_timer->start(0); // nothing to ask here: pass through at once
        return;
    }
    send_poll_request(poll_step, device_mode && step == 23);
}

// A field is emptied when its step begins, so nothing stale stays on show
// while the meter is asked for it again.
void MainWindow::empty_poll_field(int step)
{
    QLineEdit *const fields[poll::step_count] = {
        nullptr, ui->ver_prot_line, ui->ver_PO_line, ui->ID_PO_line, nullptr, nullptr, nullptr,
        ui->border_line, ui->serial_num_line, ui->type_line, ui->adr_line_w, nullptr, nullptr,
        ui->real_time_line, ui->real_state_lin, ui->real_event_line, ui->real_obr_line,
        ui->time_houer_line, ui->state_houer_line, ui->event_houer_line, ui->obr_houer_line,
        ui->time_sut_line, ui->state_sut_line, ui->event_sut_line, ui->obr_sut_line,
        ui->time_jurnal_line, ui->state_jurnal_line, ui->event_jurnal_line, ui->obr_jurnal_line,
        ui->date_line_w, nullptr, nullptr};
    if (step == 30)
        compile_date_text.clear();
    else if (step == 31)
        compile_time_text.clear();
    else if (fields[step])
        fields[step]->clear();
}

void MainWindow::show_poll_answer(int step, const QByteArray &d)
{
    const quint16 w = word_at(d, 0);
    const auto dw = [&d] { return dword_at(d, 0); };
    switch (step) {
    case 1: ui->ver_prot_line->setText(QString::number(w)); break;
    case 2: ui->ver_PO_line->setText(software_version_text(quint8(d[0]), quint8(d[1]))); break;
    case 3: ui->ID_PO_line->setText(software_identifier_text(quint8(d[0]), quint8(d[1]))); break;
    case 4: build_number_text = QString::number(w); break;
    case 5: {
        ui->model_line->setStyleSheet(QStringLiteral("QLineEdit {background-color: white;}"));
        const ModelLookup model = lookup_model(model_table, w);
        QString name = model.name;
        if (model.end == ModelLookup::End::matched) {
            volume_factor = model.factor;
            factor_decimals = model.factor_has_point ? model.factor_decimals : 0;
        } else {
            ui->model_line->setStyleSheet(QStringLiteral("QLineEdit {background-color: yellow;}"));
            const bool searched_all = model.end == ModelLookup::End::not_found;
            name = poll_target.by_serial && searched_all ? tr("неизвестная-")
                                                         : tr("неизвестная");
            // A factor left from another meter would scale this one's volumes
            // wrongly: show raw counts instead.
            volume_factor = 0.0;
            factor_decimals = 0;
        }
        ui->model_line->setText(model_text(w, name));
        break;
    }
    case 6: ui->K_line->setText(QString::number(w, 16)); break;
    case 7: ui->border_line->setText(QString::number(w)); break;
    case 8: ui->serial_num_line->setText(serial_number_text(d)); break;
    case 9: ui->type_line->setText(device_type_text(w)); break;
    case 10: ui->adr_line_w->setText(QString::number(w)); break;
    case 11:
        if (exchange_rate_index(w) >= 0)
            ui->speed_box_w->setCurrentIndex(exchange_rate_index(w));
        break;
    case 12:
        if (parity_index(w) >= 0)
            ui->bit_box_w->setCurrentIndex(parity_index(w));
        break;
    case 13: ui->real_time_line->setText(meter_time_text(dw())); break;
    case 14: ui->real_state_lin->setText(current_volume_text(dw(), volume_factor, factor_decimals)); break;
    case 15: ui->real_event_line->setText(QString::number(w)); break;
    case 16: ui->real_obr_line->setText(current_volume_text(dw(), volume_factor, factor_decimals)); break;
    case 17: ui->time_houer_line->setText(archived_time_text(dw())); break;
    case 18: ui->state_houer_line->setText(archived_volume_text(dw(), volume_factor, factor_decimals)); break;
    case 19: ui->event_houer_line->setText(archived_event_text(w)); break;
    case 20: ui->obr_houer_line->setText(archived_volume_text(dw(), volume_factor, factor_decimals)); break;
    case 21: ui->time_sut_line->setText(archived_time_text(dw())); break;
    case 22: ui->state_sut_line->setText(archived_volume_text(dw(), volume_factor, factor_decimals)); break;
    case 23: ui->event_sut_line->setText(archived_event_text(w)); break;
    case 24: ui->obr_sut_line->setText(archived_volume_text(dw(), volume_factor, factor_decimals)); break;
    case 25: ui->time_jurnal_line->setText(archived_time_text(dw())); break;
    case 26: ui->state_jurnal_line->setText(archived_volume_text(dw(), volume_factor, factor_decimals)); break;
    case 27: ui->event_jurnal_line->setText(archived_event_text(w)); break;
    case 28: ui->obr_jurnal_line->setText(archived_volume_text(dw(), volume_factor, factor_decimals)); break;
    case 29: ui->date_line_w->setText(QString::number(w)); break;
    case 30: compile_date_text = build_text(d, 0); break;
    case 31: compile_time_text = build_text(d, 0); break;
    default: break;
    }
}
