#pragma once

#include "link/exchange.h"
#include "link/frames.h"

#include <QList>
#include <QVector>

// One archive read whole: its type and the answers to its blocks, in order.
struct ReadArchive
{
    int type = 0; // archive_geometry::hourly, daily, monthly
    QList<QByteArray> frames;
};

// The archive read: the hourly, daily and monthly archives block by block,
// sized by the protocol version. An archive is handed over only once all its
// blocks have come; the first block that does not come ends the read.
class ArchiveReader : public Sequence
{
public:
    // `version` must be one archive_geometry supports.
    ArchiveReader(int version, const MeterTarget &target);

    bool finished() const override { return state != State::running; }
    ExchangeRequest next_request() override;
    void conclude(const ExchangeOutcome &outcome) override;

    bool complete() const { return state == State::complete; }
    ExchangeOutcome::Kind failure() const { return failed_with; }
    // The archives completed since the last call, oldest first.
    QVector<ReadArchive> take_completed();

private:
    enum class State { running, complete, failed };

    int version;
    MeterTarget meter;
    State state = State::running;
    ExchangeOutcome::Kind failed_with = ExchangeOutcome::Kind::no_answer;
    ReadArchive reading;
    int index = 0; // the first record of the next block
    QVector<ReadArchive> completed;
};
