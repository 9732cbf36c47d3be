#pragma once

#include "archive/archive_reader.h"
#include "archive/records.h"
#include "link/exchanger.h"
#include "link/frames.h"
#include "meter/poll.h"
#include "model/quantity.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

// A write made since the program started, as the meter answered it.
struct SessionWrite
{
    QDateTime at;       // the computer's time
    MeterTarget target; // the meter written to, as it was addressed
    QString meter;      // "адрес 1" or "с/н 0012345678ab"
    QString what;
    QString value;
    QString outcome;
};

// A write that left for the meter just now, addressed as `target`.
SessionWrite session_write(const MeterTarget &target, const QString &what, const QString &value,
                           const QString &outcome);
// The value of one item of the write form as the session's report shows it.
QString written_value_text(int item, quint32 value);

// What tells the meter apart and how its answers are read: learnt by a poll
// or by an archive read, under one addressing.
struct MeterIdentity
{
    MeterTarget target; // the addressing it was learnt under
    QString serial;     // twelve hex digits; empty while unknown
    int protocol_version = -1;
    int model_code = -1;
    QString model_text; // "1A2B name", as the main window shows it
    VolumeScale scale;  // unknown model: counts
};

// The last archive read: of which meter, sized and scaled by what, and
// every archive it got, whole or cut short.
struct ArchiveRead
{
    MeterIdentity meter;
    QDateTime read_at; // the computer's local time at its start
    bool by_serial = false;
    QVector<ReadArchive> archives;
    int records_read = 0;
    int records_total = 0;
    bool over = false;
    bool complete = false;
};

// The meter being worked on: everything the program knows of it, filled by
// the engines as they go and read by the windows, the report, the journal
// and the exports. No widget holds a value that is not here first.
class MeterModel
{
public:
    // models_counter.csv as read at the start: names the meters and scales their volumes.
    void set_model_table(const QStringList &fields) { models = fields; }
    const QStringList &model_table() const { return models; }

    // The poll: started on a meter, each step's values, its end.
    void poll_started(const MeterTarget &target);
    void poll_answered(const PollValues &values);
    void poll_over(bool complete);
    const PollValues &poll() const { return polled; }
    const MeterTarget &poll_target() const { return polled_target; }
    bool polled_any() const { return poll_ran; }
    bool poll_complete() const { return poll_whole; }
    // The computer's time when the poll read the meter's clock.
    const QDateTime &clock_read_at() const { return clock_read; }

    // What is known of the meter `target` addresses; nothing when what the
    // model knows is of another meter (another serial number, another
    // addressing) or is incomplete (no version, model or serial number):
    // then it has to be asked.
    std::optional<MeterIdentity> identity_for(const MeterTarget &target) const;
    // The serial number the meter `target` addresses is known by: the one
    // addressed, or one read from this same meter; empty when unknown.
    QString serial_for(const MeterTarget &target) const;
    // The scale of the last poll's meter (counts while its model is unknown).
    VolumeScale poll_scale() const { return polled.scale(); }

    // The archive read.
    void archive_started(const ArchiveRead &read);
    void archive_sized(const MeterIdentity &meter);
    void archive_added(const QVector<ReadArchive> &archives);
    void archive_over(int records_read, int records_total, bool complete);
    const ArchiveRead &archive() const { return archive_read; }
    // The records of the last read's archive of `type`, decoded; empty
    // slots and records without a value among them, as the meter keeps them.
    QList<arc::Record> archive_records(int type) const;

    void add_write(const SessionWrite &write);
    const QList<SessionWrite> &writes() const { return session_writes; }
    // The writes to the meter last polled, however it was addressed: by the
    // address or the serial number the poll addressed it by or read from it.
    QList<SessionWrite> writes_to_polled() const;

    // The line's statistics since the port was opened.
    void set_line(const Exchanger *line) { exchanger = line; }
    LineStats line_stats() const { return exchanger ? exchanger->stats() : LineStats(); }

private:
    QStringList models;
    PollValues polled;
    MeterTarget polled_target;
    bool poll_ran = false;
    bool poll_whole = false;
    QDateTime clock_read;
    ArchiveRead archive_read;
    QList<SessionWrite> session_writes;
    const Exchanger *exchanger = nullptr;
};
