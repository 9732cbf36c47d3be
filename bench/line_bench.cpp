// How close each exchange comes to what the line itself allows.
//
// For every baud rate the real main window runs a full poll (protocol 3), a
// full archive read (versions 2 and 3) and a write of all five items against
// the meter stand-in, which emulates the wire time of every byte and answers
// after a fixed turnaround. The lower bound of each run is computed from the
// frames in the log: every byte of every request and answer on the wire, the
// 3.5 characters of silence before each request, and the stand-in's turnaround.
// With "tcp" first, the same runs go over a network line: the stand-in plays
// a serial device server on 127.0.0.1 that keeps the silence on its line.
#include "app_on_line.h"
#include "link/line_timing.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTextStream>
#include <sys/resource.h>

namespace {

constexpr int turnaround_ms = 5;

struct Run
{
    QString name;
    int version = 3;
    enum Kind { poll, archive, write } kind = poll;
};

struct Result
{
    double measured_s = 0;
    double bound_s = 0;
    int requests = 0;
    int waits = 0;
    QString outcome;
};

Result run_once(const Run &run, int baud, bool tcp)
{
    Result result;
    AppOnLine app;
    const QStringList sim_args{"--wire-time", "--baud", QString::number(baud), "--turnaround",
                               QString::number(turnaround_ms)};
    const QString meter = QString("version = %1\n").arg(run.version);
    const bool started = tcp ? app.start_tcp(sim_args, meter, LinePeriods::defaults(baud))
                             : app.start(sim_args, meter, LinePeriods::defaults(baud));
    if (!started) {
        result.outcome = "could not start: " + app.error();
        return result;
    }
    app.check("adr_click");
    if (run.kind == Run::archive)
        app.set_text("ver_prot_line", QString::number(run.version));
    if (run.kind == Run::write) {
        app.answer_questions(QMessageBox::Yes); // the rate and the parity are asked first
        for (const char *box : {"adr_click_w", "speed_click_w", "bit_click_w", "date_save_w", "write_time_click"})
            app.check(box);
        app.set_text("adr_line_w", "1");
        app.set_text("date_line_w", "1");
    }
    const char *button = run.kind == Run::poll ? "param_btn" : run.kind == Run::archive ? "arch_btn" : "write_btn";

    const LineStats before = app.probe().line_stats();
    QElapsedTimer clock;
    clock.start();
    app.click(button);
    app.wait_idle(30 * 60 * 1000);
    result.measured_s = clock.nsecsElapsed() / 1e9;
    const LineStats after = app.probe().line_stats();
    result.waits = after.waits - before.waits + after.resends - before.resends;
    result.outcome = run.kind == Run::archive ? app.text("arch_btn") : app.status();
    if (result.outcome.isEmpty())
        result.outcome = "ok";

    LineTiming line;
    line.baud_rate = baud;
    double bound_ms = 0;
    for (const QString &entry : app.log_text().split('\n')) {
        const int bytes = entry.count(' ');
        if (entry.startsWith("->")) {
            bound_ms += line.inter_frame_ms() + line.frame_ms(bytes) + turnaround_ms;
            ++result.requests;
        } else if (entry.startsWith("<-")) {
            bound_ms += line.frame_ms(bytes);
        }
    }
    result.bound_s = bound_ms / 1000;
    return result;
}

double cpu_seconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTextStream out(stdout);

    QList<int> bauds{1200, 2400, 4800, 9600};
    QStringList args = application.arguments().mid(1);
    const bool tcp = args.value(0) == QLatin1String("tcp");
    if (tcp) {
        args.removeFirst();
        out << "over a network line: the stand-in as a serial device server on 127.0.0.1\n";
    }
    if (!args.isEmpty()) {
        bauds.clear();
        for (const QString &arg : args)
            bauds << arg.toInt();
    }
    const QList<Run> runs{{"poll, protocol 3", 3, Run::poll},
                          {"archive, version 2", 2, Run::archive},
                          {"archive, version 3", 3, Run::archive},
                          {"write, five items", 3, Run::write}};

    out << QString("%1 %2 %3 %4 %5 %6 %7  %8\n")
               .arg("baud", 5)
               .arg("exchange", -20)
               .arg("requests", 8)
               .arg("measured s", 10)
               .arg("bound s", 9)
               .arg("ratio", 6)
               .arg("waits", 5)
               .arg("outcome");
    out.flush();
    double worst = 0;
    for (int baud : bauds) {
        for (const Run &run : runs) {
            const Result r = run_once(run, baud, tcp);
            out << QString("%1 %2 %3 %4 %5 %6 %7  %8\n")
                       .arg(baud, 5)
                       .arg(run.name, -20)
                       .arg(r.requests, 8)
                       .arg(r.measured_s, 10, 'f', 2)
                       .arg(r.bound_s, 9, 'f', 2)
                       .arg(r.bound_s > 0 ? r.measured_s / r.bound_s : 0.0, 6, 'f', 3)
                       .arg(r.waits, 5)
                       .arg(r.outcome);
            out.flush();
            if (r.bound_s > 0 && run.kind != Run::write)
                worst = qMax(worst, r.measured_s / r.bound_s);
        }
    }
    // A write is looked at every 100 ms by design, so its ratio says little.
    out << QString("\nworst ratio of the polls and archive reads: %1 (goal: at most 1.15)\n").arg(worst, 0, 'f', 3);

    rusage self{};
    getrusage(RUSAGE_SELF, &self);
    out << QString("\npeak memory of the program (with the benchmark around it): %1 MiB\n")
               .arg(self.ru_maxrss / 1024.0, 0, 'f', 1);
    out << QString("CPU time of the program: %1 s; of the stand-in and socat: %2 s\n")
               .arg(cpu_seconds(RUSAGE_SELF), 0, 'f', 2)
               .arg(cpu_seconds(RUSAGE_CHILDREN), 0, 'f', 2);
    return 0;
}
