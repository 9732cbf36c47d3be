// The README's pictures of the main window against the stand-in at 1200 baud:
// a few seconds into an archive read, or ("poll") after a poll.
// Usage: screenshot OUTPUT.png [poll] [en] (run with QT_QPA_PLATFORM=offscreen).
#include "app_on_line.h"
#include "config/interface_language.h"

#include <QApplication>
#include <QProgressBar>
#include <QScrollArea>
#include <QStatusBar>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    if (argc < 2) {
        qWarning("usage: screenshot OUTPUT.png [poll] [en]");
        return 2;
    }
    const QStringList options = QApplication::arguments().mid(2);
    if (options.contains(QStringLiteral("en")))
        install_english(&application);
    AppOnLine app;
    // The start checks the Russian caption of an open port.
    const bool english = options.contains(QStringLiteral("en"));
    if (!app.start({"--wire-time", "--baud", "1200"}, {}, LinePeriods::defaults(1200))
        && !(english && app.text("start_btn") == QStringLiteral("Port open"))) {
        qWarning("%s", qPrintable(app.error()));
        return 1;
    }
    app.check("adr_click");
    app.click("param_btn");
    app.wait_idle();
    const bool poll_only = options.contains(QStringLiteral("poll"));
    if (!poll_only) {
        app.click("arch_btn");
        auto *progress = app.window().findChild<QProgressBar *>("progress_bar");
        app.wait_for([&] { return progress->value() >= 4; }, 60000);
    }
    // The form's whole size, whatever the offscreen screen's.
    auto *form = app.window().findChild<QScrollArea *>("main_scroll")->widget();
    app.window().resize(form->sizeHint() + QSize(0, app.window().statusBar()->sizeHint().height()));
    const bool saved = app.window().grab().save(QString::fromLocal8Bit(argv[1]));
    if (!poll_only)
        app.click("stop_btn");
    return saved ? 0 : 1;
}
