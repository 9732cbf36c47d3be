#pragma once

#include "link/exchange.h"
#include "link/frames.h"
#include "link/run_outcome.h"
#include "meter/model_table.h"
#include "meter/volume_scale.h"

#include <QStringList>
#include <optional>

// What a watch needs to know of the meter once: which registers it has and
// how its counted units turn into cubic metres.
struct WatchedMeter
{
    int protocol_version = -1;
    VolumeScale scale; // unknown model: volumes stay counted units
    QString model_name;
    std::optional<SerialBytes> serial; // for the rows the watch saves
};

// One round of readings.
struct WatchReading
{
    qint32 clock = -1; // the meter's clock, seconds of wall time as UTC
    qint32 volume = 0; // counted units
    quint16 event = 0;
    std::optional<qint32> reverse_volume; // protocol version 3 only
};

// One round of a watch: the readings part of the poll (clock, current
// volume, event, reverse flow). The first round of a watch also reads the
// protocol version and the model.
class WatchEngine : public Sequence
{
public:
    // `known`: what an earlier round learnt; without it the round asks.
    WatchEngine(const MeterTarget &target, const QStringList &model_table, const std::optional<WatchedMeter> &known);

    bool finished() const override { return state != State::running; }
    SequenceProgress progress() const override;
    ExchangeRequest next_request() override;
    void conclude(const ExchangeOutcome &outcome) override;

    bool complete() const { return state == State::complete; }
    const RunOutcome &failure() const { return failed_with; }
    const WatchedMeter &meter_info() const { return info; }
    const WatchReading &reading() const { return values; }

private:
    enum class State { running, complete, failed };
    struct Read
    {
        quint16 reg;
        quint16 count;
    };

    QVector<Read> plan() const;

    MeterTarget meter;
    QStringList models;
    WatchedMeter info;
    bool ask_info = false;
    WatchReading values;
    State state = State::running;
    int step = 0;
    RunOutcome failed_with;
};

// The flow between two readings, per hour: cubic metres with a factor,
// counted units without one. No value when no time passed.
std::optional<double> flow_per_hour(qint64 units_before, qint64 units_after, qint64 elapsed_ms, double factor);
