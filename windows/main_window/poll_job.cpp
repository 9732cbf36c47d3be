// The poll: reads the meter's identification, parameters and readings into
// the model and the form, one step after another as the poll engine gets them.
#include "windows/main_window/poll_job.h"

#include "link/exchanger.h"
#include "meter/poll.h"
#include "meter/register_map.h"
#include "model/meter_model.h"
#include "model/quantity.h"
#include "ui_mainwindow.h"
#include "windows/main_window/journal_link.h"

#include <QCoreApplication>

PollJob::PollJob(const JobContext &context)
    : c(context)
{ }

PollJob::~PollJob() = default;

void PollJob::start(const MeterTarget &target)
{
    run = std::make_unique<PollEngine>(target, c.meter->model_table());
    c.meter->poll_started(target);
    c.line->run(run.get(), exchange_rules::poll(c.periods->periods()), [this](bool) { show(); });
}

void PollJob::show()
{
    const bool whole = run->complete();
    if (!run->finished() || whole) {
        c.meter->poll_answered(run->values());
        show_step(run->step());
        if (whole) {
            c.meter->poll_over(true);
            c.journal->record_poll(c.meter->poll(), run->target());
        }
        return;
    }
    c.meter->poll_over(false);
    c.status(run_status_text(Job::poll, run->failure()), nullptr);
}

// Volumes are in cubic metres once the model is known, in counts otherwise,
// and the captions say which.
void PollJob::show_volume_captions()
{
    const VolumeScale scale = c.meter->poll_scale();
    for (QLabel *label : {c.ui->label_12, c.ui->label_22, c.ui->label_16, c.ui->label_27})
        label->setText(quantity::caption(quantity::Kind::volume, scale));
    for (QLabel *label : {c.ui->label_14, c.ui->label_23, c.ui->label_17, c.ui->label_28})
        label->setText(quantity::caption(quantity::Kind::reverse_volume, scale));
}

void PollJob::show_step(int step)
{
    Ui::MainWindow *ui = c.ui;
    const PollValues &v = c.meter->poll();
    const VolumeScale scale = v.scale();
    QLineEdit *const archived[3][4]
        = {{ui->time_houer_line, ui->state_houer_line, ui->event_houer_line, ui->obr_houer_line},
           {ui->time_sut_line, ui->state_sut_line, ui->event_sut_line, ui->obr_sut_line},
           {ui->time_jurnal_line, ui->state_jurnal_line, ui->event_jurnal_line, ui->obr_jurnal_line}};
    if (step >= 17 && step <= 28) {
        const ArchivedReading *const readings[] = {&v.hour, &v.day, &v.month};
        const ArchivedReading &r = *readings[(step - 17) / 4];
        using quantity::Kind;
        const QString texts[]
            = {quantity::text(Kind::archived_time, r.time), quantity::text(Kind::archived_volume, r.volume, scale),
               quantity::text(Kind::archived_event, r.event), quantity::text(Kind::archived_reverse, r.reverse, scale)};
        archived[(step - 17) / 4][(step - 17) % 4]->setText(texts[(step - 17) % 4]);
        return;
    }
    switch (step) {
    case 1: ui->ver_prot_line->setText(quantity::number(v.protocol_version)); break;
    case 2: ui->ver_PO_line->setText(quantity::software_version(v.software_version)); break;
    case 3: ui->ID_PO_line->setText(quantity::software_id(v.software_id)); break;
    case 5: {
        if (!v.model_code)
            break;
        const bool matched = v.model.end == ModelLookup::End::matched;
        ui->model_line->setStyleSheet(matched ? QStringLiteral("QLineEdit {background-color: white;}")
                                              : QStringLiteral("QLineEdit {background-color: yellow;}"));
        ui->model_line->setText(quantity::model_name(*v.model_code, v.model, run->target().by_serial));
        show_volume_captions();
        break;
    }
    case 6: ui->K_line->setText(quantity::k_number(v.k_number)); break;
    case 7: ui->border_line->setText(quantity::number(v.border)); break;
    case 8: ui->serial_num_line->setText(quantity::serial_number(v.serial)); break;
    case 9: ui->type_line->setText(quantity::device_type(v.device_type)); break;
    case 10: ui->adr_line_w->setText(quantity::number(v.device_address)); break;
    case 11:
        if (v.rate_code && exchange_rate_index(*v.rate_code) >= 0)
            ui->speed_box_w->setCurrentIndex(exchange_rate_index(*v.rate_code));
        break;
    case 12:
        if (v.parity_code && parity_index(*v.parity_code) >= 0)
            ui->bit_box_w->setCurrentIndex(parity_index(*v.parity_code));
        break;
    case 13: ui->real_time_line->setText(quantity::text(quantity::Kind::clock, v.clock_seconds)); break;
    case 14: ui->real_state_lin->setText(quantity::text(quantity::Kind::volume, v.volume_units, scale)); break;
    case 15: ui->real_event_line->setText(quantity::text(quantity::Kind::event, v.event)); break;
    case 16: ui->real_obr_line->setText(quantity::text(quantity::Kind::reverse_volume, v.reverse_units, scale)); break;
    case 29: ui->date_line_w->setText(quantity::number(v.save_date)); break;
    default: break; // the build information waits for Ctrl+N
    }
}
