// What the sequences share: one run at a time on the line, the addressing of
// a run, and the log.
#include "windows/mainwindow.h"

#include "windows/watch_window.h"

#include "archive/archive_reader.h"
#include "link/exchanger.h"
#include "link/serial_number.h"
#include "meter/poll.h"
#include "ui_mainwindow.h"
#include "windows/log_class.h"

#include <QProgressBar>
#include <QPushButton>

namespace {

const char *const red_label = "QLabel {color:red;}";

} // namespace

// The sequences share one line: a second one would take the first one's
// answers.
bool MainWindow::line_busy()
{
    if (watching()) {
        set_status(tr("Идёт наблюдение: остановите его"), red_label);
        return true;
    }
    if (!exchanger->busy())
        return false;
    set_status(tr("Дождитесь окончания обмена"), red_label);
    return true;
}

// A poll or a write may start: the status line is emptied for its outcome.
bool MainWindow::line_free_and_open()
{
    if (line_busy())
        return false;
    ui->label_31->setText(QString());
    if (!port_started) {
        ui->label_31->setText(tr("Порт не открыт"));
        return false;
    }
    return true;
}

// The meter a run talks to, taken once at its start. An invalid address is
// never sent: 0 is the broadcast that every meter on the line obeys, and an
// address above 247 would be cut to another meter's address.
std::optional<MeterTarget> MainWindow::sequence_target(bool serial_mode)
{
    MeterTarget target;
    target.by_serial = serial_mode;
    if (serial_mode) {
        const std::optional<SerialBytes> serial = pack_serial_number(ui->sereal_num_line_w->text());
        if (!serial) {
            set_status(tr("Неверный серийный номер"), red_label);
            return std::nullopt;
        }
        target.serial = *serial;
    } else {
        const std::optional<quint8> address = parse_device_address(ui->adr_line->text());
        if (!address) {
            set_status(tr("Неверный адрес устройства"), red_label);
            return std::nullopt;
        }
        target.address = *address;
    }
    return target;
}

// Shows a step of a run as it ends, and the run's end.
void MainWindow::show_run(Sequence *sequence)
{
    if (sequence == poll_run.get())
        printer();
    else if (sequence == write_run.get())
        write_data();
    else if (sequence == archive_run.get())
        printer_arc();
}

// The blocks, steps, items or addresses done of the whole run, and the time
// left at the pace the line has kept so far.
void MainWindow::show_progress(Sequence *sequence)
{
    const SequenceProgress p = sequence->progress();
    if (progress_bar->isHidden() || p.done == 0)
        run_clock.start();
    progress_bar->show();
    stop_btn->setEnabled(true);
    progress_bar->setRange(0, qMax(1, p.total));
    progress_bar->setValue(qMin(p.done, p.total));
    if (p.done > 0 && p.done < p.total) {
        const qint64 left_s = (run_clock.elapsed() * (p.total - p.done) / p.done + 999) / 1000;
        progress_bar->setFormat(tr("%1 из %2, осталось %3 с").arg(p.done).arg(p.total).arg(left_s));
    } else {
        progress_bar->setFormat(tr("%1 из %2").arg(p.done).arg(p.total));
    }
}

void MainWindow::run_over()
{
    progress_bar->hide();
    stop_btn->setEnabled(false);
    if (reopen_after_run) {
        reopen_after_run = false;
        on_start_btn_clicked();
    }
}

void MainWindow::log_line(const QString &line)
{
    log_window->append(line);
}
