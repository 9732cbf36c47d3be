// What the sequences share: one run at a time on the line, the addressing of
// a run, and the log.
#include "windows/main_window/mainwindow.h"

#include "windows/service/watch_window.h"

#include "link/exchanger.h"
#include "link/line_session.h"
#include "link/serial_number.h"
#include "model/outcome_words.h"
#include "ui_mainwindow.h"
#include "windows/main_window/log_class.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

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
    if (!line.session->exchanger()->busy())
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
    if (!line.started) {
        ui->label_31->setText(outcome_words(RunOutcome::Kind::port_lost));
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

// The blocks, steps, items or addresses done of the whole run, and the time
// left at the pace the line has kept so far.
void MainWindow::show_progress(Sequence *sequence)
{
    const SequenceProgress p = sequence->progress();
    if (progress.bar->isHidden() || p.done == 0)
        progress.clock.start();
    progress.bar->show();
    progress.stop->setEnabled(true);
    progress.bar->setRange(0, qMax(1, p.total));
    progress.bar->setValue(qMin(p.done, p.total));
    if (p.done > 0 && p.done < p.total) {
        const qint64 left_s = (progress.clock.elapsed() * (p.total - p.done) / p.done + 999) / 1000;
        progress.bar->setFormat(tr("%1 из %2, осталось %3 с").arg(p.done).arg(p.total).arg(left_s));
    } else {
        progress.bar->setFormat(tr("%1 из %2").arg(p.done).arg(p.total));
    }
}

// After a stopped run the line may still carry its last answer: the next
// run's first request waits, and the operator sees for how long.
void MainWindow::show_quiet_wait(Sequence *sequence, int ms)
{
    if (ms <= 0) {
        progress.quiet_tick->stop();
        show_progress(sequence);
        return;
    }
    progress.quiet_until.setRemainingTime(ms);
    const auto show_left = [this] {
        const qint64 left_s = (progress.quiet_until.remainingTime() + 999) / 1000;
        progress.bar->setFormat(tr("Ожидание тишины на линии, %1 с").arg(left_s));
    };
    if (!progress.quiet_tick) {
        progress.quiet_tick = new QTimer(this);
        progress.quiet_tick->setInterval(250);
        connect(progress.quiet_tick, &QTimer::timeout, this, show_left);
    }
    progress.quiet_tick->start();
    show_left();
}

void MainWindow::run_over()
{
    if (progress.quiet_tick)
        progress.quiet_tick->stop();
    progress.bar->hide();
    progress.stop->setEnabled(false);
    if (progress.reopen_after_run) {
        progress.reopen_after_run = false;
        on_start_btn_clicked();
    }
}

void MainWindow::log_line(const QString &line)
{
    windows.log->append(line);
}
