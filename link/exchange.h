#pragma once

// The vocabulary between the exchange layer (link/exchanger.h) and the
// sequences that run on it: what a sequence asks, under which waiting rules,
// and what came of it.

#include "link/answer_check.h"

#include <QByteArray>

// How the answers of one run are awaited. The rules hold for a whole run, as
// the meter's old tools have them: the strikes are counted per run (unless
// strikes_per_request), and once
// the meter has kept the program waiting, the failure period is the wait for
// the rest of the run.
struct ExchangeRules
{
    enum class Retry {
        // A first missing or bad answer waits two failure periods more, the
        // second resends, the third gives up (missing and bad counted apart).
        wait_resend_give_up,
        // One wait per request; whatever has come when it ends is the outcome.
        none,
    };
    Retry retry = Retry::wait_resend_give_up;
    // Retry::wait_resend_give_up: the strikes start afresh with every request,
    // so each one gets its wait, one resend and then a give-up. A pass over
    // many meters on a noisy line reads a meter whole where two faults
    // anywhere in its run would end it; the failure period still holds for
    // the rest of the meter's turn.
    bool strikes_per_request = false;
    int ok_ms = 300;    // the wait for an answer while the meter answers in time
    int fail_ms = 1000; // the wait after a first miss; with Retry::none the only one
    // Retry::none: what has come is judged every look_ms (0: only when the
    // wait is over, or the moment a whole answer is there).
    int look_ms = 0;
    // The first bad answer of a run is dropped without a log line.
    bool log_first_bad_answer = true;
    // After a request that got no answer or a bad one, the line must fall
    // quiet before the next one leaves: its answer may still be on its way. A
    // search, where most addresses are silent by nature, does without.
    bool quiet_after_failure = true;
};

// One request of a sequence.
struct ExchangeRequest
{
    QByteArray frame;
    int answer_length = 0;
    // The whole wait for the answer; 0: sized by the rules and the line.
    int wait_ms = 0;
    // Bytes in front of the answer (a late answer of a device asked before)
    // are passed over; an exception counts only from the device and for the
    // function asked.
    bool answer_at_end = false;
    // The log shows an empty line after the request.
    bool blank_line_after = false;
    // The first request to another meter of the run: its strikes and its
    // wait start afresh, as in a run of its own.
    bool new_meter = false;
};

// What came of one request, once every wait and resend is over.
struct ExchangeOutcome
{
    enum class Kind { answered, exception, no_answer, bad_answer, port_lost, stopped };
    Kind kind = Kind::no_answer;
    QByteArray answer;                     // answered, exception: the meter's frame, checked
    int exception_code = 0;                // exception
    AnswerStatus check = AnswerStatus::ok; // bad_answer: the check it failed

    bool answered() const { return kind == Kind::answered; }
};

// How far a run is: requests concluded of all it will make (an estimate
// where the run decides as it goes).
struct SequenceProgress
{
    int done = 0;
    int total = 0;
};

// A run of requests: a poll, a write, an archive read, a search. It says
// which request comes next and takes what came of it; the exchanger does the
// waiting, the resending and the line.
class Sequence
{
public:
    virtual ~Sequence() = default;
    virtual SequenceProgress progress() const { return {}; }
    virtual bool finished() const = 0;
    // The request to send now; asked only while not finished, once per
    // request, at the moment it leaves (a clock write takes the time then).
    virtual ExchangeRequest next_request() = 0;
    virtual void conclude(const ExchangeOutcome &outcome) = 0;
};
