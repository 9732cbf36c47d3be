#pragma once

#include "link/exchange.h"
#include "link/frames.h"

#include <QList>
#include <QVector>

// One archive as read: its type and the answers to its blocks, in order.
struct ReadArchive
{
    int type = 0; // archive_geometry::hourly, daily, monthly
    QList<QByteArray> frames;
    bool whole = true; // false: the read ended before its last block
};

// The archive read: the hourly, daily and monthly archives block by block,
// sized by the protocol version. An archive is handed over once all its
// blocks have come, or with the blocks it has when the read ends early:
// what was read is never thrown away.
class ArchiveReader : public Sequence
{
public:
    // `version` 2 or 3; 0 when not known: the meter is asked for it first.
    // `types`: the archives to read, in order (empty: all three).
    ArchiveReader(int version, const MeterTarget &target, const QVector<int> &types = {});

    bool finished() const override { return state != State::running; }
    SequenceProgress progress() const override;
    ExchangeRequest next_request() override;
    void conclude(const ExchangeOutcome &outcome) override;

    bool complete() const { return state == State::complete; }
    ExchangeOutcome::Kind failure() const { return failed_with; }
    // The meter reported a version whose archives are not known (or none yet).
    bool version_unsupported() const;
    int version() const { return protocol_version; }
    // The archives completed or cut short since the last call, oldest first.
    QVector<ReadArchive> take_completed();
    int records_read() const { return records; }
    int records_total() const;

private:
    enum class State { running, complete, failed };

    int protocol_version;
    MeterTarget meter;
    QVector<int> wanted;
    State state = State::running;
    ExchangeOutcome::Kind failed_with = ExchangeOutcome::Kind::no_answer;
    ReadArchive reading;
    int index = 0; // the first record of the next block
    int blocks = 0;
    int records = 0;
    QVector<ReadArchive> completed;
};
