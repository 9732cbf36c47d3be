#pragma once

#include "link/frames.h"
#include "meter/write.h"
#include "windows/main_window/job_context.h"

#include <QCoreApplication>
#include <array>
#include <memory>
#include <optional>

class WriteEngine;

// The write of the main window: the checked items of the write block, taken
// from the form once when it starts and each confirmed by the meter before
// the next leaves; every item's outcome goes to the meter model's writes.
class WriteJob
{
    Q_DECLARE_TR_FUNCTIONS(WriteJob)

public:
    explicit WriteJob(const JobContext &context);
    ~WriteJob();

    // The write block's check boxes, as they change.
    void enable(int item, bool on) { enabled[size_t(item)] = on; }
    void set_typed_clock(bool on) { typed_clock = on; }

    void start(const MeterTarget &target);
    // An item has been confirmed, or the write is over.
    void show();
    const WriteEngine *engine() const { return run.get(); }

private:
    std::optional<WriteValues> values_of_form();
    bool line_change_confirmed(const WriteValues &values);
    void record_results();

    JobContext c;
    std::unique_ptr<WriteEngine> run;
    std::array<bool, write_item::count> enabled{};
    bool typed_clock = false; // the clock item takes real_time_line
};
