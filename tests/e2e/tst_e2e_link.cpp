// The serial channel over a real (virtual) serial line.
#include "app_on_line.h"
#include "config/port_settings.h"
#include "link/frames.h"
#include "link/io_port.h"

#include <QtTest>

class tst_e2e_link : public QObject
{
    Q_OBJECT
private slots:
    void start_opens_the_configured_port();
    void start_with_a_missing_port();
    void second_start_delivers_each_chunk_once();
    void split_answer_arrives_whole();
};

void tst_e2e_link::start_opens_the_configured_port()
{
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    QCOMPARE(app.text("start_btn"), QStringLiteral("Соединение установлено"));
}

void tst_e2e_link::start_with_a_missing_port()
{
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    app.line().unplug(); // the pty disappears with socat
    QVERIFY(app.wait_for([&] { return !QFile::exists(app.line().program_port()); }, 10000));
    app.click("start_btn");
    QCOMPARE(app.text("start_btn"), QStringLiteral("Нет соединения"));
}

void tst_e2e_link::second_start_delivers_each_chunk_once()
{
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    app.click("start_btn");
    QCOMPARE(app.text("start_btn"), QStringLiteral("Соединение установлено"));

    // A chunk delivered twice would double every answer, and the poll would
    // find nothing of the right length.
    app.check("adr_click");
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QString());
    QCOMPARE(app.text("ver_prot_line"), QStringLiteral("3"));
    QCOMPARE(app.sent_frames().size(), 31);
}

void tst_e2e_link::split_answer_arrives_whole()
{
    SimLine line;
    QVERIFY2(line.start(), qPrintable(line.error()));
    QCOMPARE(line.command("fault split 3 40 count=1").left(2), QStringLiteral("ok"));

    io_port port;
    SerialLine wanted, used;
    wanted.port_name = line.program_port();
    QVERIFY(port.open_port(wanted, &used));
    port.send(modbus::read_registers_request(MeterTarget{}, 0x0004, 3));

    QList<QByteArray> chunks;
    QByteArray answer;
    QVERIFY(QTest::qWaitFor(
        [&] {
            port.take(chunks);
            answer = chunks.isEmpty() ? QByteArray() : chunks.join();
            return answer.size() >= 11;
        },
        10000));
    QCOMPARE(answer.size(), 11);
    QVERIFY2(chunks.size() >= 2, "the pauses between the parts should give separate chunks");
    QCOMPARE(answer.left(3), QByteArray::fromHex("010306"));
    port.close_port();
}

QTEST_MAIN(tst_e2e_link)
#include "tst_e2e_link.moc"
