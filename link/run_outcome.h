#pragma once

// What came of a run, or of one meter's turn in a run over many meters: the
// one outcome every engine reports. The words for it are made in one place
// (model/outcome_words.h), so every window says the same thing of it.

#include "link/exchange.h"

struct RunOutcome
{
    enum class Kind {
        pending,       // not over yet: the meter waits its turn
        ok,            // read whole, written and confirmed, set
        no_answer,     // the meter kept silent through every wait and resend
        bad_answer,    // `why`: the check its last answer failed
        exception,     // `exception_code`: the meter refused the request
        not_confirmed, // a write the meter did not answer with its copy
        stopped,       // the operator stopped the run
        port_lost,     // the port went away during the run, or was not open
        no_address,    // an address plan ran out before this meter: nothing sent
    };
    Kind kind = Kind::pending;
    AnswerStatus why = AnswerStatus::ok;
    int exception_code = 0;

    RunOutcome() = default;
    RunOutcome(Kind k)
        : kind(k)
    { }

    bool ok() const { return kind == Kind::ok; }
    // Nothing more can go on the line in this run.
    bool ends_run() const { return kind == Kind::stopped || kind == Kind::port_lost; }
    bool operator==(const RunOutcome &o) const
    {
        return kind == o.kind && why == o.why && exception_code == o.exception_code;
    }
    bool operator!=(const RunOutcome &o) const { return !(*this == o); }
};

// The outcome of a run that ended on the request `last` came of. A meter's
// refusal that the rules took for a bad answer (a resend was due) is named as
// the refusal it was.
inline RunOutcome run_outcome(const ExchangeOutcome &last)
{
    using Kind = ExchangeOutcome::Kind;
    RunOutcome outcome;
    switch (last.kind) {
    case Kind::answered: outcome.kind = RunOutcome::Kind::ok; break;
    case Kind::no_answer: outcome.kind = RunOutcome::Kind::no_answer; break;
    case Kind::stopped: outcome.kind = RunOutcome::Kind::stopped; break;
    case Kind::port_lost: outcome.kind = RunOutcome::Kind::port_lost; break;
    case Kind::exception:
    case Kind::bad_answer:
        if (last.kind == Kind::exception || last.check == AnswerStatus::exception) {
            outcome.kind = RunOutcome::Kind::exception;
            outcome.exception_code = last.kind == Kind::exception ? last.exception_code : exception_code(last.answer);
        } else {
            outcome.kind = RunOutcome::Kind::bad_answer;
            outcome.why = last.check;
        }
        break;
    }
    return outcome;
}
