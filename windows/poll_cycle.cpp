// The poll: reads the meter's identification, parameters and readings into
// the form, one step after another as the poll engine gets them.
#include "windows/mainwindow.h"

#include "link/exchanger.h"
#include "meter/poll.h"
#include "meter/register_map.h"
#include "ui_mainwindow.h"

void MainWindow::on_param_btn_clicked()
{
    if (!line_free_and_open())
        return;
    if (!by_serial && !by_address) {
        set_status(tr("Не выбран способ обращения к счетчику"), "QLabel {color:red;}");
        return;
    }
    const std::optional<MeterTarget> target = sequence_target(by_serial);
    if (!target)
        return;
    clear_filds();
    // The build information is the meter's too: none of another meter's stays.
    build_number_text.clear();
    compile_date_text.clear();
    compile_time_text.clear();
    poll_run = std::make_unique<PollEngine>(*target, model_table);
    // The success period while the meter answers in time, the failure period
    // after a first miss; a first bad answer is dropped without a log line.
    ExchangeRules rules;
    rules.ok_ms = port_settings.main_ok_ms;
    rules.fail_ms = port_settings.main_fail_ms;
    rules.log_first_bad_answer = false;
    exchanger->run(poll_run.get(), rules);
}

// A step has ended: its value goes into its field; a poll that ended early
// says why.
void MainWindow::printer()
{
    if (!poll_run->finished() || poll_run->complete()) {
        show_poll_answer(poll_run->step());
        if (poll_run->complete())
            journal_poll();
        return;
    }
    switch (poll_run->failure()) {
    case ExchangeOutcome::Kind::bad_answer: ui->label_31->setText(tr("Некорректные данные")); break;
    case ExchangeOutcome::Kind::stopped: ui->label_31->setText(tr("Обмен остановлен")); break;
    default: ui->label_31->setText(tr("Соединение отсутствует")); break;
    }
}

void MainWindow::show_poll_answer(int step)
{
    const PollValues &v = poll_run->values();
    QLineEdit *const archived[3][4]
        = {{ui->time_houer_line, ui->state_houer_line, ui->event_houer_line, ui->obr_houer_line},
           {ui->time_sut_line, ui->state_sut_line, ui->event_sut_line, ui->obr_sut_line},
           {ui->time_jurnal_line, ui->state_jurnal_line, ui->event_jurnal_line, ui->obr_jurnal_line}};
    if (step >= 17 && step <= 28) {
        const ArchivedReadingText *const readings[] = {&v.hour, &v.day, &v.month};
        const ArchivedReadingText &r = *readings[(step - 17) / 4];
        const QString texts[] = {r.time, r.volume, r.event, r.reverse_volume};
        archived[(step - 17) / 4][(step - 17) % 4]->setText(texts[(step - 17) % 4]);
        return;
    }
    switch (step) {
    case 1: ui->ver_prot_line->setText(QString::number(v.protocol_version)); break;
    case 2: ui->ver_PO_line->setText(v.software_version); break;
    case 3: ui->ID_PO_line->setText(v.software_id); break;
    case 4: build_number_text = v.build_number; break;
    case 5: {
        const bool matched = v.model.end == ModelLookup::End::matched;
        const bool searched_all = v.model.end == ModelLookup::End::not_found;
        const QString name = matched                       ? v.model.name
            : poll_run->target().by_serial && searched_all ? tr("неизвестная-")
                                                           : tr("неизвестная");
        ui->model_line->setStyleSheet(matched ? QStringLiteral("QLineEdit {background-color: white;}")
                                              : QStringLiteral("QLineEdit {background-color: yellow;}"));
        ui->model_line->setText(model_text(quint16(v.model_code), name));
        // The archive read scales its volumes by the meter last polled.
        volume_factor = v.volume_factor;
        factor_decimals = v.factor_decimals;
        break;
    }
    case 6: ui->K_line->setText(v.k_number); break;
    case 7: ui->border_line->setText(v.border); break;
    case 8: ui->serial_num_line->setText(v.serial_number); break;
    case 9: ui->type_line->setText(v.device_type); break;
    case 10: ui->adr_line_w->setText(v.device_address); break;
    case 11:
        if (v.rate_index >= 0)
            ui->speed_box_w->setCurrentIndex(v.rate_index);
        break;
    case 12:
        if (v.parity_index >= 0)
            ui->bit_box_w->setCurrentIndex(v.parity_index);
        break;
    case 13:
        ui->real_time_line->setText(v.clock);
        clock_read_at = QDateTime::currentDateTime(); // the report tells the clock's offset from it
        break;
    case 14: ui->real_state_lin->setText(v.volume); break;
    case 15: ui->real_event_line->setText(v.event); break;
    case 16: ui->real_obr_line->setText(v.reverse_volume); break;
    case 29: ui->date_line_w->setText(v.save_date); break;
    case 30: compile_date_text = v.compile_date; break;
    case 31: compile_time_text = v.compile_time; break;
    default: break;
    }
}
