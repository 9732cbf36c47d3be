#pragma once

#include "link/exchange.h"
#include "link/line_timing.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <array>
#include <functional>

class QTimer;
class io_port;

// What the line has done since the port was last opened, for the operator.
struct LineStats
{
    int requests = 0; // frames sent, resends included
    int answers = 0;  // requests answered (exceptions included)
    int waits = 0;    // first missing or bad answers waited for
    int resends = 0;
    int missing = 0; // requests given up without an answer
    int bad = 0;     // requests given up with a bad answer
    // Every bad answer that came, resent or not, by why it was refused.
    std::array<int, int(AnswerStatus::exception) + 1> bad_by_kind{};
};

// The one owner of the line. It runs one sequence at a time and has one
// request on the line at a time: sends it, waits for its answer, handles it
// the moment it is whole, waits longer, resends and gives up as the run's
// rules say, strips an echoing adapter's copy of the request, and reports
// every frame for the log.
//
// Modbus RTU answers carry no transaction number, so an answer that comes
// late could pass for the answer to the next request. After a request that
// was resent or given up, the meter may still answer it (once per time it was
// sent), up to three failure periods after it last left and at least three
// of the request's whole waits (a resend waits as long as the first send). The
// next request therefore leaves only once that time is over and the line has
// been quiet for the failure period; whatever arrives meanwhile is dropped.
// Bytes that arrive with no request outstanding show a meter slower than
// that: the quiet wait grows, up to three failure periods, while the port
// stays open. A line that answers in time never waits for it.
class Exchanger : public QObject
{
    Q_OBJECT
public:
    explicit Exchanger(io_port *port, QObject *parent = nullptr);

    // A sequence holds the line (a quiet wait before its first request included).
    bool busy() const { return running != nullptr; }
    const Sequence *sequence() const { return running; }

    // Told of its own run only, so that whoever started a run never has to
    // pick it out of every run's signals: after each step that leaves the
    // run going (over false), and once at its end (over true).
    using RunListener = std::function<void(bool over)>;

    // Starts `sequence` (not owned; it must outlive its run) unless the line
    // is busy. The first request leaves at once, or after a quiet wait.
    bool run(Sequence *sequence, const ExchangeRules &rules, RunListener listener = {});
    // Ends the running sequence at once (its outcome: stopped). An answer
    // still on its way is let pass by a quiet wait before the next request;
    // that answer, come within its request's own wait, ends the quiet wait.
    void stop();

    const LineTiming &port_timing() const;

    // The port was opened anew: another adapter, another line.
    void reset_line();
    bool line_echoes() const { return echoes; }
    const LineStats &stats() const { return counts; }

signals:
    void started(Sequence *sequence);
    void concluded(Sequence *sequence, const ExchangeOutcome &outcome);
    void finished(Sequence *sequence);
    // A line for the log: a frame sent or the bytes received.
    void traffic(const QString &line);
    // The run's first request waits this long yet for a quiet line (after a
    // stopped run or a late answer); 0 when the wait is over.
    void quiet_wait(Sequence *sequence, int ms);

private:
    void next();
    void send(bool again);
    void bytes_arrived();
    void wait_over();
    void look();
    void judge_retried();
    void judge_single(bool wait_over);
    void strike(int &strikes);
    void conclude(const ExchangeOutcome &outcome);
    void conclude_lost();
    void end_run(ExchangeOutcome::Kind why);
    void tell_over(Sequence *sequence);
    QByteArray take_received();
    void log_received(const QByteArray &bytes);
    void note_late(const QByteArray &bytes);
    void log_late();
    bool is_whole(const QByteArray &bytes, const ExchangeRequest &asked) const;
    bool take_stopped_answer();
    ExchangeOutcome outcome_of(const QByteArray &answer) const;
    void start_quiet();
    int quiet_ms() const;
    qint64 late_answer_allowance_ms() const;
    void quiet_over();

    io_port *port;
    QTimer *wait_timer; // the wait for the outstanding request's answer
    QTimer *look_timer; // Retry::none with look_ms: the looks at what came
    QTimer *quiet_timer;
    QTimer *late_log_timer; // the line silent again: the late bytes are one log line

    Sequence *running = nullptr;
    RunListener listener; // of the running sequence
    ExchangeRules rules;
    int period_ms = 0; // the run's current wait: ok_ms, then fail_ms
    int missing_strikes = 0;
    int bad_strikes = 0;

    ExchangeRequest request;
    bool outstanding = false;
    bool resent = false;
    QByteArray collected; // Retry::none: what came for the request so far
    QElapsedTimer waited;
    int wait_total_ms = 0;
    int answer_wait_ms = 0; // the outstanding request's own wait, as it left
    int whole_wait_ms = 0;  // the request's wait, a first miss's included: a resend's wait

    // The request outstanding when its run was stopped: its answer may still
    // come within its own wait, and is no sign of a late meter.
    ExchangeRequest stopped_request;
    qint64 stopped_answer_until_ms = -1; // on line_clock; -1: none expected
    QByteArray stopped_answer;
    // Whatever comes between a stop and the next request is logged as one
    // line marked late, not as the pieces it came in.
    bool after_stop = false;
    QByteArray late_bytes;

    bool echoes = false;    // the adapter hands back what is sent
    bool quiet_due = false; // the next request waits for a quiet line
    int quiet_base_ms = 0;
    qint64 quiet_not_before_ms = 0; // on line_clock: a late answer may come until then
    QElapsedTimer line_clock;
    qint64 last_sent_ms = 0;
    int late_factor = 1;       // 1..3: how many failure periods the quiet wait lasts
    bool late_counted = false; // stray bytes since the last request have lengthened it
    QElapsedTimer quiet_since;
    int stray_logged = 0;    // bytes without a request logged since the last request
    qint64 stray_hidden = 0; // and those not logged
    LineStats counts;
};
