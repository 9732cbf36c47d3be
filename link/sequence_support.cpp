// What the three step sequences share: one exchange at a time on the line,
// the addressing of a run, the receive queue and the log.
#include "app/mainwindow.h"

#include "link/answer_check.h"
#include "link/io_port.h"
#include "link/serial_number.h"
#include "log/log_class.h"
#include "ui_mainwindow.h"

#include <QTimer>

namespace {

const char *const red_label = "QLabel {color:red;}";

} // namespace

// The sequences share one line and one receive queue: a second sequence
// would take the first one's answers.
void MainWindow::report_line_busy()
{
    set_status(tr("Дождитесь окончания обмена"), red_label);
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

// Everything that arrived since the last take (`received`, for the log) and
// the meter's part of it: an echoing adapter's copy of the request dropped.
QByteArray MainWindow::take_answer(const QByteArray &request, QByteArray *received)
{
    received_chunks.clear();
    port->take(received_chunks);
    received->clear();
    for (const QByteArray &chunk : qAsConst(received_chunks))
        *received += chunk;
    return strip_echo(*received, request, &line_echoes);
}

// A sequence's timer is the longest wait for an answer, never shorter than
// the line needs for the request and the answer at the configured rate.
void MainWindow::start_answer_wait(QTimer *timer, int period_ms, const QByteArray &request, int answer_length)
{
    const int wait_ms = port->timing().answer_wait_ms(period_ms, request.size(), answer_length);
    timer->start(wait_ms + port->ms_until_line_free());
}

// A first missing or bad answer: skip one tick and look again on the next,
// with the failure period from now on for the rest of the run.
void MainWindow::wait_longer(QTimer *timer, int &period, int failure_ms)
{
    timer->stop();
    skip_tick = true;
    period = failure_ms;
    timer->start(period);
}

// Answers are handled the moment they are complete; the timers only bound
// the wait. Anything short of a whole, valid answer waits for the timer, which
// judges it as before.
void MainWindow::answer_arrived()
{
    // Bytes that come before the request has left answer something else;
    // they are dropped when it leaves.
    if (port->frames_waiting())
        return;
    const QByteArray bytes = port->queued_bytes();
    const auto whole = [&](const QByteArray &received, const QByteArray &request, int length) {
        return check_answer(strip_echo(received, request, &line_echoes), request, length);
    };
    if (poll_timer->isActive() && !poll_request.isEmpty()
        && whole(bytes, poll_request, poll_answer_length) == AnswerStatus::ok) {
        skip_tick = false;
        poll_answer_step();
    } else if (archive_timer->isActive() && !archive_request.isEmpty()
               && whole(bytes, archive_request, archive_answer_length) == AnswerStatus::ok) {
        skip_tick = false;
        archive_step();
    } else if (write_timer->isActive() && !write_request.isEmpty()) {
        const AnswerStatus status = whole(write_answer + bytes, write_request,
                                          modbus::write_answer_length(write_target.by_serial));
        // A write's answer is a copy of its request, and so is an echoing
        // adapter's: on a line not yet known to echo, let the write's own tick
        // judge it, by when the meter's copy has followed if there is one.
        const bool maybe_echo = !line_echoes && write_answer + bytes == write_request;
        if ((status == AnswerStatus::ok && !maybe_echo) || status == AnswerStatus::exception)
            write_data();
    }
}

void MainWindow::log_line(const QString &line)
{
    log_window->append(line);
}
