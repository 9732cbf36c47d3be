// The operator's commands that only set state or show a window.
#include "windows/main_window/mainwindow.h"

#include "ui_mainwindow.h"
#include "windows/main_window/archive.h"
#include "windows/main_window/log_class.h"
#include "windows/main_window/settings.h"
#include "windows/main_window/write_job.h"

#include "model/meter_model.h"

#include <QKeyEvent>
#include <QPushButton>

void MainWindow::on_setting_btn_clicked()
{
    windows.setup->attach(&port_settings);
    windows.setup->show();
}

void MainWindow::on_open_btn_clicked()
{
    windows.archives->show();
}

void MainWindow::on_log_btn_clicked()
{
    windows.log->show();
}

bool MainWindow::by_serial() const
{
    return ui->s_num_click->isChecked();
}

bool MainWindow::by_address() const
{
    return ui->adr_click->isChecked();
}

// The two addressing boxes exclude each other: unchecking the other box emits
// its own stateChanged(0).
void MainWindow::on_s_num_click_stateChanged(int state)
{
    if (state != 0) {
        serial_chosen_last = true;
        ui->adr_click->setChecked(false);
    }
}

void MainWindow::on_adr_click_stateChanged(int state)
{
    if (state != 0) {
        serial_chosen_last = false;
        ui->s_num_click->setChecked(false);
    }
}

// The write block's boxes: the write takes the checked items when it starts.
void MainWindow::on_adr_click_w_stateChanged(int state)
{
    write->enable(write_item::address, state != 0);
}
void MainWindow::on_speed_click_w_stateChanged(int state)
{
    write->enable(write_item::exchange_rate, state != 0);
}
void MainWindow::on_bit_click_w_stateChanged(int state)
{
    write->enable(write_item::parity, state != 0);
}
void MainWindow::on_date_save_w_stateChanged(int state)
{
    write->enable(write_item::save_date, state != 0);
}
void MainWindow::on_write_time_click_stateChanged(int state)
{
    write->enable(write_item::clock, state != 0);
}
void MainWindow::on_hend_time_stateChanged(int state)
{
    write->set_typed_clock(state != 0);
}

// Empties what a poll shows; the addressing inputs, the check boxes and the
// status line stay as they are.
void MainWindow::clear_filds()
{
    for (QLineEdit *field : {ui->ver_prot_line, ui->ver_PO_line, ui->ID_PO_line, ui->model_line, ui->K_line,
                             ui->border_line, ui->type_line, ui->serial_num_line})
        field->setText(QString());
    for (QLabel *label : {ui->num_build_v, ui->date_comp_w, ui->time_comp_w})
        label->setText(QString());
    for (QLineEdit *field :
         {ui->adr_line_w, ui->date_line_w, ui->real_time_line, ui->real_state_lin, ui->real_event_line,
          ui->real_obr_line, ui->time_houer_line, ui->state_houer_line, ui->event_houer_line, ui->obr_houer_line,
          ui->time_sut_line, ui->state_sut_line, ui->event_sut_line, ui->obr_sut_line, ui->time_jurnal_line,
          ui->state_jurnal_line, ui->event_jurnal_line, ui->obr_jurnal_line})
        field->setText(QString());
    ui->speed_box_w->setCurrentIndex(0);
    ui->bit_box_w->setCurrentIndex(0);
}

// Ctrl+N shows or hides the meter's build information read by the last poll.
// Other keys are deliberately not passed on.
void MainWindow::keyPressEvent(QKeyEvent *event)
{
    // Enter presses the focused button, as Space does.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto *button = qobject_cast<QPushButton *>(focusWidget()))
            button->animateClick();
        return;
    }
    if (event->key() != Qt::Key_N || !(event->modifiers() & Qt::ControlModifier))
        return;
    if (!build_info_shown) {
        // The build information of the meter last polled.
        const PollValues &v = meter->poll();
        ui->num_build_v->setText(quantity::number(v.build_number));
        ui->date_comp_w->setText(quantity::build(v.compile_date));
        ui->time_comp_w->setText(quantity::build(v.compile_time));
        ui->label_4->setText(tr("Номер сборки"));
        ui->label_9->setText(tr("Дата компиляции"));
        ui->label_10->setText(tr("Время компиляции"));
        build_info_shown = true;
    } else {
        for (QLabel *label :
             {ui->label_4, ui->label_9, ui->label_10, ui->num_build_v, ui->date_comp_w, ui->time_comp_w})
            label->setText(QString());
        build_info_shown = false;
    }
}
