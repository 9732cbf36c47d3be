// "Считать из счетчика параметры и показания" against the meter stand-in.
#include "app_on_line.h"
#include "default_meter.h"
#include "table_cells.h"
#include "windows/main_window/archive.h"

#include <QTableView>

#include <QtTest>

namespace {

const char *const version_2_meter = "version = 2\n";

} // namespace

class tst_e2e_poll : public QObject
{
    Q_OBJECT
private slots:
    void full_read_data();
    void full_read();
    void meter_values_that_show_as_dashes();
    void unknown_model_shows_raw_counts();
    void failed_poll_keeps_the_factor_whole();
    void silent_meter();
    void wrong_length_answers();
    void bad_crc_is_never_shown();
    void split_answers_decode();
    void late_last_answer_keeps_the_window();
    void refused_before_sending_data();
    void refused_before_sending();
    void stale_bytes_are_dropped();
    void late_answer_after_a_give_up();
    void waits_for_other_exchanges();
};

void tst_e2e_poll::full_read_data()
{
    QTest::addColumn<bool>("by_serial");
    QTest::addColumn<int>("version");
    QTest::newRow("address, version 3") << false << 3;
    QTest::newRow("address, version 2") << false << 2;
    QTest::newRow("serial, version 3") << true << 3;
    QTest::newRow("serial, version 2") << true << 2;
}

void tst_e2e_poll::full_read()
{
    QFETCH(bool, by_serial);
    QFETCH(int, version);
    AppOnLine app;
    QVERIFY2(app.start({}, version == 2 ? version_2_meter : ""), qPrintable(app.error()));
    if (by_serial) {
        app.check("s_num_click");
        app.set_text("sereal_num_line_w", "0012345678AB");
    } else {
        app.check("adr_click");
    }
    app.click("param_btn");
    QVERIFY(app.probe().polling());
    QVERIFY(app.wait_idle());

    QCOMPARE(app.status(), QString());
    QCOMPARE(app.text("ver_prot_line"), QString::number(version));
    for (const ShownField &s : default_meter_fields)
        QCOMPARE(app.text(s.field), QString::fromUtf8(s.text));
    for (const ShownField &s : default_meter_reverse_flow)
        QCOMPARE(app.text(s.field), version == 3 ? QString::fromUtf8(s.text) : QString());
    QCOMPARE(app.text("model_line"), QString::fromUtf8(default_meter_model));
    QCOMPARE(app.combo_index("speed_box_w"), 3);
    QCOMPARE(app.combo_index("bit_box_w"), 0);
    QCOMPARE(app.probe().build_number(), QStringLiteral("1342"));
    QCOMPARE(app.probe().compile_date(), QStringLiteral("20240115"));
    QCOMPARE(app.probe().compile_time(), QStringLiteral("14253000"));

    const QStringList sent = app.sent_frames();
    QCOMPARE(sent.size(), version == 3 ? 31 : 27);
    QCOMPARE(sent.first(),
             by_serial ? QStringLiteral("fd 41 78 ab 34 56 00 12 00 09 00 01 0e 38")
                       : QStringLiteral("01 03 00 09 00 01 54 08"));
    // Version 2 meters are never asked for reverse flow.
    const QString reverse_reads = by_serial ? " 10 05 00 02" : "01 03 10 05";
    QCOMPARE(app.log_text().contains(reverse_reads), version == 3);
}

void tst_e2e_poll::meter_values_that_show_as_dashes()
{
    AppOnLine app;
    QVERIFY2(app.start({},
                       "version = 3\nreg32 0x1102 = -1\nreg 0x1104 = 7\nreg32 0x1100 = -5\n"
                       "reg32 0x1002 = -5\nreg 0x1004 = 7\ndevice_type = 16\nparity_code = 0x0201\n"),
             qPrintable(app.error()));
    QCOMPARE(app.text("line_label"), app.line().program_port() + " 9600 8N1");
    app.check("adr_click");
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QString());
    QCOMPARE(app.text("time_houer_line"), QStringLiteral("--"));
    QCOMPARE(app.text("state_houer_line"), QStringLiteral("--"));
    QCOMPARE(app.text("event_houer_line"), QStringLiteral("--"));
    QCOMPARE(app.text("real_state_lin"), QStringLiteral("0.000"));
    QCOMPARE(app.text("real_event_line"), QStringLiteral("7"));
    QCOMPARE(app.text("type_line"), QStringLiteral("16 гор. вод"));
    QCOMPARE(app.combo_index("bit_box_w"), 2);
}

void tst_e2e_poll::unknown_model_shows_raw_counts()
{
    AppOnLine app;
    QVERIFY2(app.start({}, "model = 0x7777\n"), qPrintable(app.error()));
    app.check("s_num_click");
    app.set_text("sereal_num_line_w", "0012345678AB");
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.text("model_line"), QStringLiteral("7777 неизвестная-"));
    QVERIFY(app.window().findChild<QLineEdit *>("model_line")->styleSheet().contains("yellow"));
    QCOMPARE(app.text("real_state_lin"), QStringLiteral("12346"));
    // Counts, and the captions say so; the next meter's model names its unit again.
    QCOMPARE(app.text("label_12"), QStringLiteral("Показания, ед."));
    QCOMPARE(app.text("label_28"), QStringLiteral("Пок. обр. потока, ед."));
    QVERIFY(app.line().command("set 0x0008 0x0C15").startsWith("ok"));
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.text("real_state_lin"), QStringLiteral("12.346"));
    QCOMPARE(app.text("label_12"), QStringLiteral("Показания, м3"));
}

void tst_e2e_poll::failed_poll_keeps_the_factor_whole()
{
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    app.check("adr_click");
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.probe().factor_decimals(), 3);

    // A run that gives up before the model step knows no model: the archive
    // read after it asks for one and still shows 12.345, not 12.
    QVERIFY(app.line().command("fault silence after=2 count=2").startsWith("ok"));
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QStringLiteral("Соединение отсутствует"));
    app.click("arch_btn");
    QVERIFY(app.wait_idle(120000));
    QCOMPARE(cell_text(AppOnLine::archive_window()->table(1), 0, 2), QStringLiteral("12.345"));
}

void tst_e2e_poll::silent_meter()
{
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    QVERIFY(app.line().command("fault silence").startsWith("ok"));
    app.check("adr_click");
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QStringLiteral("Соединение отсутствует"));
    // The first request, and its one repetition after the wait.
    QCOMPARE(app.sent_frames(), QStringList({"01 03 00 09 00 01 54 08", "01 03 00 09 00 01 54 08"}));
}

void tst_e2e_poll::wrong_length_answers()
{
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    app.check("adr_click");
    app.click("param_btn");
    QVERIFY(app.wait_for([&] { return app.probe().poll_step() >= 3; }));
    QVERIFY(app.line().command("fault short").startsWith("ok"));
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QStringLiteral("Некорректные данные"));
    QVERIFY(app.probe().poll_step() >= 3);
    const int step = app.probe().poll_step();
    // The short answers are logged from the second on; nothing of theirs is shown.
    QVERIFY(app.log_text().count(QRegularExpression("^<- ", QRegularExpression::MultilineOption)) >= step - 1 + 2);
    QCOMPARE(app.text("ver_prot_line"), QStringLiteral("3"));
}

void tst_e2e_poll::bad_crc_is_never_shown()
{
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    QVERIFY(app.line().command("fault badcrc").startsWith("ok"));
    app.check("adr_click");
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QStringLiteral("Некорректные данные"));
    QCOMPARE(app.text("ver_prot_line"), QString());

    // One garbled answer is asked for again and the read completes.
    QVERIFY(app.line().command("fault clear").startsWith("ok"));
    QVERIFY(app.line().command("fault badcrc count=1").startsWith("ok"));
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QString());
    QCOMPARE(app.text("ver_prot_line"), QStringLiteral("3"));
    QCOMPARE(app.text("real_state_lin"), QStringLiteral("12.346"));
}

void tst_e2e_poll::split_answers_decode()
{
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    QVERIFY(app.line().command("fault split 3 10").startsWith("ok"));
    app.check("adr_click");
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QString());
    QCOMPARE(app.text("serial_num_line"), QStringLiteral("0012345678ab"));
    QCOMPARE(app.probe().compile_time(), QStringLiteral("14253000"));
}

void tst_e2e_poll::late_last_answer_keeps_the_window()
{
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    // The compile time (0x0094) comes after the wait of the first no-answer.
    QVERIFY(app.line().command("fault delay 250 reg=0x0094 count=1").startsWith("ok"));
    app.check("adr_click");
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QString());
    QCOMPARE(app.probe().compile_time(), QStringLiteral("14253000"));
    QCOMPARE(app.text("ver_prot_line"), QStringLiteral("3"));
    QCOMPARE(app.text("real_state_lin"), QStringLiteral("12.346"));
    QCOMPARE(app.sent_frames().size(), 31);
}

void tst_e2e_poll::refused_before_sending_data()
{
    QTest::addColumn<QString>("mode"); // none, address or serial
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("message");
    QTest::newRow("no addressing box") << "none"
                                       << ""
                                       << "Не выбран способ обращения к счетчику";
    QTest::newRow("broadcast address 0") << "address"
                                         << "0"
                                         << "Неверный адрес устройства";
    QTest::newRow("address 300") << "address"
                                 << "300"
                                 << "Неверный адрес устройства";
    QTest::newRow("address empty") << "address"
                                   << ""
                                   << "Неверный адрес устройства";
    QTest::newRow("serial with g") << "serial"
                                   << "12g4"
                                   << "Неверный серийный номер";
    QTest::newRow("serial empty") << "serial"
                                  << ""
                                  << "Неверный серийный номер";
    QTest::newRow("serial of 13 digits") << "serial"
                                         << "0012345678ABC"
                                         << "Неверный серийный номер";
}

void tst_e2e_poll::refused_before_sending()
{
    QFETCH(QString, mode);
    QFETCH(QString, input);
    QFETCH(QString, message);
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    if (mode == "address") {
        app.check("adr_click");
        app.set_text("adr_line", input);
    } else if (mode == "serial") {
        app.check("s_num_click");
        app.set_text("sereal_num_line_w", input);
    }
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), message);
    QCOMPARE(app.status_style(), QStringLiteral("QLabel {color:red;}"));
    QVERIFY(app.sent_frames().isEmpty());
    QCOMPARE(app.line().command("count"), QStringLiteral("ok 0"));
}

void tst_e2e_poll::stale_bytes_are_dropped()
{
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    // Bytes out of turn, as a late answer of an earlier exchange: they
    // arrive before the first request and must not pass for its answer.
    QVERIFY(app.line().command("inject 01 03 02 00 07 f9 86").startsWith("ok"));
    QVERIFY(app.wait_for([&] { return app.log_text().contains("<- 01 03 02 00 07 f9 86\n"); }));
    app.check("adr_click");
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QString());
    QCOMPARE(app.text("ver_prot_line"), QStringLiteral("3"));
    QCOMPARE(app.sent_frames().size(), 31);                        // nothing repeated
    QVERIFY(app.log_text().contains("<- 01 03 02 00 07 f9 86\n")); // but shown
}

void tst_e2e_poll::late_answer_after_a_give_up()
{
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    app.check("adr_click");
    // The first request goes unanswered; the answer to its repetition comes
    // after the cycle has given up on it (the repetition waits as long as the
    // request did, 220 ms and two failure periods: 1020 ms; the answer 1300).
    QVERIFY(app.line().command("fault silence count=1").startsWith("ok"));
    QVERIFY(app.line().command("fault delay 1300 count=1 after=1").startsWith("ok"));
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QStringLiteral("Соединение отсутствует"));

    // Pressed again at once: the late answer must not be taken for an answer
    // of the new run (answers to reads of one register all look alike).
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QString());
    QCOMPARE(app.text("ver_prot_line"), QStringLiteral("3"));
    QCOMPARE(app.text("ver_PO_line"), QStringLiteral("1.05"));
    QCOMPARE(app.text("real_state_lin"), QStringLiteral("12.346"));
}

void tst_e2e_poll::waits_for_other_exchanges()
{
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    app.check("adr_click");
    app.set_text("ver_prot_line", "3");
    app.click("arch_btn");
    QVERIFY(app.probe().reading_archive());
    app.click("param_btn");
    QCOMPARE(app.status(), QStringLiteral("Дождитесь окончания обмена"));
    QCOMPARE(app.status_style(), QStringLiteral("QLabel {color:red;}"));
    QVERIFY(!app.probe().polling());
    QVERIFY(app.probe().reading_archive());
    QVERIFY(app.wait_idle());
    QCOMPARE(app.text("arch_btn"), QStringLiteral("Архив прочитан"));
}

QTEST_MAIN(tst_e2e_poll)
#include "tst_e2e_poll.moc"
