#pragma once

#include "link/exchange.h"
#include "link/frames.h"
#include "link/run_outcome.h"
#include "meter/model_table.h"
#include "meter/volume_scale.h"

#include <QByteArray>
#include <QStringList>
#include <optional>

// One of the meter's three archived readings as the meter keeps it; each part
// stays absent until its step has been answered.
struct ArchivedReading
{
    std::optional<qint32> time;    // seconds of local wall time counted as UTC
    std::optional<qint32> volume;  // counted units
    std::optional<quint16> event;  // archive_empty_event marks an empty slot
    std::optional<qint32> reverse; // counted units; version 3 meters only
    // The meter writes a negative volume or the event 7 into a slot that
    // holds no reading.
    bool holds_value() const { return volume && *volume >= 0 && event != archive_empty_event; }
    static constexpr quint16 archive_empty_event = 7;
};

// What a poll has read, as the meter gave it: no value is made for display
// here. Each stays absent until its step has been answered.
struct PollValues
{
    std::optional<quint16> protocol_version;
    std::optional<quint16> software_version; // register 0x0000: major byte, minor byte
    std::optional<quint16> software_id;      // register 0x0001
    std::optional<quint16> build_number;
    std::optional<quint16> model_code;
    ModelLookup model; // the model table's entry for model_code
    // m3 per counted unit and its decimals; counts while the model is unknown.
    VolumeScale scale() const { return VolumeScale::of(model); }
    std::optional<quint16> k_number, border;
    std::optional<SerialBytes> serial; // in the order the serial addressing takes them
    std::optional<quint16> device_type, device_address;
    std::optional<quint16> rate_code, parity_code;
    std::optional<qint32> clock_seconds; // wall time taken as UTC
    std::optional<qint32> volume_units, reverse_units;
    std::optional<quint16> event;
    ArchivedReading hour, day, month;
    std::optional<quint16> save_date;
    // The build's date and time: four bytes each, as the meter keeps them.
    std::optional<QByteArray> compile_date, compile_time;
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
