// Answers are handled as soon as they are whole; the periods only bound the wait.
#include "app_on_line.h"

#include <QtTest>

class tst_e2e_pacing : public QObject
{
    Q_OBJECT
private slots:
    void answer_in_chunks_within_the_period();
    void answer_just_after_the_period();
    void slow_line_needs_no_wait();
    void slow_line_write();
    void frames_keep_the_silence_between_them();
};

void tst_e2e_pacing::answer_in_chunks_within_the_period()
{
    AppOnLine app;
    LinePeriods periods;
    periods.main_ok_ms = 300;
    QVERIFY2(app.start({}, {}, periods), qPrintable(app.error()));
    QVERIFY(app.line().command("fault split 3 40").startsWith("ok"));
    app.check("adr_click");
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QString());
    QCOMPARE(app.probe().line_stats().waits, 0);
    QCOMPARE(app.probe().line_stats().resends, 0);
    QCOMPARE(app.sent_frames().size(), 31);
    QCOMPARE(app.text("serial_num_line"), QStringLiteral("0012345678ab"));
}

void tst_e2e_pacing::answer_just_after_the_period()
{
    AppOnLine app;
    // Poll period 100 ms, so the wait is the line's: about 20 ms of frames
    // plus 200 ms of turnaround allowance. Then a wait of the 400 ms failure period.
    QVERIFY2(app.start(), qPrintable(app.error()));
    QVERIFY(app.line().command("fault delay 320 reg=0x0000 count=1").startsWith("ok"));
    app.check("adr_click");
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    // The late answer came during the wait and was taken as it came: no resend.
    QCOMPARE(app.status(), QString());
    QCOMPARE(app.probe().line_stats().waits, 1);
    QCOMPARE(app.probe().line_stats().resends, 0);
    QCOMPARE(app.sent_frames().size(), 31);
    QCOMPARE(app.text("ver_PO_line"), QStringLiteral("1.05"));
    QCOMPARE(app.probe().compile_time(), QStringLiteral("14253000"));
}

void tst_e2e_pacing::slow_line_needs_no_wait()
{
    // At 1200 baud a poll exchange takes longer on the wire than at 9600; the
    // default periods must still see every answer in time.
    AppOnLine app;
    QVERIFY2(app.start({"--wire-time", "--baud", "1200"}, {}, LinePeriods::defaults(1200)), qPrintable(app.error()));
    app.check("adr_click");
    app.click("param_btn");
    QVERIFY(app.wait_idle(120000));
    QCOMPARE(app.status(), QString());
    QCOMPARE(app.probe().line_stats().waits, 0);
    QCOMPARE(app.probe().line_stats().resends, 0);
    QCOMPARE(app.sent_frames().size(), 31);
    QCOMPARE(app.text("real_state_lin"), QStringLiteral("12.346"));
}

void tst_e2e_pacing::slow_line_write()
{
    AppOnLine app;
    QVERIFY2(app.start({"--wire-time", "--baud", "1200"}, {}, LinePeriods::defaults(1200)), qPrintable(app.error()));
    app.answer_questions(QMessageBox::Yes); // the rate and the parity are asked first
    app.check("adr_click");
    for (const char *box : {"adr_click_w", "speed_click_w", "bit_click_w", "date_save_w", "write_time_click"})
        app.check(box);
    app.set_text("adr_line_w", "9");
    app.set_text("date_line_w", "20");
    app.click("write_btn");
    QVERIFY(app.wait_idle(60000));
    QCOMPARE(app.status(), QStringLiteral("Запись завершена"));
    QCOMPARE(app.sim_register(0x0300), 9L);
    QCOMPARE(app.sim_register(0x0303), 20L);
}

void tst_e2e_pacing::frames_keep_the_silence_between_them()
{
    // The stand-in notes any request that starts sooner than the silence a
    // real line needs after its answer.
    AppOnLine app;
    QVERIFY2(app.start({"--wire-time", "--baud", "9600"}, {}, LinePeriods::defaults(9600)), qPrintable(app.error()));
    app.check("adr_click");
    app.click("param_btn");
    QVERIFY(app.wait_idle(60000));
    QCOMPARE(app.status(), QString());
    QCOMPARE(app.line().command("count"), QStringLiteral("ok 31"));
    const QString log = app.line().sim_log().join('\n');
    QVERIFY2(!log.contains("too early"), qPrintable(log));
    QVERIFY(!log.contains("discarded"));
}

QTEST_MAIN(tst_e2e_pacing)
#include "tst_e2e_pacing.moc"
