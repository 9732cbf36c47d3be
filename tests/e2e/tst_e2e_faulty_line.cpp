// Adapters that echo, and an adapter pulled out in the middle of an exchange.
#include "app_on_line.h"
#include "table_cells.h"
#include "windows/main_window/archive.h"

#include <QTableView>
#include <QtTest>
#include <sys/resource.h>

namespace {

double cpu_seconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

class tst_e2e_faulty_line : public QObject
{
    Q_OBJECT
private slots:
    void echoing_adapter_poll();
    void echoing_adapter_write();
    void echoing_adapter_archive();
    void echo_alone_never_confirms_a_write();
    void adapter_pulled_out_data();
    void adapter_pulled_out();
    void settings_ok_reopens_the_port();
};

void tst_e2e_faulty_line::echoing_adapter_poll()
{
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    QVERIFY(app.line().command("fault echo").startsWith("ok"));
    app.check("adr_click");
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QString());
    QCOMPARE(app.text("real_state_lin"), QStringLiteral("12.346"));
    QCOMPARE(app.sent_frames().size(), 31);
    // The log shows what came back: the adapter's copy, then the answer.
    QVERIFY(app.log_text().contains("<- 01 03 00 09 00 01 54 08 01 03 02 00 03"));
}

void tst_e2e_faulty_line::echoing_adapter_write()
{
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    app.answer_questions(QMessageBox::Yes); // the rate and the parity are asked first
    QVERIFY(app.line().command("fault echo").startsWith("ok"));
    app.check("s_num_click");
    app.set_text("sereal_num_line_w", "0012345678AB");
    app.check("speed_click_w");
    app.check("write_time_click");
    app.click("write_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QStringLiteral("Запись завершена"));
    QCOMPARE(app.sim_register(0x0301), 0L);
}

void tst_e2e_faulty_line::echoing_adapter_archive()
{
    AppOnLine app;
    QVERIFY2(app.start({}, "version = 2\n"), qPrintable(app.error()));
    QVERIFY(app.line().command("fault echo").startsWith("ok"));
    app.check("adr_click");
    app.set_text("ver_prot_line", "2");
    app.click("arch_btn");
    QVERIFY(app.wait_idle(120000));
    QCOMPARE(app.text("arch_btn"), QStringLiteral("Архив прочитан"));
    archive *window = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (auto *a = qobject_cast<archive *>(top))
            window = a;
    }
    QVERIFY(window);
    QCOMPARE(row_count(window->table(1)), 512);
    QCOMPARE(cell_text(window->table(1), 0, 1), QStringLiteral("30.01.2024 15:00:00"));
}

void tst_e2e_faulty_line::echo_alone_never_confirms_a_write()
{
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    app.answer_questions(QMessageBox::Yes); // the rate and the parity are asked first
    QVERIFY(app.line().command("fault echo").startsWith("ok"));
    app.check("adr_click");
    app.check("speed_click_w");
    app.click("write_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QStringLiteral("Запись завершена")); // the line has shown that it echoes

    // Now the meter falls silent behind the echoing adapter: its copy of the
    // request looks exactly like a write's answer, and must not pass for one.
    QVERIFY(app.line().command("fault silence").startsWith("ok"));
    app.check("speed_click_w", false);
    app.check("date_save_w");
    app.set_text("date_line_w", "7");
    app.click("write_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QStringLiteral("Запись не подтверждена"));
}

void tst_e2e_faulty_line::adapter_pulled_out_data()
{
    QTest::addColumn<QString>("sequence");
    QTest::newRow("poll") << "poll";
    QTest::newRow("write") << "write";
    QTest::newRow("archive") << "archive";
}

void tst_e2e_faulty_line::adapter_pulled_out()
{
    QFETCH(QString, sequence);
    AppOnLine app;
    QVERIFY2(app.start({"--wire-time", "--baud", "1200"}, {}, LinePeriods::defaults(1200)), qPrintable(app.error()));
    app.answer_questions(QMessageBox::Yes); // the rate and the parity are asked first
    app.check("adr_click");
    app.set_text("ver_prot_line", "3");
    for (const char *box : {"adr_click_w", "speed_click_w", "bit_click_w", "date_save_w", "write_time_click"})
        app.check(box);
    app.set_text("adr_line_w", "1");
    app.set_text("date_line_w", "1");

    app.click(sequence == "poll" ? "param_btn" : sequence == "write" ? "write_btn" : "arch_btn");
    QVERIFY(app.wait_for([&] { return app.line().command("count") != "ok 0"; }));
    app.line().unplug();

    // No crash and no busy loop while the sequence runs into the silence.
    const double cpu_before = cpu_seconds();
    QElapsedTimer wall;
    wall.start();
    QVERIFY(app.wait_idle(60000));
    const double cpu_used = cpu_seconds() - cpu_before;
    QVERIFY2(cpu_used < 0.5 * wall.elapsed() / 1000.0 + 0.2,
             qPrintable(QString("%1 s of CPU in %2 s").arg(cpu_used).arg(wall.elapsed() / 1000.0)));
    // The port gone says so, whichever run it cut short.
    QCOMPARE(app.status(), QStringLiteral("Порт не открыт"));
    if (sequence == "archive")
        QCOMPARE(app.text("arch_btn"), QStringLiteral("Архив не прочитан"));
    QCOMPARE(app.text("start_btn"), QStringLiteral("Нет соединения"));

    // The adapter comes back (another line, perhaps another port name);
    // the operator chooses it and presses "Запуск порта" again.
    SimLine again;
    QVERIFY2(again.start(), qPrintable(again.error()));
    app.probe().set_port_name(again.program_port());
    app.click("start_btn");
    QCOMPARE(app.text("start_btn"), QStringLiteral("Соединение установлено"));
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QString());
    QCOMPARE(app.text("real_state_lin"), QStringLiteral("12.346"));
}

// OK in the port settings window reopens an open port with what it says:
// here another line, on which the next poll goes out.
void tst_e2e_faulty_line::settings_ok_reopens_the_port()
{
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    SimLine other;
    QVERIFY2(other.start(), qPrintable(other.error()));
    app.click("setting_btn");
    QWidget *settings = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->objectName() == QLatin1String("settings"))
            settings = top;
    }
    QVERIFY(settings);
    auto *names = settings->findChild<QComboBox *>("name_box");
    names->addItem(other.program_port());
    names->setCurrentIndex(names->count() - 1);
    settings->findChild<QPushButton *>("set_btn")->click();
    QCOMPARE(app.text("start_btn"), QStringLiteral("Соединение установлено"));

    app.check("adr_click");
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QString());
    QCOMPARE(other.command("count"), QStringLiteral("ok 31"));
    QCOMPARE(app.line().command("count"), QStringLiteral("ok 0"));
}

QTEST_MAIN(tst_e2e_faulty_line)
#include "tst_e2e_faulty_line.moc"
