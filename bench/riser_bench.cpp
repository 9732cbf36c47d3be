// How close "Считать все" comes to what the line itself allows.
//
// The real main window finds ten meters (addresses 1..10) on the wire-time
// stand-in, then reads them all in one pass with the default periods. The
// lower bound is the ten full polls' wire time, computed from the frames in
// the log of the pass: every request byte on the wire and the 3.5 characters
// of silence before it, the stand-in's turnaround and every answer byte.
// Goal: the pass within 1.1 times the bound. For comparison, one poll of the
// first meter from the main window is timed after the pass: ten of those are
// what the pass would cost done by hand, with no time lost between meters.
// With "tcp" the same line sits behind the stand-in playing a serial device
// server on 127.0.0.1: no pty pair between the program and the meters.
#include "app_on_line.h"
#include "link/line_timing.h"
#include "windows/line/scan_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSpinBox>
#include <QTableView>
#include <QTextStream>

namespace {

constexpr int turnaround_ms = 5;
constexpr int meter_count = 10;
constexpr double goal = 1.1;

struct Result
{
    double measured_s = 0;
    double bound_s = 0;
    double single_poll_s = 0;
    int requests = 0;
    int found = 0;
    QString outcome;
};

QString line_of_meters()
{
    QString text;
    for (int address = 1; address <= meter_count; ++address)
        text += QString("[meter]\naddress = %1\nserial = 0000000001%2\n").arg(address).arg(address, 2, 16, QChar('0'));
    return text;
}

QByteArray frame_of(const QString &line)
{
    return QByteArray::fromHex(line.mid(3).toLatin1());
}

Result run_once(int baud, bool tcp)
{
    Result result;
    AppOnLine app;
    const QStringList sim_args{"--wire-time", "--baud", QString::number(baud), "--turnaround",
                               QString::number(turnaround_ms)};
    const bool started = tcp ? app.start_tcp(sim_args, line_of_meters(), LinePeriods::defaults(baud))
                             : app.start(sim_args, line_of_meters(), LinePeriods::defaults(baud));
    if (!started) {
        result.outcome = "could not start: " + app.error();
        return result;
    }
    app.click("scan_btn");
    auto *scan = app.window().findChild<ScanWindow *>();
    app.window().findChild<QSpinBox *>("scan_to_box")->setValue(meter_count);
    app.click("scan_start_btn");
    app.wait_for([scan] { return !scan->running(); }, 5 * 60 * 1000);
    result.found = app.window().findChild<QTableView *>("scan_table")->model()->rowCount();

    const int log_from = app.log_text().split('\n').size() - 1;
    QElapsedTimer clock;
    clock.start();
    app.click("read_all_btn");
    app.wait_for([&app] { return !app.window().findChild<QLabel *>("riser_status")->text().startsWith("Чтение"); },
                 30 * 60 * 1000);
    result.measured_s = clock.nsecsElapsed() / 1e9;
    result.outcome = app.text("riser_status");

    LineTiming line;
    line.baud_rate = baud;
    double wire_ms = 0;
    const QStringList log = app.log_text().split('\n').mid(log_from);
    for (int i = 0; i < log.size(); ++i) {
        if (!log[i].startsWith("->"))
            continue;
        ++result.requests;
        wire_ms += line.inter_frame_ms() + line.frame_ms(frame_of(log[i]).size());
        if (log.value(i + 1).startsWith("<-"))
            wire_ms += turnaround_ms + line.frame_ms(frame_of(log[i + 1]).size());
    }
    result.bound_s = wire_ms / 1000;

    app.check("adr_click");
    app.set_text("adr_line", "1");
    clock.restart();
    app.click("param_btn");
    app.wait_idle(60 * 1000);
    result.single_poll_s = clock.nsecsElapsed() / 1e9;
    return result;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTextStream out(stdout);

    QStringList args = application.arguments().mid(1);
    const bool tcp = args.removeAll(QStringLiteral("tcp")) > 0;
    QList<int> bauds{9600};
    if (!args.isEmpty()) {
        bauds.clear();
        for (const QString &arg : qAsConst(args))
            bauds << arg.toInt();
    }

    out << QString("\"Считать все\" over %1 meters%3, default periods, goal %2x the polls' wire time\n")
               .arg(meter_count)
               .arg(goal)
               .arg(tcp ? " behind a serial device server (tcp)" : "");
    out << QString("%1 %2 %3 %4 %5 %6 %7 %8  %9\n")
               .arg("baud", 5)
               .arg("found", 5)
               .arg("requests", 8)
               .arg("measured s", 10)
               .arg("bound s", 8)
               .arg("ratio", 6)
               .arg("10 polls s", 10)
               .arg("vs polls", 8)
               .arg("outcome");
    out.flush();
    bool within = true;
    for (int baud : bauds) {
        const Result r = run_once(baud, tcp);
        const double ratio = r.bound_s > 0 ? r.measured_s / r.bound_s : 0.0;
        within = within && r.bound_s > 0 && ratio <= goal;
        const double polls_s = meter_count * r.single_poll_s;
        out << QString("%1 %2 %3 %4 %5 %6 %7 %8  %9\n")
                   .arg(baud, 5)
                   .arg(r.found, 5)
                   .arg(r.requests, 8)
                   .arg(r.measured_s, 10, 'f', 2)
                   .arg(r.bound_s, 8, 'f', 2)
                   .arg(ratio, 6, 'f', 3)
                   .arg(polls_s, 10, 'f', 2)
                   .arg(polls_s > 0 ? r.measured_s / polls_s : 0.0, 8, 'f', 3)
                   .arg(r.outcome);
        out.flush();
    }
    out << (within ? "within the goal\n" : "OVER THE GOAL\n");
    return within ? 0 : 1;
}
