// "Поиск счетчиков" against the stand-in playing several devices on one line.
#include "app_on_line.h"
#include "link/frames.h"
#include "link/hex_line.h"
#include "riser.h"
#include "table_cells.h"
#include "windows/line/scan_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QProgressBar>
#include <QSpinBox>
#include <QTableView>
#include <QtTest>

namespace {

// Three meters, a device that answers garbage and one that never answers.

// Address, serial number, model, protocol version, software version, device type.
const QStringList row_3{"3", "0012345678ab", "c15 СВК-15 RS485", "3", "1.05", "6 хол. воды"};
const QStringList row_17{"17", "00a1b2c3d405", "c16 СВГ-15 RS485", "2", "2.03", "16 гор. вод"};
// The device at 100 answers garbage: listed, the answer marked as not understood.
const QStringList row_100{"100", "?", "ответ не распознан", "?", "?", "?"};
const QStringList row_200{"200", "0031415926f0", "7777 неизвестная", "3", "1.10", "7 вода"};

const int full_scan_ms = 5 * 60 * 1000;

QString frame_text(int address, quint16 reg, quint16 count)
{
    MeterTarget target;
    target.address = quint8(address);
    return sent_line(modbus::read_registers_request(target, reg, count)).mid(3);
}

QString probe(int address)
{
    return frame_text(address, 0x0009, 1);
}

QStringList identification(int address)
{
    return {frame_text(address, 0x0000, 1), frame_text(address, 0x0008, 1), frame_text(address, 0x0004, 3),
            frame_text(address, 0x0304, 1)};
}

// The requests of a search over first..last that finds `meters`.
QStringList expected_requests(int first, int last, const QList<int> &meters)
{
    QStringList frames;
    for (int a = first; a <= last; ++a) {
        frames << probe(a);
        if (meters.contains(a))
            frames << identification(a);
    }
    return frames;
}

// The scan window's side of the line.
class Scan
{
public:
    explicit Scan(AppOnLine &app)
        : app(app)
    {
        app.click("scan_btn");
        window = app.window().findChild<ScanWindow *>();
        if (!window)
            qFatal("no scan window");
    }

    // The wait is generous: on a loaded machine a stand-in late by a few tens
    // of milliseconds must not drop out of a short search.
    void set_range(int first, int last, int wait_ms = 300)
    {
        spin("scan_from_box")->setValue(first);
        spin("scan_to_box")->setValue(last);
        spin("scan_wait_box")->setValue(wait_ms);
    }
    void start() { app.click("scan_start_btn"); }
    bool wait_end(int timeout_ms = 30000)
    {
        return app.wait_for([this] { return !window->running(); }, timeout_ms);
    }
    QTableView *table() { return app.window().findChild<QTableView *>("scan_table"); }
    QStringList row(int r)
    {
        QStringList cells;
        for (int c = 0; c < table()->model()->columnCount(); ++c)
            cells << cell_text(table(), r, c);
        return cells;
    }
    bool red(int r, int c)
    {
        return table()->model()->index(r, c).data(Qt::ForegroundRole).value<QColor>() == QColor(Qt::red);
    }
    QString progress() { return app.window().findChild<QProgressBar *>("scan_progress")->text(); }
    int progress_value() { return app.window().findChild<QProgressBar *>("scan_progress")->value(); }
    QString status() { return app.text("scan_status"); }

    ScanWindow *window = nullptr;

private:
    QSpinBox *spin(const char *name) { return app.window().findChild<QSpinBox *>(name); }
    AppOnLine &app;
};

// Two meters on one line at settings of their own; each hears only frames
// sent at its rate, and answers at its parity.
const char *const mixed_line = R"(
[meter]
address = 5
serial  = 0000000024D1
baud    = 2400
parity  = odd

[meter]
address = 9
serial  = 0000000096A0
baud    = 9600
parity  = none
)";

} // namespace

class tst_e2e_scan : public QObject
{
    Q_OBJECT
private slots:
    void finds_every_meter_on_the_line();
    void stop_while_asking_addresses();
    void stop_while_identifying_a_meter();
    void meter_that_falls_silent_keeps_its_row();
    void echoing_line();
    void adapter_pulled_out();
    void chosen_meter_is_polled_data();
    void chosen_meter_is_polled();
    void refused_while_a_poll_runs();
    void other_exchanges_refused_while_searching_data();
    void other_exchanges_refused_while_searching();
    void finds_meters_at_their_rates_and_parities();
};

// The whole address range with the default wait.
void tst_e2e_scan::finds_every_meter_on_the_line()
{
    AppOnLine app;
    QVERIFY2(app.start({}, riser), qPrintable(app.error()));
    Scan scan(app);
    scan.start();
    QVERIFY(scan.window->running());
    QVERIFY(app.wait_for([&] { return scan.progress().startsWith(QStringLiteral("Адрес ")); }));
    QVERIFY(scan.wait_end(full_scan_ms));

    QCOMPARE(scan.progress(), QStringLiteral("Поиск завершен, найдено 4"));
    QCOMPARE(scan.status(), QString());
    QCOMPARE(row_count(scan.table()), 4);
    QCOMPARE(scan.row(0), row_3);
    QCOMPARE(scan.row(1), row_17);
    QCOMPARE(scan.row(2), row_100);
    QCOMPARE(scan.row(3), row_200);
    QVERIFY(scan.red(2, 2));
    QVERIFY(!scan.red(3, 2));
    QCOMPARE(app.status(), QString());
    // Ctrl+C gives a spreadsheet the rows selected, the serial number and the software version as text.
    scan.table()->selectRow(0);
    QTest::keySequence(scan.table(), QKeySequence::Copy);
    QCOMPARE(QApplication::clipboard()->text(),
             QStringLiteral("3\t=\"0012345678ab\"\tc15 СВК-15 RS485\t3\t=\"1.05\"\t6 хол. воды\n"));

    // One request at a time, every address once, the meters' identification after their answer.
    QCOMPARE(app.sent_frames(), expected_requests(1, 247, {3, 17, 200}));
    // Every request to a device on the line reached it whole: five to each meter, one to the others.
    QCOMPARE(app.line().command("count"), QStringLiteral("ok 17"));

    // Answers are logged as they came, garbage included.
    const QStringList log = app.log_text().split('\n');
    int answers = 0;
    for (int i = 0; i < log.size(); ++i) {
        if (!log[i].startsWith("<- "))
            continue;
        ++answers;
        QVERIFY2(i > 0 && log[i - 1].startsWith("-> "), qPrintable(log[i]));
        QVERIFY2(i + 1 < log.size() && log[i + 1].isEmpty(), qPrintable(log[i]));
        const QString address = log[i - 1].mid(3, 2);
        QVERIFY2(QStringList({"03", "11", "c8", "64"}).contains(address), qPrintable(log[i - 1]));
    }
    QCOMPARE(answers, 16);
    const int garbage = log.indexOf("-> " + probe(100));
    QVERIFY(log.value(garbage + 1).startsWith("<- "));
    const int silent = log.indexOf("-> " + probe(50));
    QCOMPARE(log.value(silent + 1), "-> " + probe(51));
}

void tst_e2e_scan::stop_while_asking_addresses()
{
    AppOnLine app;
    QVERIFY2(app.start({}, riser), qPrintable(app.error()));
    Scan scan(app);
    scan.start();
    QVERIFY(app.wait_for([&] { return scan.progress_value() >= 20; }));
    app.click("scan_stop_btn");
    QVERIFY(scan.window->running()); // the current exchange ends first
    QVERIFY(scan.wait_end());

    QCOMPARE(scan.progress(), QStringLiteral("Поиск остановлен, найдено 2"));
    QCOMPARE(scan.row(0), row_3);
    QCOMPARE(scan.row(1), row_17);
    const QStringList sent = app.sent_frames();
    const int last = sent.last().left(2).toInt(nullptr, 16);
    QVERIFY2(last >= 20 && last <= 22, qPrintable(sent.last()));
    QCOMPARE(sent, expected_requests(1, last, {3, 17}));
    QVERIFY(app.window().findChild<QPushButton *>("scan_start_btn")->isEnabled());
    QVERIFY(!app.window().findChild<QPushButton *>("scan_stop_btn")->isEnabled());
}

// The model read of meter 3 is answered late: Stop pressed meanwhile still
// takes that answer, asks nothing more and leaves the rest unknown.
void tst_e2e_scan::stop_while_identifying_a_meter()
{
    AppOnLine app;
    QVERIFY2(app.start({}, riser), qPrintable(app.error()));
    QVERIFY(app.line().command("meter 1 fault delay 150 reg=0x0008 count=1").startsWith("ok"));
    Scan scan(app);
    scan.start();
    QVERIFY(app.wait_for([&] { return app.sent_frames().contains(frame_text(3, 0x0008, 1)); }));
    app.click("scan_stop_btn");
    QVERIFY(scan.wait_end());

    QCOMPARE(scan.progress(), QStringLiteral("Поиск остановлен, найдено 1"));
    QCOMPARE(row_count(scan.table()), 1);
    QCOMPARE(scan.row(0), (QStringList{"3", "?", "c15 СВК-15 RS485", "3", "1.05", "?"}));
    QCOMPARE(app.sent_frames().last(), frame_text(3, 0x0008, 1));
}

void tst_e2e_scan::meter_that_falls_silent_keeps_its_row()
{
    AppOnLine app;
    QVERIFY2(app.start({}, riser), qPrintable(app.error()));
    QVERIFY(app.line().command("meter 2 fault silence after=3").startsWith("ok"));
    Scan scan(app);
    scan.set_range(16, 18);
    scan.start();
    QVERIFY(scan.wait_end());
    QCOMPARE(scan.progress(), QStringLiteral("Поиск завершен, найдено 1"));
    QCOMPARE(scan.row(0), (QStringList{"17", "?", "c16 СВГ-15 RS485", "2", "2.03", "?"}));
    // Not asked on after its silence.
    QCOMPARE(app.sent_frames(),
             (QStringList{probe(16), probe(17), frame_text(17, 0x0000, 1), frame_text(17, 0x0008, 1),
                          frame_text(17, 0x0004, 3), probe(18)}));
}

// An adapter that hands back every request: the copy is not an answer.
void tst_e2e_scan::echoing_line()
{
    AppOnLine app;
    QVERIFY2(app.start({}, riser), qPrintable(app.error()));
    for (int meter = 1; meter <= 5; ++meter)
        QVERIFY(app.line().command(QString("meter %1 fault echo").arg(meter)).startsWith("ok"));
    Scan scan(app);
    scan.set_range(1, 5);
    scan.start();
    QVERIFY(scan.wait_end());
    QCOMPARE(scan.progress(), QStringLiteral("Поиск завершен, найдено 1"));
    QCOMPARE(scan.row(0), row_3);
    QCOMPARE(app.sent_frames(), expected_requests(1, 5, {3}));
}

// The port closes itself when its line is gone: the search ends at once
// instead of asking the rest of the range into the void.
void tst_e2e_scan::adapter_pulled_out()
{
    AppOnLine app;
    QVERIFY2(app.start({}, riser), qPrintable(app.error()));
    Scan scan(app);
    scan.start();
    QVERIFY(app.wait_for([&] { return scan.progress_value() >= 5; }));
    app.line().unplug();
    QVERIFY(scan.wait_end());
    QCOMPARE(scan.progress(), QStringLiteral("Поиск прерван, найдено 1"));
    QCOMPARE(scan.status(), QStringLiteral("Порт не открыт"));
    QCOMPARE(scan.row(0), row_3);
    QVERIFY(app.sent_frames().size() < 20);
}

void tst_e2e_scan::chosen_meter_is_polled_data()
{
    QTest::addColumn<bool>("double_click");
    QTest::newRow("Выбрать") << false;
    QTest::newRow("double click") << true;
}

// The chosen meter is the one a following poll reads, by its address and by
// its serial number.
void tst_e2e_scan::chosen_meter_is_polled()
{
    QFETCH(bool, double_click);
    AppOnLine app;
    QVERIFY2(app.start({}, riser), qPrintable(app.error()));
    app.check("s_num_click");
    app.set_text("sereal_num_line_w", "0012345678AB");
    Scan scan(app);
    scan.set_range(15, 20);
    scan.start();
    QVERIFY(scan.wait_end());
    QCOMPARE(row_count(scan.table()), 1);
    QCOMPARE(scan.row(0), row_17);
    QVERIFY(!app.window().findChild<QPushButton *>("scan_choose_btn")->isEnabled());

    scan.table()->selectRow(0);
    QVERIFY(app.window().findChild<QPushButton *>("scan_choose_btn")->isEnabled());
    if (double_click) {
        QTableView *table = scan.table();
        const QPoint cell = table->visualRect(table->model()->index(0, 2)).center();
        // As the system delivers one: a click, then the second press as a double click.
        QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, cell);
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, cell);
    } else {
        app.click("scan_choose_btn");
    }
    QVERIFY(!scan.window->isVisible());
    QCOMPARE(app.text("adr_line"), QStringLiteral("17"));
    QVERIFY(app.probe().by_address());
    QVERIFY(!app.probe().by_serial());
    QCOMPARE(app.text("sereal_num_line_w"), QStringLiteral("00a1b2c3d405"));

    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QString());
    QCOMPARE(app.text("serial_num_line"), QStringLiteral("00a1b2c3d405"));
    QCOMPARE(app.text("ver_prot_line"), QStringLiteral("2"));
    QCOMPARE(app.text("adr_line_w"), QStringLiteral("17"));

    // The serial number given for the addressing reaches the same meter.
    app.check("s_num_click");
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QString());
    QVERIFY(app.sent_frames().last().startsWith("fd 41 d4 05 b2 c3 00 a1"));
    QCOMPARE(app.text("serial_num_line"), QStringLiteral("00a1b2c3d405"));
    QCOMPARE(app.text("adr_line_w"), QStringLiteral("17"));
}

void tst_e2e_scan::refused_while_a_poll_runs()
{
    AppOnLine app;
    QVERIFY2(app.start({}, riser), qPrintable(app.error()));
    app.check("adr_click");
    app.set_text("adr_line", "3");
    Scan scan(app);
    scan.set_range(1, 5);
    app.click("param_btn");
    QVERIFY(app.probe().polling());
    scan.start();
    QVERIFY(!scan.window->running());
    QCOMPARE(app.status(), QStringLiteral("Дождитесь окончания обмена"));
    QCOMPARE(app.status_style(), QStringLiteral("QLabel {color:red;}"));
    QCOMPARE(scan.status(), QStringLiteral("Дождитесь окончания обмена"));

    QVERIFY(app.wait_idle());
    QCOMPARE(app.text("serial_num_line"), QStringLiteral("0012345678ab"));
    QCOMPARE(app.sent_frames().size(), 31); // the poll's, nothing of a search
    QCOMPARE(row_count(scan.table()), 0);

    // Once the poll is over the search may start.
    scan.start();
    QVERIFY(scan.window->running());
    QCOMPARE(app.status(), QString());
    QVERIFY(scan.wait_end());
    QCOMPARE(scan.status(), QString());
    QCOMPARE(scan.row(0), row_3);
}

void tst_e2e_scan::other_exchanges_refused_while_searching_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("poll") << "param_btn";
    QTest::newRow("write") << "write_btn";
    QTest::newRow("archive") << "arch_btn";
}

void tst_e2e_scan::other_exchanges_refused_while_searching()
{
    QFETCH(QString, button);
    AppOnLine app;
    QVERIFY2(app.start({}, riser), qPrintable(app.error()));
    app.check("adr_click");
    app.set_text("adr_line", "3");
    app.check("adr_click_w");
    app.set_text("adr_line_w", "3");
    app.set_text("ver_prot_line", "3");
    Scan scan(app);
    scan.set_range(1, 10);
    scan.start();
    QVERIFY(scan.window->running());

    app.click(qPrintable(button));
    QVERIFY(!app.probe().exchanging());
    QCOMPARE(app.status(), QStringLiteral("Дождитесь окончания обмена"));
    QCOMPARE(app.status_style(), QStringLiteral("QLabel {color:red;}"));

    QVERIFY(scan.wait_end());
    QCOMPARE(app.sent_frames(), expected_requests(1, 10, {3}));
    QCOMPARE(scan.progress(), QStringLiteral("Поиск завершен, найдено 1"));

    // And no longer refused once it is over.
    app.click(qPrintable(button));
    QVERIFY(app.probe().exchanging());
}

QTEST_MAIN(tst_e2e_scan)
#include "tst_e2e_scan.moc"

// Four rates with two parities: each meter at the setting it answers cleanly
// at, though the one at 9600 none answers garbage at 9600 odd, and the one at
// 2400 odd at 2400 none. Choosing a meter sets the port to its setting.
void tst_e2e_scan::finds_meters_at_their_rates_and_parities()
{
    AppOnLine app;
    QVERIFY2(app.start({QStringLiteral("--master-port"), SimLine::program_port_arg}, mixed_line),
             qPrintable(app.error()));
    Scan scan(app);
    scan.set_range(1, 10, 250);
    app.window().findChild<QCheckBox *>("scan_line_box")->setChecked(true);
    app.window().findChild<QCheckBox *>("scan_parity_odd_box")->setChecked(true);
    // 10 addresses at 8 settings, each the wait and its line time.
    QCOMPARE(app.text("scan_time_label"), QStringLiteral("Поиск займет около 27 с"));
    scan.start();
    QVERIFY(scan.window->running());
    QVERIFY(app.wait_for([&] { return scan.progress().startsWith(QStringLiteral("1200, нет: Адрес ")); }));
    QVERIFY(scan.wait_end(120000));

    QCOMPARE(scan.progress(), QStringLiteral("Поиск завершен, найдено 2"));
    QCOMPARE(row_count(scan.table()), 2);
    QCOMPARE(scan.row(0).mid(0, 2), QStringList({"5", "0000000024d1"}));
    QCOMPARE(scan.row(0).last(), QStringLiteral("2400, нечет"));
    QCOMPARE(scan.row(1).mid(0, 2), QStringList({"9", "0000000096a0"}));
    QCOMPARE(scan.row(1).last(), QStringLiteral("9600, нет"));
    QVERIFY(!scan.red(0, 2));
    QVERIFY(!scan.red(1, 2));
    // Both garbled on the way, at the other parity of their rate.
    QVERIFY(app.line().sim_log().filter(QStringLiteral("fault parity 1 read as 0")).size() >= 1);
    QVERIFY(app.line().sim_log().filter(QStringLiteral("fault parity 0 read as 1")).size() >= 1);

    // "Считать все" reads the meter at the port's own setting and names the other.
    app.click("read_all_btn");
    QVERIFY(app.wait_for([&] { return app.text("riser_status") == QStringLiteral("Считано 1 из 1"); }, 60000));
    QCOMPARE(app.text("scan_status"), QStringLiteral("Не считаны счетчики на другой скорости или четности: 1"));
    const QAbstractItemModel *riser = app.window().findChild<QTableView *>("riser_table")->model();
    QCOMPARE(riser->rowCount(), 1);
    QCOMPARE(riser->index(0, 0).data().toString(), QStringLiteral("9"));
    QCOMPARE(riser->index(0, 10).data().toString(), QStringLiteral("OK"));

    // The meter at 2400 odd, chosen: the port keeps to its setting, and a poll reads it.
    scan.table()->selectRow(0);
    app.click("scan_choose_btn");
    QCOMPARE(app.text("adr_line"), QStringLiteral("5"));
    QFile saved(QStringLiteral("settings.txt"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = saved.readAll().split('\n');
    QCOMPARE(lines.value(1), QByteArray("2400"));
    QCOMPARE(lines.value(7), QByteArray("1"));
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QString());
    QCOMPARE(app.text("serial_num_line"), QStringLiteral("0000000024d1"));
}
