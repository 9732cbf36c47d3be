#include "collect/collector.h"

#include "collect/console.h"
#include "journal/journal_claims.h"
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

// A question the journal has not answered in this long: the operator is told.
constexpr int answer_wait_ms = 5000;

int jittered_ms_of(int backoff_ms)
{
    return journal::jittered_ms(qMax(backoff_ms, 500));
}

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

// What the journal says as a round starts.
struct RoundStart
{
    qint64 now_ms = -1;  // the server's clock
    qint64 local_ms = 0; // this computer's as it was read (the answer may come late)
    qint64 key = 0;      // the round's number
    NewestRecords newest;
};

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
    claims = std::make_unique<journal::Claims>(connection);
    start_writer();
    claim_timer = new QTimer(this);
    claim_timer->setInterval(20); // one line a tick: collectors started together take turns
    connect(claim_timer, &QTimer::timeout, this, &Collector::claim_more);
    renew_timer = new QTimer(this);
    renew_timer->setInterval(lease_ms / 3);
    connect(renew_timer, &QTimer::timeout, this, &Collector::renew);
    watch_timer = new QTimer(this);
    watch_timer->setInterval(500);
    connect(watch_timer, &QTimer::timeout, this, &Collector::watch);
    start_round();
    return true;
}

// Every read of a round may wait for the journal at once; a server that
// goes away meanwhile keeps them queued until it is back.
void Collector::start_writer()
{
    writer_open = false;
    writer = std::make_unique<journal::Writer>(connection, journal_limit);
    connect(writer.get(), &journal::Writer::fault, this, [this](journal::Fault fault, const QString &detail) {
        journal_failed = true;
        tell_fault(fault, detail);
    });
    connect(writer.get(), &journal::Writer::not_kept, this, [this](const journal::WriteSubject &what) {
        journal_failed = true;
        complete_pending_s = 0;
        ++journal_unkept;
        print(tr("Не записано в журнал: %1").arg(journal::write_subject_words(what)));
    });
    connect(writer.get(), &journal::Writer::dropped, this, [this](const journal::WriteSubject &what) {
        journal_failed = true;
        complete_pending_s = 0;
        ++journal_unkept;
        print(tr("Журнал не успевает, не записано: %1").arg(journal::write_subject_words(what)));
    });
    // A round read whole is complete once the journal holds all of it.
    connect(writer.get(), &journal::Writer::written, this, [this] {
        if (complete_pending_s > 0 && writer->queued() == 0) {
            last_complete_s = complete_pending_s;
            complete_pending_s = 0;
        }
    });
    connect(writer.get(), &journal::Writer::server_lost, this, [this](const QString &detail) {
        print(tr("Сервер журнала %1 потерян (%2); чтения ждут его в очереди").arg(journal_place(connection), detail));
    });
    connect(writer.get(), &journal::Writer::server_back, this, [this](int written) {
        print(tr("Сервер журнала %1 снова доступен; записано из очереди: %2")
                  .arg(journal_place(connection))
                  .arg(written));
    });
    // The writer makes a new file's tables before the round's questions open
    // a connection of their own: two connections making them at once find
    // the file locked, and the writer would give up on every reading.
    connect(writer.get(), &journal::Writer::opened, this, [this] {
        writer_open = true;
        if (round_waits_writer) {
            round_waits_writer = false;
            ask_round_start();
        }
    });
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
    // What it had queued was named when it gave up.
    if (!writer->available()) {
        writer->finish(0);
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
    final_meters.clear();
    round_active = true;
    round_begun = false;
    round_away = false;
    claims_given_up = false;
    left_asked = false;
    start_asked.invalidate();
    watch_timer->start();
    if (writer_open)
        ask_round_start();
    else
        round_waits_writer = true;
}

// The round's number by the server's clock, and what the journal already
// holds (which archives are due), asked in one request.
void Collector::ask_round_start()
{
    if (!round_active || round_begun)
        return;
    if (!start_asked.isValid())
        start_asked.start();
    const int round = round_number;
    const qint64 period = period_ms();
    // A timer that fires a little early still starts the next round.
    const qint64 previous = round_number > 1 ? round_key + period : 0;
    const bool once = options.every_s <= 0;
    const bool with_claims = shared();
    QStringList names;
    for (const LineEntry &line : qAsConst(lines.lines))
        names << line.name;
    auto found = std::make_shared<RoundStart>();
    claims->ask(
        [found, period, previous, once, with_claims, names](journal::Store &store) {
            found->now_ms = store.server_time_ms();
            found->local_ms = QDateTime::currentMSecsSinceEpoch();
            if (found->now_ms < 0)
                return false;
            found->key = qMax(found->now_ms / period * period, previous);
            if (with_claims) {
                // Every round: a journal made anew meanwhile gets the lines too.
                if (!store.add_lines(names))
                    return false;
                // A --once in a minute whose round was read already (an earlier
                // --once) reads a round of its own: it must not find its lines done.
                if (once) {
                    const int read = store.lines_read_in(found->key);
                    if (read < 0)
                        return false;
                    if (read > 0)
                        found->key = found->now_ms;
                }
            }
            found->newest = store.newest_records();
            return store.fault() == journal::Fault::none;
        },
        [this, round, found](const journal::Answer &answer) { round_start_answered(round, *found, answer); });
}

void Collector::round_start_answered(int round, const RoundStart &found, const journal::Answer &answer)
{
    if (round != round_number || !round_active || round_begun)
        return; // the round went on without it
    if (!answer.ok) {
        // --once: a login turned away (or a journal that cannot be kept) is
        // not mended by waiting.
        if (shared() && options.every_s <= 0 && answer.fault != journal::Fault::unreachable) {
            tell_fault(answer.fault, answer.detail);
            give_up_claims(answer.fault == journal::Fault::refused ? tr("сервер журнала отклонил вход")
                               : answer.fault == journal::Fault::untrusted ? tr("сертификат сервера журнала не принят")
                                                                           : tr("журнал не ведется"));
            return;
        }
        // --every: a server that turns this collector away answers all the
        // same; the lines are read now, and the journal asked afresh next round.
        if (shared() && (answer.fault == journal::Fault::refused || answer.fault == journal::Fault::untrusted)) {
            tell_fault(answer.fault, answer.detail);
            read_without_claims(true);
            return;
        }
        journal_trouble(answer);
        if (!shared()) {
            // The file says why through the writer; the lines are read all the same.
            read_without_claims();
            return;
        }
        // Asked again after a pause; watch() reads without claims if it lasts.
        QTimer::singleShot(jittered_ms_of(backoff_ms), this, [this, round] {
            if (round == round_number)
                ask_round_start();
        });
        return;
    }
    journal_answered();
    clock_offset_ms = found.now_ms - found.local_ms;
    round_key = found.key;
    newest = found.newest;
    round_begun = true;
    // A journal given up before any line was read is tried afresh now that it answers.
    if (!writer->available()) {
        writer->finish(0);
        faults_told.clear();
        start_writer();
        journal_failed = false;
    }
    if (!shared()) {
        for (int i = 0; i < lines.lines.size(); ++i)
            start_line(i);
        return;
    }
    claim_timer->setInterval(20);
    claim_timer->start();
    renew_timer->start();
    claim_more();
}

// The journal does not answer: the round is not stopped by it. It reads the
// lines this collector read last time (every line while no other collector
// was seen: it may be the only one), without claims, and ends when they are
// read; another collector cut off too reads its own. The readings wait in
// the writer's queue.
void Collector::read_without_claims(bool turned_away)
{
    if (round_away || !round_active)
        return;
    round_away = true;
    claim_timer->stop();
    renew_timer->stop();
    if (!round_begun) {
        round_begun = true;
        const qint64 period = period_ms();
        const qint64 now = QDateTime::currentMSecsSinceEpoch() + clock_offset_ms;
        round_key = round_number > 1 ? qMax(now / period * period, round_key + period) : now / period * period;
    }
    QList<int> chosen;
    for (int i = 0; i < lines.lines.size(); ++i) {
        if (!seen_other || held_last.contains(i))
            chosen << i;
    }
    if (shared()) {
        const QString why = (turned_away ? tr("Журнал %1 не принял вход") : tr("Нет ответа от журнала %1"))
                                .arg(journal_place(connection));
        if (!seen_other) {
            print(tr("%1: круг %2 читает все линии без раздачи").arg(why).arg(round_number));
        } else {
            QStringList names;
            for (int i : qAsConst(chosen))
                names << lines.lines.at(i).name;
            print(tr("%1: круг %2 читает без раздачи линии прошлого круга этого сборщика: %3")
                      .arg(why)
                      .arg(round_number)
                      .arg(names.isEmpty() ? tr("нет") : names.join(QStringLiteral(", "))));
        }
    }
    for (int i : qAsConst(chosen)) {
        if (!rounds.count(i))
            start_line(i);
    }
    check_round_over();
}

// Twice a second while a round runs: a journal that has not answered a
// round's start for as long as a lease, or, past half the period, has been
// silent that long, is no longer waited for. (A new connection on a busy
// server may well take a few seconds: the rounds are not shared for less.)
void Collector::watch()
{
    if (!round_active)
        return;
    const qint64 waited = claims->waiting_ms();
    if (shared() && waited >= answer_wait_ms)
        journal_lost(tr("нет ответа %1 с").arg(waited / 1000));
    if (round_away || claims_given_up)
        return;
    if (!round_begun) {
        if (start_asked.isValid() && start_asked.elapsed() >= lease_ms)
            read_without_claims();
        return;
    }
    const qint64 silent = qMax(waited, claims_away ? claims_away_for.elapsed() : qint64(0));
    if (silent >= lease_ms && round_clock.elapsed() >= period_ms() / 2)
        read_without_claims();
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
    if (!round_active || !round_begun || round_away || claims_given_up)
        return;
    emit progress(); // waiting for other collectors' lines, or for the server, is not hanging
    mark_read();
    if (claim_asked)
        return;
    claim_asked = true;
    const int round = round_number;
    const qint64 key = round_key;
    const QString me = holder;
    auto line = std::make_shared<std::optional<QString>>();
    claims->ask(
        [line, key, me](journal::Store &store) {
            *line = store.claim_line(key, me, lease_ms);
            return line->has_value();
        },
        [this, round, line](const journal::Answer &answer) {
            claim_asked = false;
            if (!answer.ok) {
                journal_trouble(answer);
                claim_timer->setInterval(jittered_ms_of(backoff_ms));
                return;
            }
            journal_answered();
            claimed(round, **line);
        });
}

void Collector::claimed(int round, const QString &line)
{
    // A claim answered after its round: its lease runs out and a later round takes the line.
    if (round != round_number || !round_active)
        return;
    if (line.isEmpty()) {
        claim_timer->setInterval(1000);
        check_round_over();
        return;
    }
    claim_timer->setInterval(20);
    int index = -1;
    for (int i = 0; i < lines.lines.size(); ++i) {
        if (lines.lines.at(i).name == line)
            index = i;
    }
    // A line of another lines file: not this collector's to read.
    if (index < 0 || rounds.count(index)) {
        const qint64 key = round_key;
        const QString me = holder;
        claims->ask([key, line, me](journal::Store &store) { return store.finish_line(key, line, me); },
                    [](const journal::Answer &) {});
        return;
    }
    start_line(index);
}

void Collector::renew()
{
    if (!round_active || !round_begun || round_away || renew_asked)
        return;
    renew_asked = true;
    const qint64 key = round_key;
    const QString me = holder;
    claims->ask([key, me](journal::Store &store) { return store.renew_claims(key, me, lease_ms); },
                [this](const journal::Answer &answer) {
                    renew_asked = false;
                    if (answer.ok)
                        journal_answered();
                    else
                        journal_trouble(answer);
                });
}

void Collector::journal_trouble(const journal::Answer &answer)
{
    backoff_ms = journal::next_backoff_ms(backoff_ms);
    if (!shared())
        return;
    // A server that turns this collector away is there: said as such, once, not as lost.
    if (answer.fault == journal::Fault::refused || answer.fault == journal::Fault::untrusted)
        tell_fault(answer.fault, answer.detail);
    else
        journal_lost(answer.detail);
}

// The lines are handed out through the journal: while its server is away no
// line is claimed, renewed or marked read, and the operator is told once,
// whether or not a reading is waiting to be written.
void Collector::journal_lost(const QString &detail)
{
    if (claims_away)
        return;
    claims_away = true;
    claims_away_for.start();
    print(tr("Сервер журнала %1 потерян (%2); линии круга ждут его").arg(journal_place(connection), detail));
}

void Collector::journal_answered()
{
    backoff_ms = 0;
    if (!claims_away)
        return;
    claims_away = false;
    print(tr("Сервер журнала %1 снова доступен; линии круга раздаются дальше").arg(journal_place(connection)));
}

// --once without the claims: the lines this collector reads are finished,
// the others are named as not read.
void Collector::give_up_claims(const QString &why)
{
    claims_given_up = true;
    round_begun = true;
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
        unmarked.insert({round_key, line});
        mark_read();
    }
    check_round_over();
}

// Lines read but not yet marked so (the server was away) keep their lease
// and are marked at the next chance, a later round's included.
void Collector::mark_read()
{
    const auto waiting = unmarked;
    for (const QPair<qint64, int> &read : waiting) {
        if (marking.contains(read))
            continue;
        marking.insert(read);
        const QString line = lines.lines.at(read.second).name;
        const QString me = holder;
        claims->ask([read, line, me](journal::Store &store) { return store.finish_line(read.first, line, me); },
                    [this, read](const journal::Answer &answer) {
                        marking.remove(read);
                        if (!answer.ok) {
                            journal_trouble(answer);
                            return;
                        }
                        journal_answered();
                        unmarked.remove(read);
                        check_round_over();
                    });
    }
}

void Collector::check_round_over()
{
    if (!round_active || !round_begun)
        return;
    for (const auto &round : rounds) {
        if (!round.second->finished())
            return;
    }
    if (shared() && !claims_given_up && !round_away) {
        // Others may still be reading, or may have died holding lines.
        for (const auto &read : qAsConst(unmarked)) {
            if (read.first == round_key)
                return;
        }
        if (left_asked)
            return;
        left_asked = true;
        const int round = round_number;
        const qint64 key = round_key;
        auto left = std::make_shared<int>(-1);
        claims->ask(
            [left, key](journal::Store &store) {
                *left = store.lines_left(key);
                return *left >= 0;
            },
            [this, round, left](const journal::Answer &answer) {
                left_asked = false;
                if (!answer.ok) {
                    journal_trouble(answer);
                    return;
                }
                journal_answered();
                if (round == round_number && round_active && !round_away && *left == 0)
                    finish_round();
            });
        return;
    }
    finish_round();
}

void Collector::finish_round()
{
    claim_timer->stop();
    renew_timer->stop();
    watch_timer->stop();
    round_active = false;
    // The lines a round without the journal reads next time.
    held_last.clear();
    for (const auto &round : rounds)
        held_last.insert(round.first);
    if (shared() && !round_away && !claims_given_up && int(rounds.size()) < lines.lines.size())
        seen_other = true;
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
    watch_timer->stop();
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
    // what never was is named. With --every the queue is written as the
    // journal takes it while the next rounds go on.
    QList<journal::WriteSubject> unkept;
    const bool written = options.every_s > 0 || (unkept = writer->finish(journal_wait_ms)).isEmpty();
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
    // With --every the last readings may still wait for the journal: the
    // round counts as complete once they are written.
    if (whole && writer->queued() == 0)
        last_complete_s = round_started_ms / 1000;
    else if (whole)
        complete_pending_s = round_started_ms / 1000;
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
    // The next round at the next multiple of the period, as every collector
    // counts it: by the server's clock.
    const qint64 next_ms = round_key + qint64(options.every_s) * 1000;
    const qint64 wait_ms = qMax<qint64>(0, next_ms - (QDateTime::currentMSecsSinceEpoch() + clock_offset_ms));
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
