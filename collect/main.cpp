// configurator-collect: many lines read unattended into the readings journal.
#include "collect/collect_options.h"
#include "collect/collector.h"
#include "collect/consumption_report.h"
#include "collect/lines_file.h"
#include "journal/journal_place.h"
#include "meter/model_table.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

namespace {

int refuse(const QString &text)
{
    std::fputs((text + QLatin1Char('\n')).toUtf8().constData(), stderr);
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
    std::optional<journal::Connection> journal = journal::parse_place(options->journal, &error);
    if (!journal)
        return refuse(error);
    if (journal->backend == journal::Backend::postgresql)
        journal->password = qEnvironmentVariable(journal::password_variable);

    if (options->consumption)
        return collect::print_consumption(*options, *journal);

    QFile file(options->lines_file);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(QStringLiteral("%1: %2").arg(options->lines_file, file.errorString()));
    const std::optional<collect::LinesFile> lines = collect::parse_lines(file.readAll(), options->lines_file, &error);
    if (!lines)
        return refuse(error);

    // The model table as the program keeps it: in the working folder, or beside the program.
    QStringList models;
    if (!load_model_table(QStringLiteral("models_counter.csv"), models))
        load_model_table(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("models_counter.csv")),
                         models);

    collect::Collector collector(*options, *lines, *journal, models);
    QObject::connect(&collector, &collect::Collector::done, &app, [](int code) { QCoreApplication::exit(code); });
    if (!collector.start())
        return 1;
    return app.exec();
}
