#pragma once

// Commissioning a riser, widget-free: new meters found by their serial
// numbers (they often share one factory address), given device addresses
// one after another, and one setting written to many meters.

#include "link/exchange.h"
#include "link/frames.h"
#include "link/run_outcome.h"
#include "meter/write.h"
#include "scan/scan_plan.h"

#include <QSet>
#include <QString>
#include <QVector>
#include <optional>
#include <vector>

namespace scan {

// Each serial number asked for the identification the search reads, and for
// the device address the meter keeps (register 0x0300). A serial number
// that does not answer its first read is not on the line.
class SerialLookup : public Sequence
{
public:
    explicit SerialLookup(const QVector<SerialBytes> &serials);

    bool finished() const override { return state != State::running; }
    SequenceProgress progress() const override { return {turn, int(serials.size())}; }
    ExchangeRequest next_request() override;
    void conclude(const ExchangeOutcome &outcome) override;

    // The meters that answered, their address from the meter itself.
    const QVector<MeterIdentity> &found() const { return meters; }
    // The serial numbers asked that never answered, as typed for the field.
    const QStringList &silent() const { return missing; }
    bool stopped() const { return state == State::stopped; }
    bool port_lost() const { return state == State::port_lost; }

private:
    enum class State { running, done, stopped, port_lost };

    MeterTarget target() const;
    void next_meter();

    QVector<SerialBytes> serials;
    int turn = 0;
    int field = 0; // field_count: the address read
    QVector<MeterIdentity> meters;
    QStringList missing;
    State state = State::running;
};

// Serial numbers typed for the lookup: twelve hex digits each, separated by
// spaces, commas or semicolons; no value when one of them is not one.
std::optional<QVector<SerialBytes>> parse_serial_list(const QString &text);

// The addresses given to `count` meters from `first` on, passing over those
// `used` by other meters of the line; 0 for a meter left without one (past
// 247). `skipped` gets the used addresses passed over.
QVector<int> plan_addresses(int count, int first, const QSet<int> &used, QVector<int> *skipped = nullptr);

// What became of one meter's write.
struct MeterWriteResult
{
    MeterTarget target;
    RunOutcome outcome; // ok: confirmed
    bool sent = false;
    quint32 value = 0; // as sent (the computer's clock as it left)
};

// One item written to each meter in turn by the write sequence, each write
// confirmed by the meter's answer; a meter that does not confirm keeps its
// refusal and the next one is asked. A value of nullopt (an address plan
// that ran out) sends nothing to that meter.
class MeterWrites : public Sequence
{
public:
    MeterWrites(const QVector<MeterTarget> &targets, int item, const QVector<std::optional<quint32>> &values,
                bool clock_from_computer = false);

    bool finished() const override { return state != State::running; }
    SequenceProgress progress() const override { return {turn, int(written.size())}; }
    ExchangeRequest next_request() override;
    void conclude(const ExchangeOutcome &outcome) override;

    int item() const { return what; }
    const std::vector<MeterWriteResult> &meters() const { return written; }
    int last_meter() const { return last; }
    int confirmed_count() const;
    bool stopped() const { return state == State::stopped; }
    bool port_lost() const { return state == State::port_lost; }

private:
    enum class State { running, done, stopped, port_lost };

    void start_turn();

    int what;
    bool computer_clock;
    QVector<std::optional<quint32>> values;
    std::vector<MeterWriteResult> written;
    std::optional<WriteEngine> write;
    int turn = 0;
    int last = -1;
    bool first_request = true;
    State state = State::running;
};

// The device address of each meter given by serial number, one after another.
MeterWrites address_assignment(const QVector<SerialBytes> &serials, const QVector<int> &addresses);

} // namespace scan
