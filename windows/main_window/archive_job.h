#pragma once

#include "link/frames.h"
#include "windows/main_window/job_context.h"

#include <QCoreApplication>
#include <memory>

class ArchiveReader;
class archive;

// The archive read of the main window: sized and scaled by what the meter
// model knows of the meter addressed, or, for a meter it does not know, by
// the version and model the meter is asked first. Each archive goes to the
// model and the archive window as it comes, the whole read to the journal.
class ArchiveJob
{
    Q_DECLARE_TR_FUNCTIONS(ArchiveJob)

public:
    ArchiveJob(const JobContext &context, archive *window);
    ~ArchiveJob();

    // The button says a read is starting; refused() when it cannot.
    void prepare();
    void refused(const QString &status);
    void start(const MeterTarget &target);
    // A block has come, or the read is over.
    void show();
    const ArchiveReader *engine() const { return run.get(); }

private:
    void set_button(const QString &text, const char *style);
    void sized();
    void journal_read();

    JobContext c;
    archive *window;
    std::unique_ptr<ArchiveReader> run;
    bool identity_taken = false; // the model has the version and scale of this read
    bool window_ready = false;   // the window is cleared and sized for this read
};
