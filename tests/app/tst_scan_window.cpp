// The scan window on a main window without a line: how it opens and what it
// refuses before anything is sent.
#include "windows/line/scan_window.h"
#include "windows/main_window/mainwindow.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableView>
#include <QTextEdit>
#include <QtTest>

namespace {

void write_file(const QString &name, const QByteArray &content)
{
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

template<typename T> T *widget(QWidget &w, const char *name)
{
    T *child = w.findChild<T *>(QLatin1String(name));
    if (!child)
        qFatal("no widget %s", name);
    return child;
}

QString log_text()
{
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->objectName() == QLatin1String("LOG_class"))
            return top->findChild<QTextEdit *>("textEdit")->toPlainText();
    }
    return {};
}

} // namespace

class tst_scan_window : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void opens_once();
    void refused_without_an_open_port_data();
    void refused_without_an_open_port();
    void refused_with_a_reversed_range();
    void search_time_told_before_start_data();
    void search_time_told_before_start();
    void whole_form_shown_at_1x();

private:
    QTemporaryDir *dir = nullptr;
    QString previous_dir;
};

void tst_scan_window::init()
{
    dir = new QTemporaryDir;
    previous_dir = QDir::currentPath();
    QDir::setCurrent(dir->path());
}

void tst_scan_window::cleanup()
{
    QDir::setCurrent(previous_dir);
    delete dir;
}

void tst_scan_window::opens_once()
{
    MainWindow w;
    auto *button = widget<QPushButton>(w, "scan_btn");
    QCOMPARE(button->text(), QStringLiteral("Поиск счетчиков"));
    QVERIFY(w.findChildren<ScanWindow *>().isEmpty()); // nothing made before it is needed

    button->click();
    QList<ScanWindow *> windows = w.findChildren<ScanWindow *>();
    QCOMPARE(windows.size(), 1);
    ScanWindow *scan = windows.first();
    QVERIFY(scan->isWindow());
    QVERIFY(scan->isVisible());
    QCOMPARE(scan->windowTitle(), QStringLiteral("Поиск счетчиков"));
    QVERIFY(!scan->running());
    QCOMPARE(widget<QSpinBox>(w, "scan_from_box")->value(), 1);
    QCOMPARE(widget<QSpinBox>(w, "scan_to_box")->value(), 247);
    QCOMPARE(widget<QSpinBox>(w, "scan_wait_box")->value(), 100);
    QVERIFY(!widget<QPushButton>(w, "scan_choose_btn")->isEnabled());

    scan->close();
    QVERIFY(!scan->isVisible());
    button->click();
    QCOMPARE(w.findChildren<ScanWindow *>(), windows);
    QVERIFY(scan->isVisible());
}

void tst_scan_window::refused_without_an_open_port_data()
{
    QTest::addColumn<bool>("press_start");
    QTest::newRow("port never started") << false;
    QTest::newRow("port that does not open") << true;
}

void tst_scan_window::refused_without_an_open_port()
{
    QFETCH(bool, press_start);
    write_file("settings.txt", "/dev/no-such-port-here\n9600\n1\n300\n1000\n700\n2000\n0\n");
    MainWindow w;
    if (press_start) {
        widget<QPushButton>(w, "start_btn")->click();
        QCOMPARE(widget<QPushButton>(w, "start_btn")->text(), QStringLiteral("Нет соединения"));
    }
    widget<QPushButton>(w, "scan_btn")->click();
    widget<QPushButton>(w, "scan_start_btn")->click();

    auto *status = widget<QLabel>(w, "scan_status");
    QCOMPARE(status->text(), QStringLiteral("Порт не открыт"));
    QCOMPARE(status->styleSheet(), QStringLiteral("QLabel {color:red;}"));
    QVERIFY(!w.findChild<ScanWindow *>()->running());
    QVERIFY(widget<QPushButton>(w, "scan_start_btn")->isEnabled());
    QVERIFY(!widget<QPushButton>(w, "scan_stop_btn")->isEnabled());
    QCOMPARE(widget<QTableView>(w, "scan_table")->model()->rowCount(), 0);
    QVERIFY(log_text().isEmpty());
}

void tst_scan_window::refused_with_a_reversed_range()
{
    MainWindow w;
    widget<QPushButton>(w, "scan_btn")->click();
    widget<QSpinBox>(w, "scan_from_box")->setValue(20);
    widget<QSpinBox>(w, "scan_to_box")->setValue(10);
    widget<QPushButton>(w, "scan_start_btn")->click();
    QCOMPARE(widget<QLabel>(w, "scan_status")->text(), QStringLiteral("Неверный диапазон адресов"));
    QCOMPARE(widget<QLabel>(w, "scan_status")->styleSheet(), QStringLiteral("QLabel {color:red;}"));
    QVERIFY(!w.findChild<ScanWindow *>()->running());
    QVERIFY(log_text().isEmpty());

    // The same range the right way round gets as far as the port.
    widget<QSpinBox>(w, "scan_from_box")->setValue(10);
    widget<QSpinBox>(w, "scan_to_box")->setValue(20);
    widget<QPushButton>(w, "scan_start_btn")->click();
    QCOMPARE(widget<QLabel>(w, "scan_status")->text(), QStringLiteral("Порт не открыт"));
}

void tst_scan_window::search_time_told_before_start_data()
{
    QTest::addColumn<bool>("many");
    QTest::addColumn<bool>("odd");
    QTest::addColumn<bool>("none");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("status");

    // The port's 9600 baud, no parity: 120 ms for each of 247 addresses.
    QTest::newRow("the port's own setting") << false << false << true << "Поиск займет около 30 с"
                                            << "Порт не открыт";
    QTest::newRow("four rates, two parities") << true << true << true << "Поиск займет около 5 мин 49 с"
                                              << "Порт не открыт";
    QTest::newRow("no parity chosen: refused before the port") << true << false << false << ""
                                                               << "Выберите хотя бы одну скорость и одну четность";
}

void tst_scan_window::search_time_told_before_start()
{
    QFETCH(bool, many);
    QFETCH(bool, odd);
    QFETCH(bool, none);
    QFETCH(QString, time);
    QFETCH(QString, status);
    MainWindow w;
    widget<QPushButton>(w, "scan_btn")->click();
    widget<QCheckBox>(w, "scan_line_box")->setChecked(many);
    widget<QCheckBox>(w, "scan_parity_odd_box")->setChecked(odd);
    widget<QCheckBox>(w, "scan_parity_none_box")->setChecked(none);
    QCOMPARE(widget<QCheckBox>(w, "scan_rate_1200_box")->isEnabled(), many);
    QCOMPARE(widget<QLabel>(w, "scan_time_label")->text(), time);
    widget<QPushButton>(w, "scan_start_btn")->click();
    QCOMPARE(widget<QLabel>(w, "scan_status")->text(), status);
    QVERIFY(log_text().isEmpty());
}

// At 1x on a 1280 x 1024 screen the window opens at 1040 x 720: the search,
// the line table and the commissioning box all show without scrolling.
void tst_scan_window::whole_form_shown_at_1x()
{
    MainWindow w;
    widget<QPushButton>(w, "scan_btn")->click();
    auto *scan = w.findChild<ScanWindow *>();
    scan->resize(1040, 720);
    auto *scroll = widget<QScrollArea>(w, "scan_scroll");
    QTRY_VERIFY2(scroll->viewport()->size() == scan->size() && scroll->verticalScrollBar()->maximum() == 0,
                 qPrintable(QStringLiteral("the form needs %1 pixels").arg(scroll->widget()->height())));
}

QTEST_MAIN(tst_scan_window)
#include "tst_scan_window.moc"
