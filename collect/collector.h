#pragma once

#include "collect/collect_options.h"
#include "collect/line_round.h"
#include "collect/lines_file.h"
#include "collect/round_status.h"
#include "journal/journal_claims.h"
#include "journal/journal_store.h"
#include "journal/journal_writer.h"

#include <QElapsedTimer>
#include <QLockFile>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <map>
#include <memory>

class QTimer;

namespace journal {
class Writer;
}

namespace collect {

struct RoundStart;

// The rounds: every line read at once, one exchanger each, so that a round
// lasts about as long as its slowest line. One output line per meter as its
// reading is final, a summary per round; with --once the exit code says
// whether every meter was read.
//
// The journal is never waited for on this thread: what is read goes to
// journal::Writer, and every question to the journal (the server's clock,
// the newest archive records, the claims below) to journal::Claims, each on
// a thread and connection of its own; the rounds go on from their answers.
//
// On a PostgreSQL journal several collectors with the same lines file share
// a round: each claims lines one by one (journal::Store::claim_line) and
// renews its leases while it reads them; lines whose lease ran out are
// claimed again until every line of the round is read. Leases run by the
// server's clock, and a round is numbered by the server's clock as it
// starts, in milliseconds: a multiple of --every, or with --once the
// minute's start, so that collectors whose clocks differ agree on them; a
// --once that finds that round's lines read already starts a round of its
// own, numbered by its own moment. A journal that does not answer a round's
// start within a lease (or, past half the period, is silent that long) does
// not stop it: the round reads the lines this collector read in
// its last round (every line while it has never seen another collector),
// says so, and ends when they are read; the readings wait in the writer's
// queue. An SQLite journal has one collector: a second one finds the lock
// taken and stops.
class Collector : public QObject
{
    Q_OBJECT
public:
    Collector(const Options &options, const LinesFile &lines, const journal::Connection &journal,
              const QStringList &models, QObject *parent = nullptr);
    ~Collector() override;

    // False, having said why, when another collector holds the SQLite journal.
    bool start();
    // Stopped (SIGTERM, Ctrl+C): the meters of the round not read are named;
    // the exit code, 1 when a round was cut short.
    int interrupt();
    // The end: what the journal has queued is written within a bound; false,
    // having named them, when some reads were never kept.
    bool stop();
    // Every exchange of the last round, resends included.
    int exchanges() const { return round_exchanges; }
    // False when the journal was given up (its fault said).
    bool journal_available() const { return writer && writer->available(); }

signals:
    // --once: the round is over and the journal written; 0 every meter read, 1 not.
    void done(int exit_code);
    // For the service's watchdog and monitoring: the rounds go on.
    void round_started(int number);
    void progress(); // an exchange ended, a meter finished, the claims were asked
    void round_ended(const collect::RoundFigures &figures);
    void next_round_at(qint64 due_ms);

public:
    // A line's claim lasts this long unless renewed: a collector that dies
    // leaves its lines to the others after this.
    static constexpr int lease_ms = 10000;

private:
    void start_writer();
    void start_round();
    void ask_round_start();
    void round_start_answered(int round, const RoundStart &found, const journal::Answer &answer);
    void read_without_claims(bool turned_away = false);
    void watch();
    void start_line(int index);
    void claim_more();
    void claimed(int round, const QString &line);
    void renew();
    void meter_done(int line, int meter, bool final);
    void line_finished(int line);
    void mark_read();
    void journal_trouble(const journal::Answer &answer);
    void journal_lost(const QString &detail);
    void journal_answered();
    void check_round_over();
    void finish_round();
    void round_over();
    void give_up_claims(const QString &why);
    QStringList unread_meters(int *total, int *read, const QString &pending) const;
    QVector<LineFigures> line_figures() const;
    void tell_fault(journal::Fault fault, const QString &detail);
    // Names each write the journal did not keep, after the round's lines.
    void tell_unkept(const QList<journal::WriteSubject> &unkept);
    bool shared() const { return connection.backend == journal::Backend::postgresql; }
    qint64 period_ms() const { return qint64(options.every_s > 0 ? options.every_s : 60) * 1000; }

    Options options;
    LinesFile lines;
    journal::Connection connection;
    QStringList models;
    std::unique_ptr<journal::Writer> writer;
    bool writer_open = false; // its connection tried: the round's own may be made
    bool round_waits_writer = false;
    std::unique_ptr<journal::Claims> claims;          // every question to the journal, off this thread
    std::map<int, std::unique_ptr<LineRound>> rounds; // by line index: this round's lines read here
    std::unique_ptr<QLockFile> sqlite_lock;
    QTimer *claim_timer = nullptr;
    QTimer *renew_timer = nullptr;
    QTimer *watch_timer = nullptr;
    NewestRecords newest;
    QString holder; // this collector, as the claims name it
    qint64 round_key = 0;
    qint64 clock_offset_ms = 0; // the server's clock less this computer's, as last asked
    bool round_active = false;
    bool round_begun = false; // the round's number known (from the journal or, away, from this clock)
    bool round_away = false;  // this round reads without claims: the journal did not answer
    bool claim_asked = false;
    bool renew_asked = false;
    bool left_asked = false;
    QSet<QPair<qint64, int>> unmarked; // round, line: read, its claim not yet marked read
    QSet<QPair<qint64, int>> marking;  // asked to be marked, not yet answered
    QSet<int> held_last;               // the lines read here in the last round
    bool seen_other = false;           // a round was shared with another collector
    QElapsedTimer round_clock;
    QElapsedTimer start_asked; // the round's start asked of the journal
    int round_number = 0;
    int round_exchanges = 0;
    bool journal_failed = false;
    bool claims_away = false; // the claims' server lost and not yet back
    QElapsedTimer claims_away_for;
    int backoff_ms = 0;                 // the pause before the journal is asked again
    bool claims_given_up = false;       // --once: the round ends without the lines not yet claimed
    QString unclaimed_why;              // the claims given up: why
    QSet<QPair<int, int>> final_meters; // line, meter: told with their outcome for the round
    QSet<int> faults_told;              // journal::Fault: each said once
    int once_code = 0;                  // --once: the exit code of the round over
    int journal_limit = 64;
    qint64 round_started_ms = 0;
    qint64 journal_unkept = 0;     // writes left out of the journal since start
    qint64 last_complete_s = 0;    // the last round whole: read and kept
    qint64 complete_pending_s = 0; // a round read whole whose readings still wait for the journal
};

// The output line of one meter: line, label, address or serial, reading,
// clock offset, outcome (tab-separated).
QString meter_line(const LineEntry &line, const MeterEntry &meter, const MeterReport &report);

} // namespace collect
