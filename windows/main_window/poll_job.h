#pragma once

#include "link/frames.h"
#include "windows/main_window/job_context.h"

#include <QCoreApplication>
#include <memory>

class PollEngine;

// The poll of the main window: reads the meter's identification, parameters
// and readings into the meter model step by step and shows each value in its
// field as it comes; a poll that ends early says why.
class PollJob
{
    Q_DECLARE_TR_FUNCTIONS(PollJob)

public:
    explicit PollJob(const JobContext &context);
    ~PollJob();

    void start(const MeterTarget &target);
    // A step has ended, or the run.
    void show();
    const PollEngine *engine() const { return run.get(); }

private:
    void show_step(int step);
    void show_volume_captions();

    JobContext c;
    std::unique_ptr<PollEngine> run;
};
