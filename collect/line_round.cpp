#include "collect/line_round.h"

#include "archive/archive_geometry.h"
#include "archive/archive_reader.h"
#include "archive/records.h"
#include "journal/journal_writer.h"
#include "link/answer_check.h"
#include "link/exchanger.h"
#include "link/line_session.h"
#include "meter/exchange_rules.h"
#include "model/outcome_words.h"
#include "model/quantity.h"
#include "scan/line_readout.h"

#include <QCoreApplication>

namespace collect {

namespace {

ExchangePeriods periods_of(const LineEntry &entry)
{
    return {entry.ok_ms, entry.fail_ms, entry.archive_ok_ms, entry.archive_fail_ms};
}

// Why a run fell short, by its last request: one that ended on an answer
// ended on an answer it could not use.
QString failure_text(const ExchangeOutcome &last)
{
    const RunOutcome why = run_outcome(last);
    return outcome_words(why.ok() ? RunOutcome(RunOutcome::Kind::bad_answer) : why);
}

} // namespace

QVector<int> due_archives(const QHash<int, qint64> &newest, qint64 meter_clock)
{
    QVector<int> due;
    const auto older = [&](int type, qint64 interval_s) {
        if (!newest.contains(type) || meter_clock - newest.value(type) >= interval_s)
            due.append(type);
    };
    older(archive_geometry::hourly, 3600);
    older(archive_geometry::daily, 86400);
    const auto month = newest.constFind(archive_geometry::monthly);
    if (month == newest.constEnd()
        || QDateTime::fromSecsSinceEpoch(*month, Qt::UTC).addMonths(1).toSecsSinceEpoch() <= meter_clock)
        due.append(archive_geometry::monthly);
    return due;
}

// The line pass one meter's turn at a time: the round reads a meter's
// archives and sets its clock before the pass asks the next one.
class PassTurn : public Sequence
{
public:
    explicit PassTurn(scan::LineReadout &line_pass)
        : pass(line_pass)
    { }

    void resume() { ended = false; }
    bool finished() const override { return ended || pass.finished(); }
    SequenceProgress progress() const override { return pass.progress(); }
    ExchangeRequest next_request() override { return pass.next_request(); }
    void conclude(const ExchangeOutcome &outcome) override
    {
        pass.conclude(outcome);
        ended = pass.last_turn_ended();
    }

private:
    scan::LineReadout &pass;
    bool ended = false;
};

LineRound::LineRound(const LineEntry &line, const QStringList &model_table, journal::Writer *journal_writer,
                     const NewestRecords &newest_records, int clock_limit, QObject *parent)
    : QObject(parent)
    , entry(line)
    , models(model_table)
    , writer(journal_writer)
    , newest(newest_records)
    , clock_limit_s(clock_limit)
    , session(new LineSession(this))
{
    meters.resize(size_t(entry.meters.size()));
    told_final.resize(size_t(entry.meters.size()), false);
    exchanger = session->exchanger();
    connect(session, &LineSession::opened, this, &LineRound::opened);
    connect(session, &LineSession::failed, this, [this](LineFailure why) {
        open_failed(line_failure_words(why, session->place(), LineSession::default_connect_ms));
    });
    connect(exchanger, &Exchanger::concluded, this,
            [this](Sequence *, const ExchangeOutcome &outcome) { step_concluded(outcome); });
    connect(exchanger, &Exchanger::finished, this, &LineRound::run_finished);
}

LineRound::~LineRound()
{
    // The exchanger goes before the sequences it may still be running.
    delete session;
}

int LineRound::exchanges() const
{
    return exchanger->stats().requests;
}

void LineRound::start()
{
    LinePlace place;
    place.serial.port_name = entry.port;
    place.serial.baud_rate = entry.baud_rate;
    place.serial.parity = entry.parity;
    place.serial.stop_bits = entry.stop_bits;
    place.networked = entry.networked();
    place.server.host = entry.host;
    place.server.tcp_port = entry.tcp_port;
    session->open(place);
}

void LineRound::opened()
{
    QVector<MeterTarget> targets;
    for (const MeterEntry &meter : entry.meters)
        targets.append(meter.target());
    pass = std::make_unique<scan::LineReadout>(targets, models);
    turn_run = std::make_unique<PassTurn>(*pass);
    next_turn();
}

void LineRound::open_failed(const QString &why)
{
    for (int i = 0; i < int(meters.size()); ++i) {
        meters[size_t(i)].outcome = why;
        meters[size_t(i)].attempts = 1;
        tell(i, true);
    }
    finish();
}

ExchangeRules LineRound::rules(bool for_archive) const
{
    return for_archive ? exchange_rules::line_pass_archive(periods_of(entry))
                       : exchange_rules::line_pass(periods_of(entry));
}

void LineRound::next_turn()
{
    if (pass->finished()) {
        finish();
        return;
    }
    stage = Stage::poll;
    turn_run->resume();
    exchanger->run(turn_run.get(), rules(false));
}

void LineRound::step_concluded(const ExchangeOutcome &outcome)
{
    last_outcome = outcome;
    emit progress();
}

void LineRound::run_finished()
{
    switch (stage) {
    case Stage::poll: poll_over(); break;
    case Stage::archive: archive_over(); break;
    case Stage::clock: clock_over(); break;
    }
}

void LineRound::poll_over()
{
    current = pass->last_meter();
    const scan::MeterReadout &read = pass->meters()[size_t(current)];
    MeterReport &meter = meters[size_t(current)];
    const MeterEntry &listed = entry.meters[current];
    // Counted here: the pass may already have begun the meter's next turn
    // (a failed meter last in line is asked again at once).
    ++meter.attempts;
    meter.values = read.values;
    meter.offset_s.reset();
    meter.clock.clear();
    meter.archive_records = -1;
    meter.archive_slots_empty = 0;
    if (pass->stopped() || pass->port_lost()) {
        line_lost(read.outcome);
        return;
    }
    if (!read.outcome.ok()) {
        meter.outcome = outcome_words(read.outcome);
        // The pass asks a meter that failed once more after all the others.
        turn_over(meter.attempts > 1);
        return;
    }
    meter.read = true;
    meter.outcome = outcome_words(RunOutcome::Kind::ok);
    meter.offset_s = read.clock_offset_s;
    const PollValues &v = meter.values;
    const QString serial = quantity::serial_number(v.serial);
    writer->record_poll(v, QDateTime::currentDateTimeUtc(), read.target);
    writer->record_label(serial, listed.label, entry.name);

    const QVector<int> due = v.clock_seconds ? due_archives(newest.value(serial), *v.clock_seconds) : QVector<int>();
    if (!due.isEmpty()) {
        archive = std::make_unique<ArchiveReader>(v.protocol_version.value_or(0), read.target, due);
        stage = Stage::archive;
        exchanger->run(archive.get(), rules(true));
        return;
    }
    archive_over();
}

// What was read is kept, whole or cut short; the journal adds only the
// records it lacks.
void LineRound::archive_over()
{
    MeterReport &meter = meters[size_t(current)];
    const MeterTarget &target = pass->meters()[size_t(current)].target;
    const PollValues &v = meter.values;
    if (archive) {
        const journal::ArchiveBatch batch
            = journal::archive_batch(quantity::serial_number(v.serial), archive->version(), v.scale(),
                                     QDateTime::currentDateTimeUtc(), target.by_serial, archive->take_completed());
        // A slot the meter never wrote has no time to keep it by: counted apart.
        meter.archive_records = int(batch.records.size());
        meter.archive_slots_empty = archive->records_read() - int(batch.records.size());
        if (!archive->complete())
            meter.clock = tr("архив прочитан не весь: %1").arg(failure_text(last_outcome));
        if (!batch.records.isEmpty())
            writer->record_archive(batch);
        archive.reset();
    }
    if (clock_limit_s >= 0 && meter.offset_s && qAbs(*meter.offset_s) > clock_limit_s) {
        clock = std::make_unique<scan::ClockSync>(QVector<MeterTarget>{target});
        stage = Stage::clock;
        exchanger->run(clock.get(), exchange_rules::write(periods_of(entry)));
        return;
    }
    turn_over(true);
}

void LineRound::clock_over()
{
    MeterReport &meter = meters[size_t(current)];
    const scan::ClockSetting &set = clock->meters().front();
    if (set.outcome.ok()) {
        meter.clock = set.clock_offset_s
            ? tr("время установлено, смещение %1 с").arg(quantity::offset(*set.clock_offset_s))
            : tr("время установлено, не прочитано обратно");
        writer->record_clock_setting(quantity::serial_number(meter.values.serial), QDateTime::currentDateTimeUtc(),
                                     *meter.offset_s, set.clock_offset_s);
    } else {
        meter.clock = tr("время не установлено: %1").arg(clock_setting_words(set.outcome));
    }
    clock.reset();
    turn_over(true);
}

void LineRound::turn_over(bool final)
{
    tell(current, final);
    // The next run starts once the exchanger has left this one's signal.
    QMetaObject::invokeMethod(this, &LineRound::next_turn, Qt::QueuedConnection);
}

// Nothing more goes on the line: every meter not yet told keeps why, in the
// order the pass would have asked them again.
void LineRound::line_lost(const RunOutcome &why)
{
    for (int i = 0; i < int(meters.size()); ++i) {
        if (told_final[size_t(i)])
            continue;
        meters[size_t(i)].outcome = outcome_words(why);
        meters[size_t(i)].attempts = qMax(meters[size_t(i)].attempts, 1);
        tell(i, true);
    }
    finish();
}

void LineRound::tell(int meter, bool final)
{
    if (final)
        told_final[size_t(meter)] = true;
    emit meter_done(meter, final);
    emit progress();
}

void LineRound::finish()
{
    session->close();
    done = true;
    emit finished_round();
}

} // namespace collect
