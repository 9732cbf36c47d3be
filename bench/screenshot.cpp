// The README's picture of an archive read in progress: the real main window
// against the stand-in at 1200 baud, grabbed a few seconds into the read.
// Usage: screenshot OUTPUT.png (run with QT_QPA_PLATFORM=offscreen).
#include "app_on_line.h"

#include <QApplication>
#include <QProgressBar>
#include <QScrollArea>
#include <QStatusBar>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    if (argc < 2) {
        qWarning("usage: screenshot OUTPUT.png");
        return 2;
    }
    AppOnLine app;
    if (!app.start({"--wire-time", "--baud", "1200"}, {}, LinePeriods::defaults(1200))) {
        qWarning("%s", qPrintable(app.error()));
        return 1;
    }
    app.check("adr_click");
    app.click("param_btn");
    app.wait_idle();
    app.click("arch_btn");
    auto *progress = app.window().findChild<QProgressBar *>("progress_bar");
    app.wait_for([&] { return progress->value() >= 4; }, 60000);
    // The form's whole size, whatever the offscreen screen's.
    auto *form = app.window().findChild<QScrollArea *>("main_scroll")->widget();
    app.window().resize(form->sizeHint() + QSize(0, app.window().statusBar()->sizeHint().height()));
    const bool saved = app.window().grab().save(QString::fromLocal8Bit(argv[1]));
    app.click("stop_btn");
    return saved ? 0 : 1;
}
