#pragma once

#include "config/port_settings.h"
#include "link/exchange.h"
#include "link/run_outcome.h"

#include <QString>
#include <functional>

QT_BEGIN_NAMESPACE
namespace Ui {
class MainWindow;
}
QT_END_NAMESPACE

class Exchanger;
class MeterModel;
class JournalLink;

// What the main window's jobs on the line (the poll, the write, the archive
// read) share: the form they take their inputs from and show their outcome
// in, the line, the meter model, the port's periods, the journal, and the
// status line and the log.
struct JobContext
{
    Ui::MainWindow *ui = nullptr;
    Exchanger *line = nullptr;
    MeterModel *meter = nullptr;
    const PortSettings *periods = nullptr;
    JournalLink *journal = nullptr;
    std::function<void(const QString &text, const char *style)> status;
    std::function<void(const QString &line)> log;
};

// The three jobs of the main window, for their status texts.
enum class Job { poll, write, archive };

// Why a run ended early, as the status line says it: the words every window
// uses (model/outcome_words.h).
QString run_status_text(Job job, const RunOutcome &outcome);

constexpr const char *red_label_style = "QLabel {color:red;}";
constexpr const char *black_label_style = "QLabel {color:black;}";
