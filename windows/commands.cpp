// The operator's commands that only set state or show a window.
#include "windows/mainwindow.h"

#include "ui_mainwindow.h"
#include "windows/archive.h"
#include "windows/log_class.h"
#include "windows/settings.h"

#include <QKeyEvent>
#include <QPushButton>

void MainWindow::on_setting_btn_clicked()
{
    settings_window->attach(&port_settings);
    settings_window->show();
}

void MainWindow::on_open_btn_clicked()
{
    archive_window->show();
}

void MainWindow::on_log_btn_clicked()
{
    log_window->show();
}

// The two addressing boxes exclude each other: unchecking the other box emits
// its own stateChanged(0), whose slot clears its flag.
void MainWindow::on_s_num_click_stateChanged(int state)
{
    by_serial = state != 0;
    if (by_serial) {
        serial_chosen_last = true;
        ui->adr_click->setChecked(false);
    }
}

void MainWindow::on_adr_click_stateChanged(int state)
{
    by_address = state != 0;
    if (by_address) {
        serial_chosen_last = false;
        ui->s_num_click->setChecked(false);
    }
}

void MainWindow::on_adr_click_w_stateChanged(int state)
{
    write_address_enabled = state != 0;
}
void MainWindow::on_speed_click_w_stateChanged(int state)
{
    write_rate_enabled = state != 0;
}
void MainWindow::on_bit_click_w_stateChanged(int state)
{
    write_parity_enabled = state != 0;
}
void MainWindow::on_date_save_w_stateChanged(int state)
{
    write_save_date_enabled = state != 0;
}
void MainWindow::on_write_time_click_stateChanged(int state)
{
    write_clock_enabled = state != 0;
}
void MainWindow::on_hend_time_stateChanged(int state)
{
    manual_time = state != 0;
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
        ui->num_build_v->setText(build_number_text);
        ui->date_comp_w->setText(compile_date_text);
        ui->time_comp_w->setText(compile_time_text);
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
