#include "collect/collect_options.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace collect {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("collect", text);
}

// "2024-01-31", "2024-01-31 12:00" or "2024-01-31T12:00:00", local time.
QDateTime moment(const QString &text)
{
    for (const char *format :
         {"yyyy-MM-dd", "yyyy-MM-dd HH:mm", "yyyy-MM-dd HH:mm:ss", "yyyy-MM-ddTHH:mm", "yyyy-MM-ddTHH:mm:ss"}) {
        const QDateTime at = QDateTime::fromString(text, QLatin1String(format));
        if (at.isValid())
            return at;
    }
    return QDateTime();
}

QString status_help()
{
    return tr("--status ФАЙЛ: файл для мониторинга (формат Prometheus), переписывается после каждого круга.");
}

} // namespace

QString usage()
{
    return tr("Использование:\n"
              "  configurator-collect ЛИНИИ.json --once|--every СЕКУНД --journal ЖУРНАЛ [--set-clock-over СЕКУНД]\n"
              "  configurator-collect --consumption С ПО --journal ЖУРНАЛ [--out ФАЙЛ.csv]\n"
              "ЖУРНАЛ: файл SQLite или postgresql://пользователь@сервер:порт/база (пароль в"
              " METER_JOURNAL_PASSWORD).\n"
              "С, ПО: ГГГГ-ММ-ДД [ЧЧ:ММ[:СС]], местное время.\n")
        + status_help() + QLatin1Char('\n');
}

std::optional<Options> parse_options(const QStringList &arguments, QString *error)
{
    const auto fail = [error](const QString &text) {
        *error = text;
        return std::nullopt;
    };
    // Each option with a value, and what is said when its value is missing or wrong.
    const QCommandLineOption every(QStringLiteral("every"), QString(), QStringLiteral("seconds"));
    const QCommandLineOption clock_over(QStringLiteral("set-clock-over"), QString(), QStringLiteral("seconds"));
    const QCommandLineOption journal(QStringLiteral("journal"), QString(), QStringLiteral("journal"));
    const QCommandLineOption out(QStringLiteral("out"), QString(), QStringLiteral("file"));
    const QCommandLineOption status(QStringLiteral("status"), status_help(), QStringLiteral("file"));
    const QList<QPair<QCommandLineOption, QString>> valued{
        {every, tr("--every: ожидается число секунд больше 0")},
        {clock_over, tr("--set-clock-over: ожидается число секунд")},
        {journal, tr("--journal: ожидается файл или postgresql://...")},
        {out, tr("--out: ожидается имя файла")},
        {status, tr("--status: ожидается имя файла")},
    };
    const QCommandLineOption once(QStringLiteral("once"));
    const QCommandLineOption consumption(QStringLiteral("consumption"));

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({every, clock_over, journal, out, status, once, consumption});
    // The parser wants the program's name first.
    if (!parser.parse(QStringList{QStringLiteral("configurator-collect")} + arguments)) {
        if (!parser.unknownOptionNames().isEmpty()) {
            const QString name = parser.unknownOptionNames().constFirst();
            QString given = name;
            for (const QString &a : arguments) {
                if (a == QLatin1String("--") + name || a == QLatin1String("-") + name
                    || a.startsWith(QLatin1String("--") + name + QLatin1Char('=')))
                    given = a;
            }
            return fail(tr("непонятный аргумент %1").arg(given));
        }
        // A value left out: only the last argument can want one.
        const QString last = arguments.value(arguments.size() - 1);
        for (const auto &option : valued) {
            if (last == QLatin1String("--") + option.first.names().constFirst())
                return fail(option.second);
        }
        return fail(parser.errorText());
    }
    const auto seconds = [&](const QCommandLineOption &option, int low, int *value) {
        bool ok = false;
        *value = parser.value(option).toInt(&ok);
        return ok && *value >= low;
    };

    Options o;
    if (parser.isSet(every) && !seconds(every, 1, &o.every_s))
        return fail(valued.at(0).second);
    if (parser.isSet(clock_over) && !seconds(clock_over, 0, &o.clock_limit_s))
        return fail(valued.at(1).second);
    for (int i = 2; i < valued.size(); ++i) {
        if (parser.isSet(valued.at(i).first) && parser.value(valued.at(i).first).isEmpty())
            return fail(valued.at(i).second);
    }
    o.journal = parser.value(journal);
    o.out = parser.value(out);
    o.status = parser.value(status);
    o.consumption = parser.isSet(consumption);
    QStringList positional = parser.positionalArguments();
    if (o.consumption) {
        // FROM and TO, and nothing else.
        if (positional.size() > 2)
            return fail(tr("--consumption берет только --journal и --out"));
        o.from = moment(positional.value(0));
        o.to = moment(positional.value(1));
        if (positional.size() < 2 || !o.from.isValid() || !o.to.isValid() || o.from >= o.to)
            return fail(tr("--consumption: ожидаются две даты ГГГГ-ММ-ДД [ЧЧ:ММ], первая раньше второй"));
        positional.clear();
    } else if (!positional.isEmpty()) {
        o.lines_file = positional.takeFirst();
    }
    if (!positional.isEmpty())
        return fail(tr("непонятный аргумент %1").arg(positional.constFirst()));
    const bool once_set = parser.isSet(once);
    if (o.journal.isEmpty())
        return fail(tr("не указан журнал (--journal)"));
    if (o.consumption) {
        if (once_set || o.every_s > 0 || o.clock_limit_s >= 0 || !o.status.isEmpty())
            return fail(tr("--consumption берет только --journal и --out"));
        return o;
    }
    if (!o.out.isEmpty())
        return fail(tr("--out только с --consumption"));
    if (o.lines_file.isEmpty())
        return fail(tr("не указан файл линий"));
    if (once_set == (o.every_s > 0))
        return fail(tr("нужен один из --once и --every"));
    return o;
}

} // namespace collect
