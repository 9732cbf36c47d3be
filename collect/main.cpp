// configurator-collect: many lines read unattended into the readings journal.
#include "collect/collect_options.h"
#include "collect/collector.h"
#include "collect/console.h"
#include "collect/consumption_report.h"
#include "collect/lines_file.h"
#include "collect/round_status.h"
#include "collect/service_notify.h"
#include "journal/journal_place.h"
#include "meter/model_table.h"
#include "model/journal_texts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <memory>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>
#include <csignal>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_UNIX
int stop_pipe[2] = {-1, -1};

void stop_requested(int)
{
    const char byte = 1;
    (void)!::write(stop_pipe[1], &byte, 1);
}

// SIGTERM (a service stopped) and SIGINT end the event loop, so that what
// the journal has queued is written before the end; the meters of a round cut
// short are named, and the exit code says so.
void quit_on_signals(QCoreApplication *app, collect::Collector *collector)
{
    if (::pipe(stop_pipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(stop_pipe[0], QSocketNotifier::Read, app);
    QObject::connect(notifier, &QSocketNotifier::activated, app, [notifier, collector] {
        notifier->setEnabled(false);
        QCoreApplication::exit(collector->interrupt());
    });
    std::signal(SIGTERM, stop_requested);
    std::signal(SIGINT, stop_requested);
}
#endif

// Under systemd: the rounds' progress for the watchdog and a status line;
// with --status, the figures of every round for monitoring.
void watch_rounds(collect::Collector *collector, collect::ServiceNotify *notify, const collect::Options &options)
{
    QObject::connect(collector, &collect::Collector::progress, notify, &collect::ServiceNotify::progress);
    QObject::connect(collector, &collect::Collector::round_started, notify, &collect::ServiceNotify::round_started);
    QObject::connect(collector, &collect::Collector::next_round_at, notify, &collect::ServiceNotify::waiting_until);
    const QString status_file = options.status;
    auto status_said = std::make_shared<bool>(false);
    QObject::connect(
        collector, &collect::Collector::round_ended, notify,
        [notify, status_file, status_said](const collect::RoundFigures &f) {
            int read = 0;
            int total = 0;
            for (const collect::LineFigures &line : f.lines) {
                read += line.read;
                total += line.read + line.not_read;
            }
            notify->status(QCoreApplication::translate("collect", "Круг %1: считано %2 из %3 счетчиков")
                               .arg(f.number)
                               .arg(read)
                               .arg(total));
            if (status_file.isEmpty())
                return;
            QString error;
            if (collect::write_status_file(status_file, collect::prometheus_text(f), &error)) {
                *status_said = false;
            } else if (!*status_said) {
                // Said once until it can be written again, not every round.
                *status_said = true;
                collect::print_line(
                    stdout,
                    QCoreApplication::translate("collect", "Файл состояния %1 не записан: %2").arg(status_file, error));
            }
        });
}

// Ready once the lines file is read and the journal opened or its fault said.
void tell_ready(collect::Collector *collector, collect::ServiceNotify *notify, const collect::LinesFile &lines,
                const journal::Connection &journal)
{
    int meters = 0;
    for (const collect::LineEntry &line : lines.lines)
        meters += line.meters.size();
    QString ready = QCoreApplication::translate("collect", "Линий %1, счетчиков %2, журнал %3")
                        .arg(lines.lines.size())
                        .arg(meters)
                        .arg(journal_place(journal));
    if (!collector->journal_available())
        ready += QCoreApplication::translate("collect", " не ведется");
    // After the journal's fault, if any, is said: it is queued from the writer's thread.
    QMetaObject::invokeMethod(
        notify, [notify, ready] { notify->ready(ready); }, Qt::QueuedConnection);
}

int refuse(const QString &text)
{
    collect::print_line(stderr, text);
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("configurator-collect"));

    QString error;
    const std::optional<collect::Options> options = collect::parse_options(app.arguments().mid(1), &error);
    if (!options)
        return refuse(error + QLatin1Char('\n') + collect::usage());
    journal::PlaceError why = journal::PlaceError::empty;
    std::optional<journal::Connection> journal = journal::parse_place(options->journal, &why);
    if (!journal)
        return refuse(journal::place_error_words(why, options->journal));
    if (journal->backend == journal::Backend::postgresql)
        journal->password = qEnvironmentVariable(journal::password_variable);

    if (options->consumption)
        return collect::print_consumption(*options, *journal);

    QFile file(options->lines_file);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(QStringLiteral("%1: %2").arg(options->lines_file, collect::unreadable_file_words(file)));
    const std::optional<collect::LinesFile> lines = collect::parse_lines(file.readAll(), options->lines_file, &error);
    if (!lines)
        return refuse(error);

    // The model table as the program keeps it: in the working folder, or beside the program.
    QStringList models;
    if (!load_model_table(QStringLiteral("models_counter.csv"), models))
        load_model_table(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("models_counter.csv")),
                         models);

    collect::Collector collector(*options, *lines, *journal, models);
    // Queued: a round may be over before the event loop runs (nothing left to read).
    QObject::connect(
        &collector, &collect::Collector::done, &app, [](int code) { QCoreApplication::exit(code); },
        Qt::QueuedConnection);
#ifdef Q_OS_UNIX
    quit_on_signals(&app, &collector);
#endif
    collect::ServiceNotify notify;
    watch_rounds(&collector, &notify, *options);
    if (!collector.start())
        return 1;
    tell_ready(&collector, &notify, *lines, *journal);
    const int code = app.exec();
    notify.stopping();
    // Stopped in the middle (a service stopped): the queue written, within a bound.
    return collector.stop() ? code : 1;
}
