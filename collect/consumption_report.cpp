#include "collect/consumption_report.h"

#include "collect/console.h"
#include "config/atomic_file.h"
#include "journal/consumption.h"
#include "journal/journal_place.h"
#include "model/journal_texts.h"

#include <QCoreApplication>
#include <cstdio>

namespace collect {

int print_consumption(const Options &options, const journal::Connection &connection)
{
    const auto say = print_line;
    journal::Store store(connection);
    if (!store.open()) {
        say(stderr,
            journal_fault_text(store.fault(), connection) + QStringLiteral(" (") + store.detail() + QLatin1Char(')'));
        return 1;
    }
    const QList<journal::ConsumptionRow> rows = journal::consumption(store, options.from, options.to);
    // A query that failed half-way would make a report with meters missing.
    if (store.fault() != journal::Fault::none) {
        say(stderr,
            journal_fault_text(store.fault(), connection) + QStringLiteral(" (") + store.detail() + QLatin1Char(')'));
        return 1;
    }
    if (options.out.isEmpty()) {
        say(stdout, journal::consumption_titles().join(QLatin1Char('\t')));
        for (const journal::ConsumptionRow &row : rows)
            say(stdout, journal::consumption_texts(row).join(QLatin1Char('\t')));
        return 0;
    }
    QString error;
    if (!write_file_atomically(options.out, journal::consumption_csv(rows, options.from, options.to), &error)) {
        say(stderr, QStringLiteral("%1: %2").arg(options.out, error));
        return 1;
    }
    say(stdout,
        QCoreApplication::translate("collect", "Расход %1 счетчиков записан в %2").arg(rows.size()).arg(options.out));
    return 0;
}

} // namespace collect
