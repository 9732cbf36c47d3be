#pragma once

#include "collect/lines_file.h"
#include "link/exchange.h"
#include "link/network_endpoint.h"
#include "link/run_outcome.h"
#include "meter/poll.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QVector>
#include <memory>
#include <optional>
#include <vector>

class ArchiveReader;
class Exchanger;
class LineSession;
namespace journal {
class Writer;
}
namespace scan {
class ClockSync;
class LineReadout;
} // namespace scan

namespace collect {

class PassTurn;

// What the round made of one meter.
struct MeterReport
{
    bool read = false; // polled whole
    QString outcome;   // "OK", or why not
    PollValues values;
    std::optional<qint64> offset_s; // meter minus computer, as polled
    QString clock;                  // the clock setting's outcome, if one was made
    int archive_records = -1;       // records kept; -1: no archive was due or none came
    int archive_slots_empty = 0;    // records read that the meter never wrote (no time): not kept
    int attempts = 0;
};

// The newest archive record the journal holds, per meter and archive type.
using NewestRecords = QHash<QString, QHash<int, qint64>>;

// The archives of a meter due for reading: those whose newest record in the
// journal is older than the archive's interval by the meter's clock.
QVector<int> due_archives(const QHash<int, qint64> &newest, qint64 meter_clock);

// One line's part of a round, on a line of its own: every meter polled whole
// into the journal by the line pass (scan::LineReadout, which asks a meter
// that fails once more at the end), and, before the next meter's turn, its
// due archives read and its clock set when it is off by more than the limit.
// Each request gets its wait, one resend and then a give-up.
class LineRound : public QObject
{
    Q_OBJECT
public:
    LineRound(const LineEntry &line, const QStringList &models, journal::Writer *writer, const NewestRecords &newest,
              int clock_limit_s, QObject *parent = nullptr);
    ~LineRound() override;

    void start();
    bool finished() const { return done; }
    const LineEntry &line() const { return entry; }
    const std::vector<MeterReport> &reports() const { return meters; }
    int exchanges() const; // requests sent, resends included

signals:
    // A meter's turn is over; with `final` it keeps its outcome for the round.
    void meter_done(int meter, bool final);
    void finished_round();
    // An exchange ended (answered or not) or a meter's turn did: the line goes on.
    void progress();

private:
    void opened();
    void open_failed(const QString &why);
    void next_turn();
    void run_finished();
    void step_concluded(const ExchangeOutcome &outcome);
    void poll_over();
    void archive_over();
    void clock_over();
    void turn_over(bool final);
    void line_lost(const RunOutcome &why);
    void tell(int meter, bool final);
    void finish();
    ExchangeRules rules(bool archive) const;

    LineEntry entry;
    QStringList models;
    journal::Writer *writer;
    NewestRecords newest;
    int clock_limit_s;
    LineSession *session;
    Exchanger *exchanger; // the session's

    enum class Stage { poll, archive, clock };
    Stage stage = Stage::poll;
    std::vector<MeterReport> meters;
    std::vector<bool> told_final; // the meter keeps its outcome for the round
    std::unique_ptr<scan::LineReadout> pass;
    std::unique_ptr<PassTurn> turn_run;
    int current = -1; // the meter whose turn it is
    std::unique_ptr<ArchiveReader> archive;
    std::unique_ptr<scan::ClockSync> clock;
    ExchangeOutcome last_outcome;
    bool done = false;
};

} // namespace collect
