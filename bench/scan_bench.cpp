// How close the search for meters comes to what the line itself allows.
//
// The real main window searches addresses 1..247 with the default wait
// (100 ms) against the wire-time stand-in playing three meters (3, 17, 200),
// a device that answers garbage and one that never answers. The lower bound
// is computed from the frames in the log: every request byte on the wire and
// the 3.5 characters of silence before it; for every exchange that brought a
// valid answer, the stand-in's turnaround and the answer's bytes; for every
// other one, the operator's wait, which is how long an absent answer must be
// waited for.
#include "app_on_line.h"
#include "link/answer_check.h"
#include "link/line_timing.h"
#include "riser.h"
#include "windows/line/scan_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QSpinBox>
#include <QTableView>
#include <QTextStream>

namespace {

constexpr int turnaround_ms = 5;
constexpr int operator_wait_ms = 100;

struct Result
{
    double measured_s = 0;
    double bound_s = 0;
    double wire_s = 0;  // request and answer bytes, silences, turnarounds
    double waits_s = 0; // the operator's wait for every exchange without a valid answer
    int requests = 0;
    int unanswered = 0;
    int found = 0;
    QString outcome;
};

QByteArray frame_of(const QString &line)
{
    return QByteArray::fromHex(line.mid(3).toLatin1());
}

Result run_once(int baud)
{
    Result result;
    AppOnLine app;
    const QStringList sim_args{"--wire-time", "--baud", QString::number(baud), "--turnaround",
                               QString::number(turnaround_ms)};
    if (!app.start(sim_args, riser, LinePeriods::defaults(baud))) {
        result.outcome = "could not start: " + app.error();
        return result;
    }
    app.click("scan_btn");
    auto *scan = app.window().findChild<ScanWindow *>();
    app.window().findChild<QSpinBox *>("scan_wait_box")->setValue(operator_wait_ms);

    QElapsedTimer clock;
    clock.start();
    app.click("scan_start_btn");
    app.wait_for([scan] { return !scan->running(); }, 30 * 60 * 1000);
    result.measured_s = clock.nsecsElapsed() / 1e9;
    result.found = app.window().findChild<QTableView *>("scan_table")->model()->rowCount();
    result.outcome = app.window().findChild<QProgressBar *>("scan_progress")->text();

    LineTiming line;
    line.baud_rate = baud;
    double wire_ms = 0;
    double waits_ms = 0;
    const QStringList log = app.log_text().split('\n');
    for (int i = 0; i < log.size(); ++i) {
        if (!log[i].startsWith("->"))
            continue;
        ++result.requests;
        const QByteArray request = frame_of(log[i]);
        wire_ms += line.inter_frame_ms() + line.frame_ms(request.size());
        const QByteArray answer = log.value(i + 1).startsWith("<-") ? frame_of(log[i + 1]) : QByteArray();
        const int registers = quint8(request.at(5));
        const AnswerStatus status = check_answer(answer, request, 5 + 2 * registers);
        if (status == AnswerStatus::ok || status == AnswerStatus::exception) {
            wire_ms += turnaround_ms + line.frame_ms(answer.size());
        } else {
            ++result.unanswered;
            waits_ms += operator_wait_ms;
        }
    }
    result.wire_s = wire_ms / 1000;
    result.waits_s = waits_ms / 1000;
    result.bound_s = (wire_ms + waits_ms) / 1000;
    return result;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTextStream out(stdout);

    QList<int> bauds{9600};
    const QStringList args = application.arguments().mid(1);
    if (!args.isEmpty()) {
        bauds.clear();
        for (const QString &arg : args)
            bauds << arg.toInt();
    }

    out << QString("search of addresses 1..247, wait %1 ms, meters at 3, 17, 200, garbage at 100, silence at 50\n")
               .arg(operator_wait_ms);
    out << QString("%1 %2 %3 %4 %5 %6 %7 %8 %9  %10\n")
               .arg("baud", 5)
               .arg("requests", 8)
               .arg("no answer", 9)
               .arg("found", 5)
               .arg("measured s", 10)
               .arg("wire s", 7)
               .arg("waits s", 7)
               .arg("bound s", 8)
               .arg("ratio", 6)
               .arg("outcome");
    out.flush();
    for (int baud : bauds) {
        const Result r = run_once(baud);
        out << QString("%1 %2 %3 %4 %5 %6 %7 %8 %9  %10\n")
                   .arg(baud, 5)
                   .arg(r.requests, 8)
                   .arg(r.unanswered, 9)
                   .arg(r.found, 5)
                   .arg(r.measured_s, 10, 'f', 2)
                   .arg(r.wire_s, 7, 'f', 2)
                   .arg(r.waits_s, 7, 'f', 2)
                   .arg(r.bound_s, 8, 'f', 2)
                   .arg(r.bound_s > 0 ? r.measured_s / r.bound_s : 0.0, 6, 'f', 3)
                   .arg(r.outcome);
        out.flush();
    }
    return 0;
}
