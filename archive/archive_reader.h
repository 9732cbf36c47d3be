#pragma once

#include "link/exchange.h"
#include "link/frames.h"
#include "link/run_outcome.h"
#include "meter/model_table.h"
#include "meter/volume_scale.h"

#include <QList>
#include <QStringList>
#include <QVector>
#include <optional>

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
    // A meter nothing is known of: its version, its model and, addressed by
    // its address, its serial number are asked first, and the volumes are
    // scaled by that model's factor.
    ArchiveReader(const MeterTarget &target, const QStringList &model_table);

    bool finished() const override { return state != State::running; }
    SequenceProgress progress() const override;
    ExchangeRequest next_request() override;
    void conclude(const ExchangeOutcome &outcome) override;

    bool complete() const { return state == State::complete; }
    const RunOutcome &failure() const { return failed_with; }
    // The version is not one whose archives are known (or none yet).
    bool version_unsupported() const;
    // The meter answered with such a version.
    bool meter_version_unsupported() const { return protocol_version != 0 && version_unsupported(); }
    int version() const { return protocol_version; }
    // The model asked for (the second constructor), once it has answered.
    std::optional<ModelLookup> model() const { return asked_model; }
    std::optional<int> model_code() const { return asked_code; }
    // The serial number asked for (the second constructor, by address), once it has answered.
    std::optional<SerialBytes> serial() const { return asked_serial; }
    // The version is known, and the model and the serial number too where they were asked.
    bool identified() const
    {
        return protocol_version != 0 && (!ask_model || asked_code) && (!ask_serial || asked_serial);
    }
    const MeterTarget &target() const { return meter; }
    // The archives completed or cut short since the last call, oldest first.
    QVector<ReadArchive> take_completed();
    int records_read() const { return records; }
    int records_total() const;

private:
    enum class State { running, complete, failed };

    int protocol_version;
    MeterTarget meter;
    bool ask_model = false;
    QStringList models;
    std::optional<int> asked_code;
    std::optional<ModelLookup> asked_model;
    bool ask_serial = false;
    std::optional<SerialBytes> asked_serial;
    QVector<int> wanted;
    State state = State::running;
    RunOutcome failed_with;
    ReadArchive reading;
    int index = 0; // the first record of the next block
    int blocks = 0;
    int records = 0;
    QVector<ReadArchive> completed;
};
