#include "collect/collect_options.h"

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

} // namespace

QString usage()
{
    return tr("Использование:\n"
              "  configurator-collect ЛИНИИ.json --once|--every СЕКУНД --journal ЖУРНАЛ [--set-clock-over СЕКУНД]\n"
              "  configurator-collect --consumption С ПО --journal ЖУРНАЛ [--out ФАЙЛ.csv]\n"
              "ЖУРНАЛ: файл SQLite или postgresql://пользователь@сервер:порт/база (пароль в"
              " METER_JOURNAL_PASSWORD).\n"
              "С, ПО: ГГГГ-ММ-ДД [ЧЧ:ММ[:СС]], местное время.\n");
}

std::optional<Options> parse_options(const QStringList &arguments, QString *error)
{
    Options o;
    bool once = false;
    const auto fail = [error](const QString &text) {
        *error = text;
        return std::nullopt;
    };
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        const auto value = [&](int n) { return i + n < arguments.size() ? arguments.at(i + n) : QString(); };
        const auto seconds = [&](int low, int *out) {
            bool ok = false;
            *out = value(1).toInt(&ok);
            ++i;
            return ok && *out >= low;
        };
        if (a == QLatin1String("--once")) {
            once = true;
        } else if (a == QLatin1String("--every")) {
            if (!seconds(1, &o.every_s))
                return fail(tr("--every: ожидается число секунд больше 0"));
        } else if (a == QLatin1String("--set-clock-over")) {
            if (!seconds(0, &o.clock_limit_s))
                return fail(tr("--set-clock-over: ожидается число секунд"));
        } else if (a == QLatin1String("--journal")) {
            o.journal = value(1);
            ++i;
            if (o.journal.isEmpty())
                return fail(tr("--journal: ожидается файл или postgresql://..."));
        } else if (a == QLatin1String("--out")) {
            o.out = value(1);
            ++i;
            if (o.out.isEmpty())
                return fail(tr("--out: ожидается имя файла"));
        } else if (a == QLatin1String("--consumption")) {
            o.consumption = true;
            o.from = moment(value(1));
            o.to = moment(value(2));
            if (!o.from.isValid() || !o.to.isValid() || o.from >= o.to)
                return fail(tr("--consumption: ожидаются две даты ГГГГ-ММ-ДД [ЧЧ:ММ], первая раньше второй"));
            i += 2;
        } else if (a.startsWith(QLatin1String("--")) || !o.lines_file.isEmpty()) {
            return fail(tr("непонятный аргумент %1").arg(a));
        } else {
            o.lines_file = a;
        }
    }
    if (o.journal.isEmpty())
        return fail(tr("не указан журнал (--journal)"));
    if (o.consumption) {
        if (!o.lines_file.isEmpty() || once || o.every_s > 0 || o.clock_limit_s >= 0)
            return fail(tr("--consumption берет только --journal и --out"));
        return o;
    }
    if (!o.out.isEmpty())
        return fail(tr("--out только с --consumption"));
    if (o.lines_file.isEmpty())
        return fail(tr("не указан файл линий"));
    if (once == (o.every_s > 0))
        return fail(tr("нужен один из --once и --every"));
    return o;
}

} // namespace collect
