// Every window on a small screen at a large scale: 1600 x 1000 pixels at
// twice the scale, 800 x 500 to the program. Each window opens as the program
// opens it, its frame within the screen and every button of it on the window.
// METER_SCREEN_SCALE=1 runs the same screen at its own scale.
#include "app_on_line.h"
#include "riser.h"
#include "windows/line/scan_window.h"
#include "windows/main_window/archive.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QToolTip>
#include <QtTest>

namespace {

// Qt 6's offscreen screen is sized by a file. Qt 5's is 800 x 600 pixels
// always: at 1.2 times it is 667 x 500, as high as the screen meant and
// narrower.
void place_on_small_screen(const QString &folder)
{
    const bool unscaled = qgetenv("METER_SCREEN_SCALE") == "1";
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    const QString config = QDir(folder).filePath(QStringLiteral("screen.json"));
    QFile file(config);
    if (file.open(QIODevice::WriteOnly))
        file.write(R"({"screens": [{"name": "small", "x": 0, "y": 0, "width": 1600, "height": 1000,
                       "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    qputenv("QT_SCALE_FACTOR", unscaled ? "1" : "2");
#else
    Q_UNUSED(folder)
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", unscaled ? "1" : "1.2");
#endif
}

QWidget *shown_window(const char *class_name)
{
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->isVisible() && top->inherits(class_name))
            return top;
    }
    return nullptr;
}

// A button inside a scroll area is reached by scrolling to it.
bool scrolls_into_view(const QWidget *button, const QWidget *window)
{
    for (const QWidget *w = button->parentWidget(); w && w != window; w = w->parentWidget()) {
        if (qobject_cast<const QScrollArea *>(w))
            return true;
    }
    return false;
}

// The mouse comes to rest on the widget.
void rest_on(QWidget *widget)
{
    QHelpEvent rest(QEvent::ToolTip, QPoint(4, 4), widget->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(widget, &rest);
}

QString rect_text(const QRect &r)
{
    return QStringLiteral("%1 x %2 at %3, %4").arg(r.width()).arg(r.height()).arg(r.x()).arg(r.y());
}

} // namespace

class tst_e2e_screens : public QObject
{
    Q_OBJECT
private slots:
    void window_fits_data();
    void window_fits();
    void long_status_keeps_the_width();
    void archive_titles_whole();
    void line_table_fits();
};

void tst_e2e_screens::window_fits_data()
{
    QTest::addColumn<QString>("button"); // what opens it, in the window it is on; "/" between steps
    QTest::addColumn<QString>("window_class");
    QTest::newRow("main") << QString() << "MainWindow";
    QTest::newRow("port settings") << "setting_btn"
                                   << "settings";
    QTest::newRow("search") << "scan_btn"
                            << "ScanWindow";
    QTest::newRow("journal") << "journal_btn"
                             << "JournalWindow";
    QTest::newRow("watch") << "watch_btn"
                           << "WatchWindow";
    QTest::newRow("archive") << "open_btn"
                             << "archive";
    QTest::newRow("registers") << "registers_btn"
                               << "RegisterWindow";
    QTest::newRow("log") << "log_btn"
                         << "LOG_class";
    QTest::newRow("journal's consumption") << "journal_btn/journal_consumption_btn"
                                           << "ConsumptionWindow";
}

void tst_e2e_screens::window_fits()
{
    QFETCH(QString, button);
    QFETCH(QString, window_class);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    QCOMPARE(screen.size(), QSize(800, 500));
#else
    QCOMPARE(screen.height(), 500);
#endif
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    app.address_meter(false);
    app.window().show();
    for (const QString &step : button.split('/')) {
        if (step.isEmpty())
            continue;
        QAbstractButton *press = nullptr;
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (top->isVisible() && !press)
                press = top->findChild<QAbstractButton *>(step);
        }
        QVERIFY2(press, qPrintable(step));
        press->click();
    }
    QWidget *w = nullptr;
    QVERIFY(app.wait_for([&] { return (w = shown_window(window_class.toLatin1().constData())) != nullptr; }));
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QVERIFY2(screen.contains(w->frameGeometry()),
             qPrintable(rect_text(w->frameGeometry()) + " on " + rect_text(screen)));
    for (QAbstractButton *b : w->findChildren<QAbstractButton *>()) {
        // The program's buttons; Qt's own (a table's corner, a tab bar's
        // arrows) have no names.
        if (b->objectName().isEmpty() || !b->isVisibleTo(w) || scrolls_into_view(b, w))
            continue;
        const QRect at(b->mapTo(w, QPoint()), b->size());
        QVERIFY2(w->rect().contains(at),
                 qPrintable(b->objectName() + ": " + rect_text(at) + " in " + rect_text(w->rect())));
    }
    if (window_class == "MainWindow")
        QVERIFY(!app.window().menuWidget()); // an empty menu bar would only take room
    if (window_class == "ScanWindow") {
        // The search is stopped from the main window's status bar.
        const QWidget *bar = app.window().statusBar();
        const QRect status(bar->mapToGlobal(QPoint()), bar->size());
        QVERIFY2(!w->frameGeometry().intersects(status),
                 qPrintable(rect_text(w->frameGeometry()) + " covers " + rect_text(status)));
    }
    if (window_class == "WatchWindow")
        app.click("watch_btn"); // stops it
}

// A status longer than the window is cut, whole in its tooltip.
void tst_e2e_screens::long_status_keeps_the_width()
{
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    app.window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&app.window()));
    const int width = app.window().width();
    const QString text
        = QStringLiteral("Журнал недоступен: ") + QString(QStringLiteral("очень длинный путь/")).repeated(20);
    app.probe().set_status(text);
    auto *label = app.window().findChild<QLabel *>(QStringLiteral("label_31"));
    QCOMPARE(app.window().width(), width);
    QVERIFY(label->width() < label->fontMetrics().horizontalAdvance(text));
    rest_on(label);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), text);
    // A short one needs none.
    app.probe().set_status(QStringLiteral("OK"));
    rest_on(label);
    QTRY_VERIFY(!QToolTip::isVisible());
}

// A read given up in the daily archive: on every tab each column title is
// shown whole, its unit included, however the times widen their column.
void tst_e2e_screens::archive_titles_whole()
{
    AppOnLine app;
    QVERIFY2(app.start({}, "version = 3\n"), qPrintable(app.error()));
    // The version, the model, the serial number, the hourly archive's 20 blocks and 3 daily ones.
    QVERIFY(app.line().command("fault silence after=26").startsWith("ok"));
    app.address_meter(false);
    app.window().show();
    app.click("arch_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.text("arch_btn"), QStringLiteral("Архив не прочитан"));
    app.click("open_btn");
    archive *w = AppOnLine::archive_window();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    auto *tabs = w->findChild<QTabWidget *>();
    for (int type = 1; type <= 3; ++type) {
        tabs->setCurrentIndex(type - 1);
        const QTableView *table = w->table(type);
        QTRY_VERIFY(table->isVisible());
        const QHeaderView *header = table->horizontalHeader();
        const int margins = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        for (int c = 0; c < header->count(); ++c) {
            const QString title = table->model()->headerData(c, Qt::Horizontal).toString();
            const int needed = header->fontMetrics().horizontalAdvance(title) + margins;
            QTRY_VERIFY2(
                header->sectionSize(c) >= needed,
                qPrintable(QString("%1 %2: %3 < %4").arg(type).arg(title).arg(header->sectionSize(c)).arg(needed)));
        }
    }
    QCOMPARE(w->table(2)->model()->rowCount(), 252);
}

// "Считать все" over a line, at the search window's first size: each title
// whole, the meter's address, serial number and outcome on screen, and every
// column when the titles leave room for them.
void tst_e2e_screens::line_table_fits()
{
    AppOnLine app;
    QVERIFY2(app.start({}, riser), qPrintable(app.error()));
    app.window().show();
    app.click("scan_btn");
    auto *window = app.window().findChild<ScanWindow *>();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    app.window().findChild<QSpinBox *>("scan_to_box")->setValue(20);
    app.window().findChild<QSpinBox *>("scan_wait_box")->setValue(100);
    app.click("scan_start_btn");
    QVERIFY(app.wait_for([&] { return !window->running(); }, 120000));
    QVERIFY(app.line().command("meter 1 fault silence").startsWith("ok"));
    app.click("read_all_btn");
    QVERIFY(app.wait_for([&] { return app.text("riser_status").startsWith("Считано"); }, 120000));
    auto *table = window->findChild<QTableView *>("riser_table");
    QCOMPARE(table->model()->rowCount(), 2);
    const QHeaderView *header = table->horizontalHeader();
    const int room = table->viewport()->width();
    const int margins = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    int titles = 0;
    for (int c = 0; c < header->count(); ++c)
        titles += header->sectionSizeHint(c);
    const auto on_screen = [&](int c) {
        const int left = header->sectionViewportPosition(c);
        return left >= 0 && left + header->sectionSize(c) <= room;
    };
    for (int c = 0; c < header->count(); ++c) {
        const QString title = table->model()->headerData(c, Qt::Horizontal).toString();
        const bool needed = titles <= room || title == "Адрес" || title == "Серийный\nномер" || title == "Результат";
        QVERIFY2(!needed || on_screen(c),
                 qPrintable(QString("%1 at %2 of %3").arg(title).arg(header->sectionViewportPosition(c)).arg(room)));
        QTRY_VERIFY2(header->sectionSize(c) >= header->fontMetrics().size(0, title).width() + margins,
                     qPrintable(title));
    }
}

int main(int argc, char *argv[])
{
    const QTemporaryDir folder;
    place_on_small_screen(folder.path());
    QApplication app(argc, argv);
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    app.setAttribute(Qt::AA_Use96Dpi, true);
#endif
    tst_e2e_screens test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_e2e_screens.moc"
