#pragma once

#include "link/exchange.h"
#include "link/frames.h"
#include "link/run_outcome.h"
#include "meter/model_table.h"
#include "meter/quantity.h"

#include <QString>
#include <QStringList>
#include <optional>

// One of the meter's three archived readings as the poll shows it.
struct ArchivedReadingText
{
    QString time, volume, event, reverse_volume;
};

// What a poll has read, decoded as the operator sees it. A value stays empty
// (or -1) until its step has been answered.
struct PollValues
{
    int protocol_version = -1;
    QString software_version, software_id, build_number;
    int model_code = -1;
    ModelLookup model;          // the model table's entry for model_code
    double volume_factor = 0.0; // m3 per counted unit; 0 (raw counts) while the model is unknown
    int factor_decimals = 0;
    VolumeScale scale() const { return {volume_factor, factor_decimals}; }
    QString k_number, border, serial_number, device_type, device_address;
    int rate_index = -1;   // item of the exchange-rate list
    int parity_index = -1; // item of the parity/stop-bit list
    QString clock, volume, event, reverse_volume;
    ArchivedReadingText hour, day, month;
    QString save_date, compile_date, compile_time;
    // The values behind the texts, as the meter gave them, for the journal:
    // the clock in seconds (wall time taken as UTC) and volumes in counted units.
    std::optional<qint32> clock_seconds, volume_units, reverse_units;
};

// The poll: the meter's identification, parameters and readings, one register
// block per request (steps 1..31 of the register map). Version 2 meters have
// no reverse-flow registers: those steps pass without a request. The first
// failed step ends the poll.
class PollEngine : public Sequence
{
public:
    PollEngine(const MeterTarget &target, const QStringList &model_table);

    bool finished() const override { return state != State::running; }
    SequenceProgress progress() const override;
    ExchangeRequest next_request() override;
    void conclude(const ExchangeOutcome &outcome) override;

    // The step the last outcome belonged to.
    int step() const { return last_step; }
    bool complete() const { return state == State::complete; }
    // Why the poll ended early; meaningful once finished and not complete.
    const RunOutcome &failure() const { return failed_with; }
    const PollValues &values() const { return read; }
    const MeterTarget &target() const { return meter; }

private:
    enum class State { running, complete, failed };

    void decode(int step, const QByteArray &data);
    bool passes(int step) const;

    MeterTarget meter;
    QStringList models;
    State state = State::running;
    RunOutcome failed_with;
    int current = 1;
    int last_step = 0;
    int answered = 0;
    bool blank_line_due = false;
    PollValues read;
};
