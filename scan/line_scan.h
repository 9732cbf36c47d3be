#pragma once

#include "link/exchange.h"
#include "scan/scan_plan.h"

#include <QByteArray>
#include <QVector>

namespace scan {

struct Settings
{
    AddressRange range;
    int wait_ms = default_wait_ms; // the operator's wait per address
    int fail_period_ms = 1000;     // the port settings' failure period (main window)
    LineTiming line;
};

// One request on the line and how long its answer may take.
struct Exchange
{
    int address = 0;
    int field = protocol_version;
    QByteArray request;
    int answer_length = 0;
    int wait_ms = 0;
};

// The search as a state machine without I/O or timers: every address of the
// range is asked for its protocol version, one at a time; a device that
// answers is asked for the rest of its identification, one read each.
// The exchanger sends exchange(), waits at most its wait_ms, and hands over
// what came back with conclude().
class LineScan : public Sequence
{
public:
    explicit LineScan(const Settings &settings);

    bool finished() const override { return state != State::running; }
    bool stopped() const { return state == State::stopped; }
    // Addresses of the range done; the one being asked counts once it is.
    SequenceProgress progress() const override;
    // The exchange to make now; meaningless once finished.
    const Exchange &exchange() const { return current; }

    // True when `answer` (an adapter's copy of the request already removed)
    // holds the whole answer to the current exchange: its data, or an
    // exception from the same device. Bytes a slow device sent before it are
    // tolerated.
    bool is_answer(const QByteArray &answer) const;

    // What one concluded exchange changed: the index of the meter whose
    // identification it touched, -1 when none.
    struct Step
    {
        bool answered = false;
        int meter = -1;
    };
    // Ends the current exchange with whatever arrived (empty when nothing
    // did) and moves on. Anything but a whole answer counts as none, except
    // that bytes from the probed device that are no answer list it as garbled.
    Step conclude(const QByteArray &answer);

    // The exchanger's side: the same, with the adapter gone ending the search.
    ExchangeRequest next_request() override;
    void conclude(const ExchangeOutcome &outcome) override;
    // What the last conclude() changed.
    const Step &last_step() const { return last; }
    bool port_lost() const { return lost; }

    // Ends the search once the current exchange is concluded; a meter in the
    // middle of its identification keeps what it has given.
    void stop() { stop_requested = true; }

    const QVector<MeterIdentity> &meters() const { return found; }
    const Settings &settings() const { return config; }

private:
    enum class State { running, done, stopped };

    void prepare(int address, int field);
    void next_address();
    bool heard_garbled(const QByteArray &bytes) const;

    Settings config;
    State state = State::running;
    bool stop_requested = false;
    Exchange current;
    Step last;
    bool lost = false;
    QVector<MeterIdentity> found;
};

} // namespace scan
