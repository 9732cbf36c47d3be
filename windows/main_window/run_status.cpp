#include "model/outcome_words.h"
#include "windows/main_window/job_context.h"

#include <QCoreApplication>

QString run_status_text(Job job, const RunOutcome &outcome)
{
    // The archive's bad data has its own word on the status line, beside the
    // button's "Некорректные данные архива".
    if (job == Job::archive && outcome.kind == RunOutcome::Kind::bad_answer)
        return QCoreApplication::translate("MainWindow", "Неверные данные");
    return outcome_words(outcome);
}
