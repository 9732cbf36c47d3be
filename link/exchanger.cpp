#include "link/exchanger.h"

#include "link/hex_line.h"
#include "link/io_port.h"

#include <QTimer>

#include <algorithm>

namespace {

constexpr int max_late_factor = 3;
// A late answer is looked for this many of its request's whole waits after it
// left: a meter that missed its wait may well take twice as long again.
constexpr int late_answer_waits = 3;
// A line that never falls quiet (another master, a babbling device) holds the
// next request back no longer than this many quiet waits.
constexpr int max_quiet_waits = 4;
constexpr int max_stray_logged_bytes = 4096;

} // namespace

Exchanger::Exchanger(io_port *port, QObject *parent)
    : QObject(parent)
    , port(port)
    , wait_timer(new QTimer(this))
    , look_timer(new QTimer(this))
    , quiet_timer(new QTimer(this))
    , late_log_timer(new QTimer(this))
{
    wait_timer->setSingleShot(true);
    // Every silent address of a search costs its whole wait: keep it exact.
    wait_timer->setTimerType(Qt::PreciseTimer);
    quiet_timer->setSingleShot(true);
    connect(wait_timer, &QTimer::timeout, this, &Exchanger::wait_over);
    connect(look_timer, &QTimer::timeout, this, &Exchanger::look);
    connect(quiet_timer, &QTimer::timeout, this, &Exchanger::quiet_over);
    late_log_timer->setSingleShot(true);
    connect(late_log_timer, &QTimer::timeout, this, &Exchanger::log_late);
    connect(port, &io_port::bytes_arrived, this, &Exchanger::bytes_arrived);
    connect(port, &io_port::port_lost, this, [this] {
        if (outstanding)
            conclude_lost();
        else if (quiet_timer->isActive())
            quiet_over(); // the request finds the port closed
    });
    connect(port, &io_port::stale_bytes_dropped, this, [this](const QByteArray &bytes) {
        if (after_stop)
            note_late(bytes);
        else
            log_received(bytes);
    });
    line_clock.start();
}

bool Exchanger::run(Sequence *sequence, const ExchangeRules &run_rules, RunListener run_listener)
{
    if (busy() || !sequence)
        return false;
    running = sequence;
    listener = std::move(run_listener);
    rules = run_rules;
    period_ms = rules.ok_ms;
    missing_strikes = 0;
    bad_strikes = 0;
    emit started(sequence);
    next();
    return true;
}

void Exchanger::stop()
{
    if (!running)
        return;
    if (outstanding) {
        quiet_due = true;
        quiet_base_ms = rules.fail_ms;
        quiet_not_before_ms = last_sent_ms + qint64(max_late_factor) * rules.fail_ms;
        stopped_request = request;
        stopped_answer_until_ms = last_sent_ms + answer_wait_ms;
        stopped_answer = collected; // what came of it so far, the rest may follow
        after_stop = true;
        note_late(collected);
    }
    end_run(ExchangeOutcome::Kind::stopped);
}

const LineTiming &Exchanger::port_timing() const
{
    return port->timing();
}

void Exchanger::reset_line()
{
    counts = LineStats(); // the statistics are the line's, from its opening
    echoes = false;
    quiet_due = false;
    late_factor = 1;
    log_late();
    after_stop = false;
}

void Exchanger::next()
{
    if (running->finished()) {
        Sequence *done = running;
        running = nullptr;
        tell_over(done);
        return;
    }
    if (quiet_due)
        start_quiet();
    else
        send(false);
}

void Exchanger::send(bool again)
{
    if (!port->is_open()) {
        conclude_lost();
        return;
    }
    if (again) {
        ++counts.resends;
        resent = true;
    } else {
        request = running->next_request();
        resent = false;
        if (request.new_meter)
            period_ms = rules.ok_ms;
        if (request.new_meter || rules.strikes_per_request) {
            missing_strikes = 0;
            bad_strikes = 0;
        }
    }
    collected.clear();
    outstanding = true;
    late_counted = false;
    if (stray_hidden > 0)
        emit traffic(tr("<- ещё %1 байт без запроса не показано").arg(stray_hidden) + QLatin1Char('\n'));
    stray_logged = 0;
    stray_hidden = 0;
    ++counts.requests;

    // The wait starts now, but the request may first have to wait for the
    // line to fall silent.
    const int line_wait = port->ms_until_line_free();
    const LineTiming &line = port->timing();
    stopped_answer_until_ms = -1;
    if (rules.retry == ExchangeRules::Retry::wait_resend_give_up) {
        // A resend waits as long as the request did when it first left: its
        // own wait and the two failure periods after a first miss. A meter
        // that was late once is late again.
        if (!again) {
            answer_wait_ms = line.answer_wait_ms(period_ms, request.frame.size(), request.answer_length);
            whole_wait_ms = answer_wait_ms + 2 * rules.fail_ms;
        } else {
            answer_wait_ms = whole_wait_ms;
        }
        wait_timer->start(answer_wait_ms + line_wait);
    } else {
        const int wait = request.wait_ms > 0
            ? request.wait_ms
            : line.answer_wait_ms(rules.fail_ms, request.frame.size(), request.answer_length);
        answer_wait_ms = wait;
        whole_wait_ms = wait;
        wait_total_ms = wait + line_wait;
        waited.start();
        if (rules.look_ms > 0)
            look_timer->start(rules.look_ms);
        else
            wait_timer->start(wait_total_ms);
    }
    last_sent_ms = line_clock.elapsed() + line_wait;
    port->send(request.frame);
    log_late(); // the stopped run's bytes, before the new request
    after_stop = false;
    emit traffic(sent_line(request.frame) + (request.blank_line_after ? QStringLiteral("\n") : QString()));
}

// Answers are handled the moment they are whole; the timers only bound the
// wait. Anything short of a whole answer waits for them.
void Exchanger::bytes_arrived()
{
    if (!outstanding) {
        if (take_stopped_answer())
            return;
        // Nothing asked: a meter slower than the failure period. A line that
        // never stops sending would fill the log: past a few lines' worth
        // between two requests, only the count is kept and told.
        const QByteArray stray = take_received();
        if (after_stop) {
            note_late(stray);
        } else if (stray_logged < max_stray_logged_bytes) {
            log_received(stray);
            stray_logged += stray.size();
        } else {
            stray_hidden += stray.size();
        }
        if (!late_counted)
            late_factor = std::min(late_factor + 1, max_late_factor);
        late_counted = true;
        quiet_due = true;
        if (quiet_base_ms == 0)
            quiet_base_ms = rules.fail_ms;
        if (quiet_timer->isActive() && quiet_since.elapsed() < max_quiet_waits * quiet_base_ms * late_factor) {
            quiet_timer->start(quiet_ms());
            emit quiet_wait(running, quiet_timer->interval());
        }
        return;
    }
    // Bytes that come before the request has left answer something else;
    // they are dropped when it leaves.
    if (port->frames_waiting() || !is_whole(collected + port->queued_bytes(), request))
        return;
    if (rules.retry == ExchangeRules::Retry::wait_resend_give_up)
        judge_retried();
    else
        judge_single(true);
}

bool Exchanger::is_whole(const QByteArray &bytes, const ExchangeRequest &asked) const
{
    bool echo_seen = echoes; // only a look: the take learns it for good
    const QByteArray answer = strip_echo(bytes, asked.frame, &echo_seen);
    if (asked.answer_at_end)
        return !answer_at_end(answer, asked.frame, asked.answer_length).isEmpty();
    const AnswerStatus status = check_answer(answer, asked.frame, asked.answer_length);
    if (rules.retry == ExchangeRules::Retry::wait_resend_give_up)
        return status == AnswerStatus::ok;
    // A write's answer is a copy of its request, and so is an echoing
    // adapter's: on a line not yet known to echo, let the next look judge it,
    // by when the meter's copy has followed if there is one.
    const bool maybe_echo = !echo_seen && bytes == asked.frame;
    return (status == AnswerStatus::ok && !maybe_echo) || status == AnswerStatus::exception;
}

// Bytes after a stop, within the stopped request's own wait, are its answer:
// logged, not taken for a late meter. Once it is whole the line is quiet and
// the next request need not wait out the late answers' allowance.
bool Exchanger::take_stopped_answer()
{
    if (stopped_answer_until_ms < 0 || line_clock.elapsed() > stopped_answer_until_ms)
        return false;
    const QByteArray bytes = take_received();
    note_late(bytes);
    stopped_answer += bytes;
    if (stopped_answer.size() > io_port::max_queued_bytes || !is_whole(stopped_answer, stopped_request))
        return true;
    log_late();
    stopped_answer_until_ms = -1;
    stopped_answer.clear();
    quiet_not_before_ms = 0;
    if (quiet_timer->isActive())
        quiet_over();
    else
        quiet_due = false;
    return true;
}

void Exchanger::wait_over()
{
    if (rules.retry == ExchangeRules::Retry::wait_resend_give_up)
        judge_retried();
    else
        judge_single(true);
}

void Exchanger::look()
{
    judge_single(waited.elapsed() >= wait_total_ms);
}

void Exchanger::judge_retried()
{
    wait_timer->stop();
    const QByteArray received = take_received();
    const QByteArray answer = strip_echo(received, request.frame, &echoes);
    if (answer.isEmpty()) {
        log_received(received); // only the adapter's copy, if anything
        if (missing_strikes < 2) {
            strike(missing_strikes);
            return;
        }
        ++counts.missing;
        conclude(outcome_of(answer));
        return;
    }
    const AnswerStatus status = check_answer(answer, request.frame, request.answer_length);
    if (status != AnswerStatus::ok)
        ++counts.bad_by_kind[size_t(status)];
    if (status != AnswerStatus::ok && bad_strikes == 0 && !rules.log_first_bad_answer) {
        strike(bad_strikes); // dropped without a log line
        return;
    }
    log_received(received);
    if (status == AnswerStatus::ok) {
        ++counts.answers;
        conclude(outcome_of(answer));
    } else if (bad_strikes < 2) {
        strike(bad_strikes);
    } else {
        ++counts.bad;
        conclude(outcome_of(answer));
    }
}

// A first miss waits two failure periods more, with the failure period as the
// wait for the rest of the run; a second resends.
void Exchanger::strike(int &strikes)
{
    if (strikes == 0) {
        strikes = 1;
        ++counts.waits;
        period_ms = rules.fail_ms;
        wait_timer->start(2 * rules.fail_ms);
        return;
    }
    strikes = 2;
    send(true);
}

void Exchanger::judge_single(bool wait_is_over)
{
    collected += take_received();
    // A flood while the request waits: only the newest bytes can end in its answer.
    if (collected.size() > io_port::max_queued_bytes)
        collected = collected.right(io_port::max_queued_bytes);
    QByteArray answer = strip_echo(collected, request.frame, &echoes);
    if (request.answer_at_end)
        answer = answer_at_end(answer, request.frame, request.answer_length);
    const bool whole
        = !answer.isEmpty() && check_answer(answer, request.frame, request.answer_length) != AnswerStatus::too_short;
    if (!whole && !wait_is_over)
        return;
    log_received(collected);
    if (!collected.isEmpty() && answer.isEmpty() && request.answer_at_end)
        answer = collected; // none of it is an answer: judged as it came
    const ExchangeOutcome outcome = outcome_of(answer);
    if (outcome.kind == ExchangeOutcome::Kind::no_answer)
        ++counts.missing;
    else if (outcome.kind == ExchangeOutcome::Kind::bad_answer) {
        ++counts.bad;
        ++counts.bad_by_kind[size_t(outcome.check)];
    } else
        ++counts.answers;
    conclude(outcome);
}

ExchangeOutcome Exchanger::outcome_of(const QByteArray &answer) const
{
    ExchangeOutcome outcome;
    if (answer.isEmpty())
        return outcome; // no answer
    outcome.answer = answer;
    outcome.check = check_answer(answer, request.frame, request.answer_length);
    if (outcome.check == AnswerStatus::ok) {
        outcome.kind = ExchangeOutcome::Kind::answered;
    } else if (outcome.check == AnswerStatus::exception && rules.retry == ExchangeRules::Retry::none) {
        outcome.kind = ExchangeOutcome::Kind::exception;
        outcome.exception_code = exception_code(answer);
    } else {
        // A poll or an archive read has no use for a refusal: it is a bad answer.
        outcome.kind = ExchangeOutcome::Kind::bad_answer;
    }
    return outcome;
}

void Exchanger::conclude(const ExchangeOutcome &outcome)
{
    outstanding = false;
    wait_timer->stop();
    look_timer->stop();
    const bool failed
        = outcome.kind == ExchangeOutcome::Kind::no_answer || outcome.kind == ExchangeOutcome::Kind::bad_answer;
    if (resent || (failed && rules.quiet_after_failure)) {
        quiet_due = true;
        quiet_base_ms = rules.fail_ms;
        quiet_not_before_ms = last_sent_ms + late_answer_allowance_ms();
    }
    Sequence *sequence = running;
    sequence->conclude(outcome);
    emit concluded(sequence, outcome);
    if (!sequence->finished() && listener)
        listener(false);
    if (running == sequence)
        next();
}

// The adapter is gone: the run ends here, whatever its sequence would ask next.
void Exchanger::conclude_lost()
{
    quiet_due = false;
    end_run(ExchangeOutcome::Kind::port_lost);
}

void Exchanger::end_run(ExchangeOutcome::Kind why)
{
    outstanding = false;
    wait_timer->stop();
    look_timer->stop();
    quiet_timer->stop();
    ExchangeOutcome outcome;
    outcome.kind = why;
    Sequence *sequence = running;
    running = nullptr;
    sequence->conclude(outcome);
    emit concluded(sequence, outcome);
    tell_over(sequence);
}

// The run's own listener first, then everyone: a listener may start the
// next run, which must not find this one's listener in place.
void Exchanger::tell_over(Sequence *sequence)
{
    const RunListener told = std::move(listener);
    listener = {};
    if (told)
        told(true);
    emit finished(sequence);
}

QByteArray Exchanger::take_received()
{
    QList<QByteArray> chunks;
    port->take(chunks);
    QByteArray received;
    for (const QByteArray &chunk : qAsConst(chunks))
        received += chunk;
    return received;
}

void Exchanger::log_received(const QByteArray &bytes)
{
    if (!bytes.isEmpty())
        emit traffic(received_line(bytes) + QLatin1Char('\n'));
}

void Exchanger::note_late(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    const int room = std::max(0, max_stray_logged_bytes - int(late_bytes.size()));
    late_bytes += bytes.left(room);
    stray_hidden += std::max<qint64>(0, bytes.size() - room);
    // Once the line has been silent for the failure period, what came is all.
    late_log_timer->start(std::max(rules.fail_ms, 1));
}

void Exchanger::log_late()
{
    late_log_timer->stop();
    if (late_bytes.isEmpty())
        return;
    emit traffic(tr("<- (после остановки)") + received_line(late_bytes).mid(2) + QLatin1Char('\n'));
    late_bytes.clear();
}

void Exchanger::start_quiet()
{
    quiet_since.start();
    quiet_timer->start(quiet_ms());
    emit quiet_wait(running, quiet_timer->interval());
}

// A request given up on may still be answered: up to three failure periods
// after it last left, and at least three of its whole waits, so that an answer
// twice as late as the wait it missed still finds the line held back.
qint64 Exchanger::late_answer_allowance_ms() const
{
    return std::max(qint64(max_late_factor) * rules.fail_ms, qint64(late_answer_waits) * whole_wait_ms);
}

// Silence for the failure period (longer on a line known to be late), and
// not before a late answer to the last request would have come.
int Exchanger::quiet_ms() const
{
    const qint64 until_late_answers = quiet_not_before_ms - line_clock.elapsed();
    return int(std::max<qint64>(qint64(quiet_base_ms) * late_factor, until_late_answers));
}

void Exchanger::quiet_over()
{
    quiet_timer->stop();
    quiet_due = false;
    if (running) {
        emit quiet_wait(running, 0);
        send(false);
    }
}
