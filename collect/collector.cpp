#include "collect/collector.h"

#include "collect/console.h"
#include "journal/journal_place.h"
#include "journal/journal_writer.h"
#include "model/journal_texts.h"
#include "model/quantity.h"
#include "scan/line_readout.h"

#include <QCoreApplication>
#include <QSysInfo>
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
    print_line(stdout, text);
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
        reading = quantity::with_unit(quantity::text(quantity::Kind::volume, v.volume_units, v.scale()), v.scale());
    QString outcome = report.outcome;
    // A meter read only when asked again tells of a line worth a look.
    if (report.read && report.attempts > 1)
        outcome += tr(", со второго раза");
    if (!report.clock.isEmpty())
        outcome += QStringLiteral("; ") + report.clock;
    if (report.archive_records >= 0)
        outcome += QStringLiteral("; ") + tr("архив: %1 записей").arg(report.archive_records);
    if (report.archive_slots_empty > 0)
        outcome += tr(", пустых ячеек без времени не записано: %1").arg(report.archive_slots_empty);
    const QString offset = report.offset_s ? quantity::offset(*report.offset_s) + tr(" с") : QString();
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

bool Collector::start()
{
    if (!shared()) {
        // One collector per file: a second would write the same meters twice.
        sqlite_lock = std::make_unique<QLockFile>(connection.file + QStringLiteral(".collector"));
        sqlite_lock->setStaleLockTime(0);
        if (!sqlite_lock->tryLock(0)) {
            // A folder that may not be written holds no other collector's
            // lock either: the journal says why it is not kept.
            if (sqlite_lock->error() != QLockFile::LockFailedError) {
                sqlite_lock.reset();
            } else {
                qint64 pid = 0;
                QString host, application;
                sqlite_lock->getLockInfo(&pid, &host, &application);
                print(tr("Журнал %1 уже пишет другой сборщик (процесс %2 на %3); этот останавливается")
                          .arg(journal_place(connection))
                          .arg(pid)
                          .arg(host));
                return false;
            }
        }
    }
    holder = QStringLiteral("%1:%2").arg(QSysInfo::machineHostName()).arg(QCoreApplication::applicationPid());
    int meters = 0;
    for (const LineEntry &line : qAsConst(lines.lines))
        meters += line.meters.size();
    journal_limit = 4 * meters + 64;
    start_writer();
    claim_timer = new QTimer(this);
    claim_timer->setInterval(20); // one line a tick: collectors started together take turns
    connect(claim_timer, &QTimer::timeout, this, &Collector::claim_more);
    renew_timer = new QTimer(this);
    renew_timer->setInterval(lease_ms / 3);
    connect(renew_timer, &QTimer::timeout, this, [this] {
        if (claims && !claims->renew_claims(round_key, holder, QDateTime::currentMSecsSinceEpoch() + lease_ms))
            claims_lost(); // opened anew at the next claim
    });
    start_round();
    return true;
}

// Every read of a round may wait for the journal at once; a server that
// goes away meanwhile keeps them queued until it is back.
void Collector::start_writer()
{
    writer = std::make_unique<journal::Writer>(connection, journal_limit);
    connect(writer.get(), &journal::Writer::fault, this, [this](journal::Fault fault, const QString &detail) {
        journal_failed = true;
        tell_fault(fault, detail);
    });
    connect(writer.get(), &journal::Writer::not_kept, this, [this](const journal::WriteSubject &what) {
        journal_failed = true;
        ++journal_unkept;
        print(tr("Не записано в журнал: %1").arg(journal::write_subject_words(what)));
    });
    connect(writer.get(), &journal::Writer::dropped, this, [this](const journal::WriteSubject &what) {
        journal_failed = true;
        ++journal_unkept;
        print(tr("Журнал не успевает, не записано: %1").arg(journal::write_subject_words(what)));
    });
    connect(writer.get(), &journal::Writer::server_lost, this, [this](const QString &detail) {
        print(tr("Сервер журнала %1 потерян (%2); чтения ждут его в очереди").arg(journal_place(connection), detail));
    });
    connect(writer.get(), &journal::Writer::server_back, this, [this](int written) {
        print(tr("Сервер журнала %1 снова доступен; записано из очереди: %2")
                  .arg(journal_place(connection))
                  .arg(written));
    });
    // The writer makes a new file's tables before the round opens its own
    // connection to see what is there: two connections making them at once
    // find the file locked, and the writer would give up on every reading.
    writer->wait_written(journal_wait_ms);
}

void Collector::tell_fault(journal::Fault fault, const QString &detail)
{
    if (faults_told.contains(int(fault)))
        return;
    faults_told.insert(int(fault));
    print(journal_fault_text(fault, connection) + QStringLiteral(" (") + detail + QLatin1Char(')'));
}

void Collector::tell_unkept(const QList<journal::WriteSubject> &unkept)
{
    QStringList named;
    for (const journal::WriteSubject &what : unkept)
        named << journal::write_subject_words(what);
    if (!named.isEmpty())
        print(tr("Не записаны в журнал:\n  ") + named.join(QStringLiteral("\n  ")));
}

bool Collector::stop()
{
    if (!writer)
        return true;
    const QList<journal::WriteSubject> unkept = writer->finish(journal_wait_ms);
    tell_unkept(unkept);
    return unkept.isEmpty();
}

void Collector::start_round()
{
    // A journal given up is tried afresh each round: the server may be back.
    if (!writer->available()) {
        writer->finish(1000);
        faults_told.clear();
        start_writer();
        journal_failed = false;
    }
    ++round_number;
    round_clock.start();
    round_started_ms = QDateTime::currentMSecsSinceEpoch();
    emit round_started(round_number);
    round_exchanges = 0;
    rounds.clear();
    unmarked.clear();
    final_meters.clear();
    round_active = true;
    claims_given_up = false;
    round_checked = options.every_s > 0;
    const qint64 period_ms = qint64(options.every_s > 0 ? options.every_s : 60) * 1000;
    // A timer that fires a little early still starts the next round.
    const qint64 previous = round_key;
    round_key = QDateTime::currentMSecsSinceEpoch() / period_ms * period_ms;
    if (round_number > 1)
        round_key = qMax(round_key, previous + period_ms);
    // What the journal already holds decides which archives are due.
    newest.clear();
    {
        journal::Store store(connection);
        if (store.open())
            newest = store.newest_records();
    }
    if (!shared()) {
        for (int i = 0; i < lines.lines.size(); ++i)
            start_line(i);
        return;
    }
    claim_timer->start();
    renew_timer->start();
    claim_more();
}

void Collector::start_line(int index)
{
    auto round
        = std::make_unique<LineRound>(lines.lines.at(index), models, writer.get(), newest, options.clock_limit_s);
    connect(round.get(), &LineRound::meter_done, this,
            [this, index](int meter, bool final) { meter_done(index, meter, final); });
    connect(round.get(), &LineRound::progress, this, &Collector::progress);
    connect(
        round.get(), &LineRound::finished_round, this, [this, index] { line_finished(index); }, Qt::QueuedConnection);
    LineRound *started = round.get();
    rounds[index] = std::move(round);
    started->start();
}

// One line a tick while there are lines to claim; then a look now and then
// for lines whose collector has stopped renewing its lease.
void Collector::claim_more()
{
    if (!round_active || claims_given_up)
        return;
    emit progress(); // waiting for other collectors' lines, or for the server, is not hanging
    if (!claims) {
        claims = std::make_unique<journal::Store>(connection);
        QStringList names;
        for (const LineEntry &line : qAsConst(lines.lines))
            names << line.name;
        if (!claims->add_lines(names)) {
            const journal::Fault fault = claims->fault();
            // --once: a login turned away (or a journal that cannot be kept)
            // is not mended by waiting, and a server away is waited for only so long.
            if (options.every_s <= 0 && fault != journal::Fault::unreachable) {
                tell_fault(fault, claims->detail());
                claims.reset();
                give_up_claims(fault == journal::Fault::refused ? tr("сервер журнала отклонил вход")
                                   : fault == journal::Fault::untrusted ? tr("сертификат сервера журнала не принят")
                                                                        : tr("журнал не ведется"));
                return;
            }
            claims_lost(); // asked again in a second
            claim_timer->setInterval(1000);
            if (options.every_s <= 0 && claims_away_for.elapsed() >= journal_wait_ms)
                give_up_claims(tr("нет связи с журналом"));
            return;
        }
        if (claims_away) {
            claims_away = false;
            print(tr("Сервер журнала %1 снова доступен; линии круга раздаются дальше").arg(journal_place(connection)));
        }
        // A journal given up before any line was read is tried afresh now that it answers.
        if (!writer->available() && rounds.empty()) {
            writer->finish(1000);
            faults_told.clear();
            start_writer();
            journal_failed = false;
        }
    }
    mark_read();
    if (!claims)
        return;
    if (!round_checked) {
        // A --once in a minute whose round was read already (an earlier
        // --once) reads a round of its own: it must not find its lines done.
        const int read = claims->lines_read_in(round_key);
        if (read < 0) {
            claims_lost();
            claim_timer->setInterval(1000);
            return;
        }
        round_checked = true;
        if (read > 0)
            round_key = QDateTime::currentMSecsSinceEpoch();
    }
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const std::optional<QString> line = claims->claim_line(round_key, holder, now, now + lease_ms);
    if (!line) {
        claims_lost();
        claim_timer->setInterval(1000);
        return;
    }
    if (line->isEmpty()) {
        claim_timer->setInterval(1000);
        check_round_over();
        return;
    }
    claim_timer->setInterval(20);
    int index = -1;
    for (int i = 0; i < lines.lines.size(); ++i) {
        if (lines.lines.at(i).name == *line)
            index = i;
    }
    // A line of another lines file: not this collector's to read.
    if (index < 0 || rounds.count(index)) {
        claims->finish_line(round_key, *line, holder);
        return;
    }
    start_line(index);
}

// The lines are handed out through the journal: while its server is away no
// line is claimed, renewed or marked read, and the operator is told once,
// whether or not a reading is waiting to be written.
void Collector::claims_lost()
{
    if (!claims_away) {
        claims_away = true;
        claims_away_for.start();
        print(tr("Сервер журнала %1 потерян (%2); линии круга ждут его")
                  .arg(journal_place(connection), claims ? claims->detail() : QString()));
    }
    claims.reset();
}

// --once without the claims: the lines this collector reads are finished,
// the others are named as not read.
void Collector::give_up_claims(const QString &why)
{
    claims_given_up = true;
    unclaimed_why = why;
    claim_timer->stop();
    renew_timer->stop();
    check_round_over();
}

void Collector::meter_done(int line, int meter, bool final)
{
    if (!final)
        return;
    final_meters.insert({line, meter});
    const LineRound &round = *rounds.at(line);
    print(meter_line(round.line(), round.line().meters.at(meter), round.reports().at(size_t(meter))));
}

void Collector::line_finished(int line)
{
    if (shared()) {
        unmarked.insert(line);
        mark_read();
    }
    check_round_over();
}

// Lines read but not yet marked so (the server was away) keep their lease
// and are marked at the next chance.
void Collector::mark_read()
{
    for (auto it = unmarked.begin(); it != unmarked.end() && claims;) {
        if (claims->finish_line(round_key, lines.lines.at(*it).name, holder)) {
            it = unmarked.erase(it);
        } else {
            claims_lost();
        }
    }
}

void Collector::check_round_over()
{
    if (!round_active)
        return;
    for (const auto &round : rounds) {
        if (!round.second->finished())
            return;
    }
    if (shared() && !claims_given_up) {
        // Others may still be reading, or may have died holding lines.
        if (!claims || !unmarked.isEmpty() || claims->lines_left(round_key) != 0)
            return;
        claim_timer->stop();
        renew_timer->stop();
    }
    round_active = false;
    round_over();
}

// The meters of this round not read: those of the lines read here whose
// turn ended without a reading, those whose turn had not ended (`pending`),
// and, when the claims were given up, those of the lines never claimed.
QStringList Collector::unread_meters(int *total, int *read, const QString &pending) const
{
    QStringList unread;
    const auto name = [](const LineEntry &line, const MeterEntry &meter, const QString &why) {
        return QStringLiteral("  %1 / %2 (%3): %4").arg(line.name, meter.label, meter.id_text(), why);
    };
    for (int i = 0; i < lines.lines.size(); ++i) {
        const LineEntry &line = lines.lines.at(i);
        const auto found = rounds.find(i);
        if (found == rounds.end()) {
            if (!claims_given_up)
                continue; // another collector's, or nobody's yet
            for (const MeterEntry &meter : line.meters) {
                ++*total;
                unread << name(line, meter, tr("линия не роздана: %1").arg(unclaimed_why));
            }
            continue;
        }
        const LineRound *round = found->second.get();
        for (int m = 0; m < int(round->reports().size()); ++m) {
            ++*total;
            const MeterReport &report = round->reports().at(size_t(m));
            if (report.read) {
                ++*read;
                continue;
            }
            unread << name(line, line.meters.at(m), final_meters.contains({i, m}) ? report.outcome : pending);
        }
    }
    return unread;
}

int Collector::interrupt()
{
    if (!round_active)
        return once_code; // a --once round over: its own code, though its end is still on its way
    round_active = false;
    claim_timer->stop();
    renew_timer->stop();
    int total = 0;
    int read = 0;
    const QStringList unread = unread_meters(&total, &read, tr("сбор остановлен"));
    print(tr("Круг %1 остановлен: считано %2 из %3 счетчиков").arg(round_number).arg(read).arg(total));
    if (unread.isEmpty())
        return 0;
    print(tr("Не считаны:\n") + unread.join(QLatin1Char('\n')));
    return 1;
}

void Collector::round_over()
{
    const double seconds = round_clock.elapsed() / 1000.0;
    int total = 0;
    int read = 0;
    for (const auto &entry : rounds)
        round_exchanges += entry.second->exchanges();
    const QStringList unread = unread_meters(&total, &read, QString());
    // --once: what is queued is written before the end, within a bound, and
    // what never was is named.
    QList<journal::WriteSubject> unkept;
    const bool written = options.every_s > 0 ? writer->wait_written(journal_wait_ms)
                                             : (unkept = writer->finish(journal_wait_ms)).isEmpty();
    print(tr("Круг %1: считано %2 из %3 счетчиков на %4 линиях за %5 с, запросов %6")
              .arg(round_number)
              .arg(read)
              .arg(total)
              .arg(int(rounds.size()))
              .arg(seconds, 0, 'f', 1)
              .arg(round_exchanges));
    if (!unread.isEmpty())
        print(tr("Не считаны:\n") + unread.join(QLatin1Char('\n')));
    if (!written)
        print(tr("Журнал не принял все чтения за %1 с").arg(journal_wait_ms / 1000));
    tell_unkept(unkept);
    const bool whole = unread.isEmpty() && written && !journal_failed;
    for (const journal::WriteSubject &what : qAsConst(unkept))
        journal_unkept += what.kind == journal::WriteSubject::Kind::queued ? what.count : 1;
    if (whole)
        last_complete_s = round_started_ms / 1000;
    RoundFigures figures;
    figures.lines = line_figures();
    figures.number = round_number;
    figures.started_s = round_started_ms / 1000;
    figures.duration_s = seconds;
    figures.journal_queued = writer->queued();
    figures.journal_unkept = journal_unkept;
    figures.last_complete_s = last_complete_s;
    emit round_ended(figures);
    if (options.every_s <= 0) {
        once_code = whole ? 0 : 1;
        emit done(once_code);
        return;
    }
    // The next round at the next multiple of the period, as every collector counts it.
    const qint64 next_ms = round_key + qint64(options.every_s) * 1000;
    const qint64 wait_ms = qMax<qint64>(0, next_ms - QDateTime::currentMSecsSinceEpoch());
    QTimer::singleShot(int(wait_ms), this, &Collector::start_round);
    emit next_round_at(QDateTime::currentMSecsSinceEpoch() + wait_ms);
}

// Per line read here, or given up with the claims: its meters read and not.
QVector<LineFigures> Collector::line_figures() const
{
    QVector<LineFigures> figures;
    for (int i = 0; i < lines.lines.size(); ++i) {
        const LineEntry &line = lines.lines.at(i);
        const auto found = rounds.find(i);
        if (found == rounds.end() && !claims_given_up)
            continue;
        LineFigures f{line.name, 0, 0};
        if (found == rounds.end()) {
            f.not_read = line.meters.size();
        } else {
            for (const MeterReport &report : found->second->reports())
                ++(report.read ? f.read : f.not_read);
        }
        figures.append(f);
    }
    return figures;
}

} // namespace collect
