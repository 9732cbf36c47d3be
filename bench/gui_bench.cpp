// Whether an open journal window holds the program up.
//
// The real main window on the wire-time stand-in at 9600 baud, three meters,
// the first with five years of hourly records in the journal (43,800). A
// poll, an archive read and "Считать все" are run with the journal window
// closed and then with it open on that meter. A 5 ms timer on the window's
// thread measures the longest the event loop waited from the click until the
// journal has kept the read and the window shows it. Goals: no wait over
// 100 ms, and each run within 5 % of its time with the window closed.
#include "app_on_line.h"
#include "journal/journal_store.h"
#include "journal/journal_writer.h"
#include "windows/journal_windows/journal_window.h"
#include "windows/line/scan_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSpinBox>
#include <QTableView>
#include <QTextStream>
#include <QTimer>

namespace {

constexpr int baud = 9600;
constexpr int turnaround_ms = 5;
constexpr int tick_ms = 5;
constexpr int records = 5 * 365 * 24;
constexpr double wait_goal_ms = 100;
constexpr double time_goal = 1.05;

// The longest the event loop went without turning, less the tick itself.
class LoopWatch
{
public:
    LoopWatch()
    {
        tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&tick, &QTimer::timeout, [this] {
            const qint64 now = clock.nsecsElapsed();
            worst = qMax(worst, now - last);
            last = now;
        });
    }
    void start()
    {
        worst = 0;
        clock.start();
        last = 0;
        tick.start(tick_ms);
    }
    double stop_ms()
    {
        tick.stop();
        worst = qMax(worst, clock.nsecsElapsed() - last);
        return qMax(0.0, worst / 1e6 - tick_ms);
    }

private:
    QTimer tick;
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 worst = 0;
};

struct Figures
{
    double seconds[3] = {};
    double wait_ms[3] = {};
    QString outcome;
};

const char *const run_names[3] = {"poll", "archive read", "\"Считать все\""};

QString line_of_meters()
{
    QString text;
    for (int address = 1; address <= 3; ++address)
        text += QString("[meter]\naddress = %1\nserial = 0000000002%2\nversion = 3\n")
                    .arg(address)
                    .arg(address, 2, 16, QChar('0'));
    return text;
}

bool keep_years(const QString &serial)
{
    journal::Connection where;
    where.file = QDir::current().absoluteFilePath("readings.sqlite");
    journal::Store store(where);
    if (!store.open())
        return false;
    journal::ArchiveBatch batch;
    batch.serial = serial;
    batch.protocol_version = 3;
    batch.factor = 0.001;
    batch.decimals = 3;
    batch.read_at = QDateTime::currentDateTimeUtc();
    const qint64 last = QDateTime(QDate(2023, 12, 31), QTime(23, 0), Qt::UTC).toSecsSinceEpoch();
    for (int k = records - 1; k >= 0; --k)
        batch.records.append({1, last - 3600 * qint64(k), 100000 - k, 0, 0, 0.001, 3});
    return store.store_archive(batch) == records;
}

Figures run_once(bool window_open)
{
    Figures f;
    AppOnLine app;
    const QStringList sim_args{"--wire-time", "--baud", QString::number(baud), "--turnaround",
                               QString::number(turnaround_ms)};
    if (!app.start(sim_args, line_of_meters(), LinePeriods::defaults(baud))) {
        f.outcome = "could not start: " + app.error();
        return f;
    }
    app.check("adr_click");
    app.set_text("adr_line", "1");
    app.set_text("ver_prot_line", "3");
    app.click("param_btn");
    app.wait_idle(60000);
    journal::Writer *writer = app.probe().journal();
    writer->wait_written(60000);
    const QString serial = app.text("serial_num_line");
    if (serial.isEmpty() || !keep_years(serial)) {
        f.outcome = "the journal was not filled";
        return f;
    }
    // The meters found first, so that "Считать все" has them.
    app.click("scan_btn");
    auto *scan = app.window().findChild<ScanWindow *>();
    app.window().findChild<QSpinBox *>("scan_to_box")->setValue(3);
    app.click("scan_start_btn");
    app.wait_for([scan] { return !scan->running(); }, 5 * 60 * 1000);
    app.window().activateWindow();

    JournalWindow *journal = nullptr;
    if (window_open) {
        app.click("journal_btn");
        journal = app.window().findChild<JournalWindow *>();
        app.wait_for([journal] { return !journal->busy(); }, 5 * 60 * 1000);
        journal->select_meter(serial);
        app.wait_for([journal] { return !journal->busy(); }, 5 * 60 * 1000);
        if (journal->archive_table()->model()->rowCount() < records) {
            f.outcome = "the journal window does not show the records";
            return f;
        }
    }

    LoopWatch watch;
    for (int run = 0; run < 3; ++run) {
        watch.start();
        QElapsedTimer clock;
        clock.start();
        if (run == 0) {
            app.click("param_btn");
            app.wait_idle(30 * 60 * 1000);
        } else if (run == 1) {
            app.click("arch_btn");
            app.wait_idle(30 * 60 * 1000);
        } else {
            app.click("read_all_btn");
            app.wait_for([&app] { return app.text("riser_status").startsWith("Считано"); }, 30 * 60 * 1000);
        }
        f.seconds[run] = clock.nsecsElapsed() / 1e9;
        // The read kept and shown: the window's refresh counts in the waits.
        app.wait_for([writer, journal] { return writer->queued() == 0 && (!journal || !journal->busy()); }, 60000);
        writer->wait_written(60000);
        app.wait_for([journal] { return !journal || !journal->busy(); }, 60000);
        f.wait_ms[run] = watch.stop_ms();
    }
    f.outcome = QStringLiteral("ok");
    return f;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTextStream out(stdout);

    out << QString("The journal window open on %1 hourly records, %2 baud; goals: no wait over %3 ms, "
                   "each run within %4 % of its time with the window closed\n")
               .arg(records)
               .arg(baud)
               .arg(wait_goal_ms)
               .arg((time_goal - 1) * 100, 0, 'f', 0);
    out.flush();
    const Figures closed = run_once(false);
    const Figures open = run_once(true);
    out << QString("%1 %2 %3 %4 %5 %6\n")
               .arg("run", -16)
               .arg("closed s", 9)
               .arg("open s", 9)
               .arg("ratio", 7)
               .arg("closed wait ms", 15)
               .arg("open wait ms", 13);
    bool within = closed.outcome == QLatin1String("ok") && open.outcome == QLatin1String("ok");
    for (int run = 0; run < 3; ++run) {
        const double ratio = closed.seconds[run] > 0 ? open.seconds[run] / closed.seconds[run] : 0.0;
        within
            = within && ratio <= time_goal && open.wait_ms[run] <= wait_goal_ms && closed.wait_ms[run] <= wait_goal_ms;
        out << QString("%1 %2 %3 %4 %5 %6\n")
                   .arg(QString::fromUtf8(run_names[run]), -16)
                   .arg(closed.seconds[run], 9, 'f', 2)
                   .arg(open.seconds[run], 9, 'f', 2)
                   .arg(ratio, 7, 'f', 3)
                   .arg(closed.wait_ms[run], 15, 'f', 1)
                   .arg(open.wait_ms[run], 13, 'f', 1);
    }
    if (closed.outcome != QLatin1String("ok") || open.outcome != QLatin1String("ok"))
        out << "closed: " << closed.outcome << "; open: " << open.outcome << "\n";
    out << (within ? "within the goals\n" : "OVER THE GOALS\n");
    return within ? 0 : 1;
}
