#include "collect/collector.h"

#include "journal/journal_place.h"
#include "journal/journal_writer.h"
#include "scan/line_readout.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

namespace collect {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("collect", text);
}

void print(const QString &text)
{
    std::fputs(text.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Reads that wait for the journal when the round is over: a server that
// hangs is not waited for past this.
constexpr int journal_wait_ms = 60000;

} // namespace

QString meter_line(const LineEntry &line, const MeterEntry &meter, const MeterReport &report)
{
    const PollValues &v = report.values;
    QString reading;
    if (report.read)
        reading = v.volume + (v.volume_factor == 0.0 ? tr(" ед.") : tr(" м3"));
    QString outcome = report.outcome;
    // A meter read only when asked again tells of a line worth a look.
    if (report.read && report.attempts > 1)
        outcome += tr(", со второго раза");
    if (!report.clock.isEmpty())
        outcome += QStringLiteral("; ") + report.clock;
    if (report.archive_records >= 0)
        outcome += QStringLiteral("; ") + tr("архив: %1 записей").arg(report.archive_records);
    const QString offset = report.offset_s ? scan::offset_text(*report.offset_s) + tr(" с") : QString();
    return QStringList{line.name, meter.label, meter.id_text(), reading, offset, outcome}.join(QLatin1Char('\t'));
}

Collector::Collector(const Options &o, const LinesFile &l, const journal::Connection &journal,
                     const QStringList &model_table, QObject *parent)
    : QObject(parent)
    , options(o)
    , lines(l)
    , connection(journal)
    , models(model_table)
{ }

Collector::~Collector() = default;

void Collector::start()
{
    int meters = 0;
    for (const LineEntry &line : qAsConst(lines.lines))
        meters += line.meters.size();
    // Every read of a round may wait for the journal at once.
    writer = std::make_unique<journal::Writer>(connection, 4 * meters + 64);
    connect(writer.get(), &journal::Writer::fault, this, [this](journal::Fault fault, const QString &detail) {
        journal_failed = true;
        print(journal_fault_text(fault, connection) + QStringLiteral(" (") + detail + QLatin1Char(')'));
    });
    connect(writer.get(), &journal::Writer::dropped, this, [this] {
        journal_failed = true;
        print(tr("Журнал не успевает: чтение в него не записано"));
    });
    start_round();
}

void Collector::start_round()
{
    ++round_number;
    round_clock.start();
    round_exchanges = 0;
    rounds.clear();
    // What the journal already holds decides which archives are due.
    NewestRecords newest;
    {
        journal::Store store(connection);
        if (store.open())
            newest = store.newest_records();
    }
    for (int i = 0; i < lines.lines.size(); ++i) {
        auto round
            = std::make_unique<LineRound>(lines.lines.at(i), models, writer.get(), newest, options.clock_limit_s);
        connect(round.get(), &LineRound::meter_done, this,
                [this, i](int meter, bool final) { meter_done(i, meter, final); });
        connect(round.get(), &LineRound::finished_round, this, &Collector::line_finished, Qt::QueuedConnection);
        rounds.push_back(std::move(round));
    }
    for (auto &round : rounds)
        round->start();
}

void Collector::meter_done(int line, int meter, bool final)
{
    if (!final)
        return;
    const LineRound &round = *rounds[size_t(line)];
    print(meter_line(round.line(), round.line().meters.at(meter), round.reports().at(size_t(meter))));
}

void Collector::line_finished()
{
    for (const auto &round : rounds) {
        if (!round->finished())
            return;
    }
    round_over();
}

void Collector::round_over()
{
    const double seconds = round_clock.elapsed() / 1000.0;
    int total = 0;
    int read = 0;
    QStringList unread;
    for (const auto &round : rounds) {
        round_exchanges += round->exchanges();
        for (int m = 0; m < int(round->reports().size()); ++m) {
            ++total;
            const MeterReport &report = round->reports().at(size_t(m));
            if (report.read) {
                ++read;
                continue;
            }
            const MeterEntry &meter = round->line().meters.at(m);
            unread << QStringLiteral("  %1 / %2 (%3): %4")
                          .arg(round->line().name, meter.label, meter.id_text(), report.outcome);
        }
    }
    const bool written = writer->wait_written(journal_wait_ms);
    print(tr("Круг %1: считано %2 из %3 счетчиков на %4 линиях за %5 с")
              .arg(round_number)
              .arg(read)
              .arg(total)
              .arg(lines.lines.size())
              .arg(seconds, 0, 'f', 1));
    if (!unread.isEmpty())
        print(tr("Не считаны:\n") + unread.join(QLatin1Char('\n')));
    if (!written)
        print(tr("Журнал не принял все чтения за %1 с").arg(journal_wait_ms / 1000));
    const bool whole = unread.isEmpty() && written && !journal_failed;
    if (options.every_s <= 0) {
        emit done(whole ? 0 : 1);
        return;
    }
    const qint64 wait_ms = qMax<qint64>(0, qint64(options.every_s) * 1000 - round_clock.elapsed());
    QTimer::singleShot(int(wait_ms), this, &Collector::start_round);
}

} // namespace collect
