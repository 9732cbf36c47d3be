#include "soak.h"

#include "app_on_line.h"
#include "archive/records.h"
#include "default_meter.h"
#include "model/archive_texts.h"
#include "table_cells.h"
#include "windows/main_window/archive.h"

#include <QApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QTableView>
#include <QTextEdit>
#include <unistd.h>

namespace {

long resident_kb()
{
    QFile statm("/proc/self/statm");
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}

void clear_log()
{
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->objectName() == QLatin1String("LOG_class"))
            top->findChild<QPushButton *>("clear_btn")->click();
    }
}

// One misbehaviour of the line, in the stand-in's fault syntax, or none.
// A late answer comes after the failure period, up to three of them: the
// program has resent by then, and the meter answers the resend too.
QString random_fault(QRandomGenerator &random, int answers, bool late_answers, int fail_ms)
{
    const int after = random.bounded(answers);
    if (late_answers && random.bounded(2) == 0) {
        const int delay = fail_ms + random.bounded(2 * fail_ms);
        return QString("delay %1 count=%2 after=%3").arg(delay).arg(1 + random.bounded(2)).arg(after);
    }
    switch (random.bounded(12)) {
    case 0: return {};
    case 1: return QString("silence count=1 after=%1").arg(after);
    case 2: return QString("silence after=%1").arg(after);
    case 3: return QString("badcrc count=1 after=%1").arg(after);
    case 4: return QString("badcrc after=%1").arg(after);
    case 5: return QString("split %1 %2").arg(2 + random.bounded(3)).arg(random.bounded(20));
    case 6: return QString("short count=%1 after=%2").arg(1 + random.bounded(3)).arg(after);
    case 7: return QString("long count=1 after=%1").arg(after);
    case 8: return QString("delay %1 count=1 after=%2").arg(250 + random.bounded(500)).arg(after);
    case 9: return QString("garbage count=1 after=%1").arg(after);
    case 10: return QString("wrongaddr count=%1 after=%2").arg(1 + random.bounded(2)).arg(after);
    default: return QString("echo");
    }
}

class Soak
{
public:
    Soak(const SoakConfig &config, QTextStream *progress)
        : config(config)
        , progress(progress)
        , random(config.seed)
    { }

    SoakReport run()
    {
        if (!app.start({}, {}, periods)) {
            report.problems << "could not start: " + app.error();
            return report;
        }
        app.check("adr_click");
        const bool warmed = poll_run(QString()) && archive_run(QString());
        if (!warmed)
            report.problems << "the first clean runs failed";
        clear_log();
        report.memory_start_kb = resident_kb();

        const int total = config.polls + config.archives;
        for (int i = 0; i < total; ++i) {
            // Archive reads spread evenly among the polls.
            const bool archive = config.archives > 0 && (i + 1) % qMax(1, total / config.archives) == 0
                && archives_done < config.archives;
            const QString fault = random_fault(random, archive ? 40 : 31, config.late_answers,
                                               archive ? periods.archive_fail_ms : periods.main_fail_ms);
            if (archive) {
                ++archives_done;
                archive_run(fault);
            } else {
                poll_run(fault);
            }
            if (config.clear_log_every > 0 && (i + 1) % config.clear_log_every == 0)
                clear_log();
        }
        // The line is well again: the next start must read the meter whole.
        if (!poll_run(QString()))
            report.problems << "a clean poll after the soak failed";
        clear_log();
        report.memory_end_kb = resident_kb();
        return report;
    }

private:
    bool inject(const QString &fault)
    {
        app.line().clear_log(); // only the program's memory is measured
        app.line().command("fault clear");
        if (fault.isEmpty())
            return true;
        ++report.faults_injected;
        const QString reply = app.line().command("fault " + fault);
        if (!reply.startsWith("ok"))
            report.problems << QString("the stand-in refused '%1': %2").arg(fault, reply);
        return reply.startsWith("ok");
    }

    void wrong(const QString &what)
    {
        ++report.wrong_values;
        report.problems << what;
        if (report.wrong_values == 1) // the traffic that led to the first one, to see why
            report.problems << "log of that run:\n" + app.log_text().right(6000);
    }

    bool poll_run(const QString &fault)
    {
        ++report.runs;
        inject(fault);
        app.click("param_btn");
        if (!app.wait_idle(120000)) {
            ++report.hung_runs;
            report.problems << "a poll never ended (" + fault + ")";
            return false;
        }
        const QString status = app.status();
        const bool complete = status.isEmpty();
        if (!complete && status != QStringLiteral("Соединение отсутствует")
            && status != QStringLiteral("Некорректные данные"))
            report.problems << QString("poll ended with '%1' (%2)").arg(status, fault);
        if (!complete)
            ++report.give_ups;

        // Every field shows the meter's value, or nothing; a complete run shows all.
        const auto check = [&](const char *field, const QString &expected) {
            const QString shown = app.text(field);
            if (shown != expected && (complete || !shown.isEmpty()))
                wrong(QString("%1 shows '%2', the meter holds '%3' (%4)").arg(field, shown, expected, fault));
        };
        check("ver_prot_line", "3");
        check("model_line", QString::fromUtf8(default_meter_model));
        for (const ShownField &f : default_meter_fields)
            check(f.field, QString::fromUtf8(f.text));
        for (const ShownField &f : default_meter_reverse_flow)
            check(f.field, QString::fromUtf8(f.text));
        if (progress)
            *progress << QString("poll %1: %2%3\n")
                             .arg(report.runs)
                             .arg(complete ? "ok" : status)
                             .arg(fault.isEmpty() ? QString() : " [" + fault + "]");
        return complete;
    }

    bool archive_run(const QString &fault)
    {
        ++report.runs;
        inject(fault);
        app.set_text("ver_prot_line", "3");
        const double factor = app.probe().volume_factor();
        const int decimals = app.probe().factor_decimals();
        app.click("arch_btn");
        if (!app.wait_idle(300000)) {
            ++report.hung_runs;
            report.problems << "an archive read never ended (" + fault + ")";
            return false;
        }
        const QString outcome = app.text("arch_btn");
        const bool complete = outcome == QStringLiteral("Архив прочитан");
        if (!complete && outcome != QStringLiteral("Архив не прочитан")
            && outcome != QStringLiteral("Некорректные данные архива"))
            report.problems << QString("archive read ended with '%1' (%2)").arg(outcome, fault);
        if (!complete)
            ++report.give_ups;

        // A table is empty, or shows the meter's records: all of them after a
        // complete read, else those read before the run ended, then empty rows.
        static const char *const names[] = {"", "hourly", "daily", "monthly"};
        static const int depths[] = {0, 336, 252, 84};
        for (int type = 1; type <= 3; ++type) {
            const QTableView *table = AppOnLine::archive_window()->table(type);
            if (row_count(table) == 0) {
                if (complete)
                    wrong(QString("the %1 table is empty after a complete read").arg(names[type]));
                continue;
            }
            if (row_count(table) != depths[type]) {
                wrong(QString("the %1 table has %2 rows").arg(names[type]).arg(row_count(table)));
                continue;
            }
            bool read_on = true;
            for (int k = 0; k < depths[type]; ++k) {
                if (!complete && cell_text(table, k, 0).isEmpty()) {
                    read_on = false; // the records the cut-short read did not get
                    continue;
                }
                if (!read_on) {
                    wrong(QString("%1 record %2 is shown after records left empty (%3)")
                              .arg(names[type])
                              .arg(k)
                              .arg(fault));
                    break;
                }
                const QStringList expected = arc::record_row(k, record(type, k), 3, VolumeScale{factor, decimals});
                for (int c = 0; c < arc::column_count; ++c) {
                    const QString shown = cell_text(table, k, c);
                    if (shown != expected[c])
                        wrong(QString("%1 record %2 column %3 shows '%4', the meter holds '%5' (%6)")
                                  .arg(names[type])
                                  .arg(k)
                                  .arg(c)
                                  .arg(shown.isEmpty() ? QStringLiteral("nothing") : shown)
                                  .arg(expected[c], fault));
                }
            }
        }
        if (progress)
            *progress << QString("archive %1: %2%3\n")
                             .arg(report.runs)
                             .arg(outcome)
                             .arg(fault.isEmpty() ? QString() : " [" + fault + "]");
        return complete;
    }

    // The stand-in's record as sent on the wire; asked once and kept.
    QByteArray record(int type, int index)
    {
        QByteArray &bytes = records[type][index];
        if (bytes.isEmpty()) {
            static const char *const names[] = {"", "hourly", "daily", "monthly"};
            const QString reply = app.line().command(QString("record %1 %2").arg(names[type]).arg(index));
            bytes = QByteArray::fromHex(reply.mid(3).toLatin1());
        }
        return bytes;
    }

    SoakConfig config;
    LinePeriods periods;
    QTextStream *progress;
    QRandomGenerator random;
    AppOnLine app;
    SoakReport report;
    int archives_done = 0;
    QMap<int, QMap<int, QByteArray>> records;
};

} // namespace

SoakReport run_soak(const SoakConfig &config, QTextStream *progress)
{
    Soak soak(config, progress);
    return soak.run();
}
