// The README's picture of the search window after "Назначить адрес" on a
// riser of new meters sharing their factory address (docs/).
// Usage: commission_picture OUTPUT.png (run with QT_QPA_PLATFORM=offscreen).
#include "commission_run.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    if (argc < 2) {
        qWarning("usage: commission_picture OUTPUT.png");
        return 2;
    }
    AppOnLine app;
    QString why;
    if (!app.start({}, factory_riser)) {
        qWarning("%s", qPrintable(app.error()));
        return 1;
    }
    if (!commission_run::search_and_look_up(app, &why) || !commission_run::assign(app, &why)) {
        qWarning("%s", qPrintable(why));
        return 1;
    }
    auto *window = app.window().findChild<ScanWindow *>();
    // Wide enough for the outcomes on two lines; the rows as they were picked.
    window->resize(window->sizeHint().expandedTo(QSize(1280, 900)));
    commission_run::scan_table(app)->clearSelection();
    commission_run::scan_table(app)->resizeRowsToContents();
    return window->grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
