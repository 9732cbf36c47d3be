// "Записать в счетчик" against the meter stand-in: what the meter stored.
#include "app_on_line.h"
#include "model/quantity.h"

#include <QtTest>
#include <cstdlib>
#include <ctime>

namespace {

const char *const enable_boxes[] = {"adr_click_w", "speed_click_w", "bit_click_w", "date_save_w", "write_time_click"};

} // namespace

class tst_e2e_write : public QObject
{
    Q_OBJECT
private slots:
    void each_item_data();
    void each_item();
    void all_items_data();
    void all_items();
    void manual_time_far_from_utc();
    void computer_clock();
    void rate_and_parity_asked_first();
    void nothing_checked();
    void silent_meter_is_not_confirmed();
    void slow_meter_is_confirmed();
    void garbled_answer_is_not_confirmed();
    void exception_stops_the_rest();
    void each_item_marked_with_its_result();
    void invalid_inputs_send_nothing_data();
    void invalid_inputs_send_nothing();
    void waits_for_other_exchanges();
};

void tst_e2e_write::each_item_data()
{
    QTest::addColumn<bool>("by_serial");
    QTest::addColumn<int>("item");
    for (bool serial : {false, true}) {
        const char *mode = serial ? "serial" : "address";
        QTest::addRow("%s: address 17", mode) << serial << 0;
        QTest::addRow("%s: rate code 1", mode) << serial << 1;
        QTest::addRow("%s: parity index 5", mode) << serial << 2;
        QTest::addRow("%s: save date 28", mode) << serial << 3;
        QTest::addRow("%s: manual time", mode) << serial << 4;
    }
}

void tst_e2e_write::each_item()
{
    QFETCH(bool, by_serial);
    QFETCH(int, item);
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    app.answer_questions(QMessageBox::Yes); // the rate and the parity are asked first
    app.address_meter(by_serial);
    app.set_text("adr_line_w", "17");
    app.window().findChild<QComboBox *>("speed_box_w")->setCurrentIndex(1);
    app.window().findChild<QComboBox *>("bit_box_w")->setCurrentIndex(5);
    app.set_text("date_line_w", "28");
    app.check("hend_time");
    app.set_text("real_time_line", "01.02.2024 10:20:30");
    app.check(enable_boxes[item]);

    app.click("write_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QStringLiteral("Запись завершена"));
    QCOMPARE(app.status_style(), QStringLiteral("QLabel {color:black;}"));

    const long expected[] = {17, 1, 0x0302, 28, 0x706E};
    const int regs[] = {0x0300, 0x0301, 0x0302, 0x0303, 0x1000};
    const long defaults[] = {1, 3, 0x0001, 1, -2};
    for (int i = 0; i < 5; ++i) {
        if (i == item)
            QCOMPARE(app.sim_register(regs[i]), expected[i]);
        else if (defaults[i] >= 0)
            QCOMPARE(app.sim_register(regs[i]), defaults[i]);
    }
    if (item == 4)
        QCOMPARE(app.sim_register(0x1001), 0x65BBL);
    // One frame and its confirmation, both in the log.
    QCOMPARE(app.sent_frames().size(), 1);
    QCOMPARE(app.log_text().count("<- "), 1);
}

void tst_e2e_write::all_items_data()
{
    QTest::addColumn<bool>("by_serial");
    QTest::newRow("by address") << false;
    QTest::newRow("by serial") << true;
}

void tst_e2e_write::all_items()
{
    QFETCH(bool, by_serial);
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    app.answer_questions(QMessageBox::Yes); // the rate and the parity are asked first
    app.address_meter(by_serial);
    app.set_text("adr_line_w", "5");
    app.window().findChild<QComboBox *>("speed_box_w")->setCurrentIndex(2);
    app.window().findChild<QComboBox *>("bit_box_w")->setCurrentIndex(3);
    app.set_text("date_line_w", "15");
    app.check("hend_time");
    app.set_text("real_time_line", "31.12.2023 23:59:59");
    for (const char *box : enable_boxes)
        app.check(box);

    app.click("write_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QStringLiteral("Запись завершена"));
    QCOMPARE(app.sim_register(0x0300), 5L);
    QCOMPARE(app.sim_register(0x0301), 2L);
    QCOMPARE(app.sim_register(0x0302), 0x0202L);
    QCOMPARE(app.sim_register(0x0303), 15L);
    const long seconds = app.sim_register(0x1000) | app.sim_register(0x1001) << 16;
    QCOMPARE(seconds, 1704067199L);

    // Every frame goes to the meter addressed when the run began, although the
    // first one gave it a new address.
    const QStringList sent = app.sent_frames();
    QCOMPARE(sent.size(), 5);
    for (const QString &frame : sent)
        QVERIFY2(frame.startsWith(by_serial ? "fd 4" : "01 "), qPrintable(frame));
    QCOMPARE(app.log_text().count("<- "), 5);
}

void tst_e2e_write::manual_time_far_from_utc()
{
    // The meter keeps wall time as if it were UTC, wherever the computer is.
    const QByteArray previous = qgetenv("TZ");
    qputenv("TZ", "Pacific/Kiritimati"); // UTC+14
    tzset();
    {
        AppOnLine app;
        QVERIFY2(app.start(), qPrintable(app.error()));
        app.check("adr_click");
        app.check("hend_time");
        app.check("write_time_click");
        app.set_text("real_time_line", "01.02.2024 10:20:30");
        app.click("write_btn");
        QVERIFY(app.wait_idle());
        QCOMPARE(app.status(), QStringLiteral("Запись завершена"));
        QCOMPARE(app.sim_register(0x1000) | app.sim_register(0x1001) << 16, 1706782830L);
    }
    if (previous.isEmpty())
        qunsetenv("TZ");
    else
        qputenv("TZ", previous);
    tzset();
}

void tst_e2e_write::computer_clock()
{
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    app.check("adr_click");
    app.check("write_time_click");
    app.set_text("real_time_line", "30.01.2024 15:42:10"); // the meter's, as the last poll showed it
    const QDateTime now = QDateTime::currentDateTime();
    const qint64 before = QDateTime(now.date(), now.time(), Qt::UTC).toSecsSinceEpoch();
    app.click("write_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QStringLiteral("Запись завершена"));
    const qint64 written = app.sim_register(0x1000) | app.sim_register(0x1001) << 16;
    QVERIFY2(written >= before && written <= before + 30, qPrintable(QString::number(written - before)));
    // The clock field shows the time written, marked as confirmed.
    QCOMPARE(app.text("real_time_line"), quantity::clock(qint32(written)));
    QCOMPARE(app.window().findChild<QLineEdit *>("real_time_line")->toolTip(), QStringLiteral("Записано"));
}

// "Нет" sends nothing; "Да" writes. The question says how the meter will
// answer after its restart.
void tst_e2e_write::rate_and_parity_asked_first()
{
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    app.check("adr_click");
    app.check("speed_click_w");
    app.check("bit_click_w");
    app.window().findChild<QComboBox *>("speed_box_w")->setCurrentIndex(1);
    app.window().findChild<QComboBox *>("bit_box_w")->setCurrentIndex(5);

    app.answer_questions(QMessageBox::No);
    app.click("write_btn");
    QCOMPARE(app.status(), QStringLiteral("Запись отменена"));
    QVERIFY(app.sent_frames().isEmpty());
    QCOMPARE(app.line().command("count"), QStringLiteral("ok 0"));
    QCOMPARE(app.questions().size(), 1);
    QVERIFY2(app.questions().at(0).contains("скорость 2400 в настройках порта; стоп-битов 2, проверка на четность"),
             qPrintable(app.questions().at(0)));

    app.answer_questions(QMessageBox::Yes);
    app.click("write_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QStringLiteral("Запись завершена"));
    QCOMPARE(app.sim_register(0x0301), 1L);
    QCOMPARE(app.sim_register(0x0302), 0x0302L);
}

void tst_e2e_write::nothing_checked()
{
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    app.check("adr_click");
    app.click("write_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QStringLiteral("Запись завершена"));
    QVERIFY(app.log_text().isEmpty());
}

void tst_e2e_write::silent_meter_is_not_confirmed()
{
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    QVERIFY(app.line().command("fault silence").startsWith("ok"));
    app.check("adr_click");
    app.check("adr_click_w");
    app.check("date_save_w");
    app.set_text("adr_line_w", "9");
    app.set_text("date_line_w", "3");
    app.click("write_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QStringLiteral("Запись не подтверждена"));
    QCOMPARE(app.status_style(), QStringLiteral("QLabel {color:red;}"));
    QCOMPARE(app.sent_frames().size(), 1); // the save date is not sent after an unconfirmed write
}

void tst_e2e_write::slow_meter_is_confirmed()
{
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    app.answer_questions(QMessageBox::Yes); // the rate and the parity are asked first
    QVERIFY(app.line().command("fault delay 250").startsWith("ok"));
    app.check("adr_click");
    app.check("speed_click_w");
    app.check("bit_click_w");
    app.click("write_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QStringLiteral("Запись завершена"));
    QCOMPARE(app.sim_register(0x0301), 0L);
    QCOMPARE(app.sim_register(0x0302), 1L);
}

void tst_e2e_write::garbled_answer_is_not_confirmed()
{
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    app.answer_questions(QMessageBox::Yes); // the rate and the parity are asked first
    QVERIFY(app.line().command("fault wrongaddr count=1").startsWith("ok"));
    app.check("adr_click");
    app.check("speed_click_w");
    app.check("date_save_w");
    app.set_text("date_line_w", "3");
    app.click("write_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QStringLiteral("Запись не подтверждена"));
    QCOMPARE(app.sent_frames().size(), 1);
}

void tst_e2e_write::exception_stops_the_rest()
{
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    app.answer_questions(QMessageBox::Yes); // the rate and the parity are asked first
    QVERIFY(app.line().command("exception 0x0301 2").startsWith("ok"));
    app.check("adr_click");
    app.check("speed_click_w");
    app.check("date_save_w");
    app.set_text("date_line_w", "3");
    app.click("write_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QStringLiteral("Неизвестный адрес регистра"));
    QCOMPARE(app.sent_frames().size(), 1);
    QCOMPARE(app.sim_register(0x0303), 1L);
    QVERIFY(app.log_text().contains("<- 01 86 02"));
}

// The address written, the save date refused (the meter keeps 1..31), the
// clock never sent: each field says what became of it.
void tst_e2e_write::each_item_marked_with_its_result()
{
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    app.check("adr_click");
    app.set_text("adr_line_w", "7");
    app.set_text("date_line_w", "40");
    for (const char *box : {"adr_click_w", "date_save_w", "write_time_click"})
        app.check(box);
    app.click("write_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QStringLiteral("Неверное значение параметра"));
    QCOMPARE(app.sim_register(0x0300), 7L);
    QCOMPARE(app.sent_frames().size(), 2);

    const auto field = [&app](const char *name) { return app.window().findChild<QWidget *>(name); };
    QCOMPARE(field("adr_line_w")->styleSheet(), QStringLiteral("QLineEdit {background-color: #c8f0c8;}"));
    QCOMPARE(field("adr_line_w")->toolTip(), QStringLiteral("Записано\nДля следующего обмена: адрес 7 в поле адреса"));
    QCOMPARE(field("date_line_w")->styleSheet(), QStringLiteral("QLineEdit {background-color: #f5c4c4;}"));
    QCOMPARE(field("date_line_w")->toolTip(), QStringLiteral("Неверное значение параметра"));
    for (const char *untouched : {"real_time_line", "speed_box_w", "bit_box_w"}) {
        QCOMPARE(field(untouched)->styleSheet(), QString());
        QCOMPARE(field(untouched)->toolTip(), QString());
    }
    QVERIFY(app.log_text().contains("\nДля следующего обмена: адрес 7 в поле адреса"));

    // The next write starts unmarked: the marks spoke of the last one.
    app.check("adr_click_w", false);
    app.check("write_time_click", false);
    app.set_text("date_line_w", "12");
    app.click("write_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QStringLiteral("Запись завершена"));
    QCOMPARE(field("adr_line_w")->styleSheet(), QString());
    QCOMPARE(field("date_line_w")->styleSheet(), QStringLiteral("QLineEdit {background-color: #c8f0c8;}"));
    QCOMPARE(field("date_line_w")->toolTip(), QStringLiteral("Записано"));
}

void tst_e2e_write::invalid_inputs_send_nothing_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("new address 0") << "adr_click_w"
                                   << "adr_line_w"
                                   << "0"
                                   << "Неверный новый адрес устройства";
    QTest::newRow("new address 248") << "adr_click_w"
                                     << "adr_line_w"
                                     << "248"
                                     << "Неверный новый адрес устройства";
    QTest::newRow("new address typo") << "adr_click_w"
                                      << "adr_line_w"
                                      << "1O"
                                      << "Неверный новый адрес устройства";
    QTest::newRow("save date 70000") << "date_save_w"
                                     << "date_line_w"
                                     << "70000"
                                     << "Неверная дата сохранения";
    QTest::newRow("save date empty") << "date_save_w"
                                     << "date_line_w"
                                     << ""
                                     << "Неверная дата сохранения";
    QTest::newRow("time without seconds") << "write_time_click"
                                          << "real_time_line"
                                          << "01.02.2024 10:20"
                                          << "Неверный формат времени";
    QTest::newRow("time in 2107") << "write_time_click"
                                  << "real_time_line"
                                  << "01.01.2107 00:00:00"
                                  << "Часы счетчика хранят время от 01.01.1970 00:00:00 до 19.01.2038 03:14:07";
    QTest::newRow("device address 0") << "speed_click_w"
                                      << "adr_line"
                                      << "0"
                                      << "Неверный адрес устройства";
}

void tst_e2e_write::invalid_inputs_send_nothing()
{
    QFETCH(QString, box);
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    app.check("adr_click");
    app.check("hend_time");
    app.check("speed_click_w"); // a valid item before the bad one is not sent either
    app.check(qPrintable(box));
    app.set_text(qPrintable(field), text);
    app.click("write_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), message);
    QCOMPARE(app.status_style(), QStringLiteral("QLabel {color:red;}"));
    QVERIFY(app.sent_frames().isEmpty());
    QCOMPARE(app.line().command("count"), QStringLiteral("ok 0"));
}

void tst_e2e_write::waits_for_other_exchanges()
{
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    app.check("adr_click");
    app.check("speed_click_w");
    app.click("param_btn");
    app.click("write_btn");
    QCOMPARE(app.status(), QStringLiteral("Дождитесь окончания обмена"));
    QVERIFY(!app.probe().writing());
    QVERIFY(app.wait_idle());
    QCOMPARE(app.text("ver_prot_line"), QStringLiteral("3")); // the poll went on undisturbed
    QCOMPARE(app.sim_register(0x0301), 3L);                   // and nothing was written
    QVERIFY(!app.log_text().contains("01 06 03 01"));
}

QTEST_MAIN(tst_e2e_write)
#include "tst_e2e_write.moc"
