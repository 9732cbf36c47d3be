#pragma once

// A long run against a line that misbehaves at random: full polls and archive
// reads with faults injected, the log cleared now and then. After every run,
// everything the window shows must be what the stand-in holds, or empty.

#include <QStringList>
#include <QTextStream>

struct SoakConfig
{
    int polls = 300;
    int archives = 20;
    quint32 seed = 1;
    int clear_log_every = 10;
    // Half the faults are answers later than the failure period (up to three
    // of them), to a request and, behind it, to its resend as well.
    bool late_answers = false;
};

struct SoakReport
{
    int runs = 0;
    int faults_injected = 0;
    int give_ups = 0;
    int wrong_values = 0;
    int hung_runs = 0;    // runs that did not end within minutes
    QStringList problems; // every wrong value, unexpected message or failed restart
    long memory_start_kb = 0;
    long memory_end_kb = 0;
};

// Runs the soak; `progress`, when given, gets a line per run.
SoakReport run_soak(const SoakConfig &config, QTextStream *progress = nullptr);
