// The search's state machine against a line of made-up devices: what is
// asked, in which order, with which wait, and what is kept of the answers.
#include "link/crc.h"
#include "link/frames.h"
#include "scan/line_scan.h"

#include <QMap>
#include <QSet>
#include <QtTest>

using namespace scan;

namespace {

struct FakeDevice
{
    QMap<quint16, quint16> registers;
    int answers_left = -1; // -1: never falls silent
    QSet<quint16> refused; // answered with exception 2
};

// Answers the requests of the scan as devices on one line would.
class FakeLine
{
public:
    QMap<int, FakeDevice> devices;
    QList<QByteArray> asked;
    QList<int> waits;

    QByteArray answer(const Exchange &exchange)
    {
        const QByteArray &request = exchange.request;
        asked << request;
        waits << exchange.wait_ms;
        const int address = quint8(request[0]);
        if (!devices.contains(address))
            return {};
        FakeDevice &device = devices[address];
        if (device.answers_left == 0)
            return {};
        if (device.answers_left > 0)
            --device.answers_left;
        const quint16 reg = quint16(quint8(request[2]) << 8 | quint8(request[3]));
        const int count = quint8(request[5]);
        if (device.refused.contains(reg)) {
            QByteArray refusal;
            refusal.append(char(address)).append('\x83').append('\x02');
            return with_crc(refusal);
        }
        QByteArray frame;
        frame.append(char(address)).append('\x03').append(char(2 * count));
        for (int i = 0; i < count; ++i) {
            const quint16 value = device.registers.value(quint16(reg + i));
            frame.append(char(value >> 8)).append(char(value & 0xFF));
        }
        return with_crc(frame);
    }

    void run(LineScan &scan)
    {
        while (!scan.finished())
            scan.conclude(answer(scan.exchange()));
    }
};

FakeDevice meter(quint16 serial_low)
{
    FakeDevice d;
    d.registers = {{0x0009, 3},      {0x0000, 0x0105}, {0x0008, 0x0C15}, {0x0004, serial_low},
                   {0x0005, 0x3456}, {0x0006, 0x0012}, {0x0304, 6}};
    return d;
}

Settings settings(int first, int last)
{
    Settings s;
    s.range = *address_range(first, last);
    s.wait_ms = 100;
    s.fail_period_ms = 400;
    s.line.baud_rate = 9600;
    return s;
}

QByteArray read(int address, quint16 reg, quint16 count)
{
    MeterTarget target;
    target.address = quint8(address);
    return modbus::read_registers_request(target, reg, count);
}

QByteArray probe(int address)
{
    return read(address, 0x0009, 1);
}

// The reads after a device has answered its probe.
QList<QByteArray> identification(int address)
{
    return {read(address, 0x0000, 1), read(address, 0x0008, 1), read(address, 0x0004, 3), read(address, 0x0304, 1)};
}

QByteArray frame(const char *hex)
{
    return with_crc(QByteArray::fromHex(hex));
}

} // namespace

class tst_line_scan : public QObject
{
    Q_OBJECT
private slots:
    void empty_line();
    void progress_counts_addresses();
    void meters_are_identified();
    void waits();
    void meter_falls_silent_data();
    void meter_falls_silent();
    void exceptions_data();
    void exceptions();
    void not_an_answer_data();
    void not_an_answer();
    void garbled_during_identification();
    void late_bytes_in_front();
    void incomplete_answer_waits();
    void stop_data();
    void stop();
    void nothing_after_the_end();
};

void tst_line_scan::empty_line()
{
    FakeLine line;
    LineScan scan(settings(1, 5));
    line.run(scan);
    QVERIFY(scan.finished());
    QVERIFY(!scan.stopped());
    QVERIFY(scan.meters().isEmpty());
    QCOMPARE(line.asked, (QList<QByteArray>{probe(1), probe(2), probe(3), probe(4), probe(5)}));
}

// The main window's bar shows it: "2 из 5", never "0 из 0".
void tst_line_scan::progress_counts_addresses()
{
    FakeLine line;
    line.devices[4] = meter(0x78AB);
    LineScan scan(settings(3, 7));
    QCOMPARE(scan.progress().done, 0);
    QCOMPARE(scan.progress().total, 5);
    scan.conclude(QByteArray()); // 3 is silent
    QCOMPARE(scan.progress().done, 1);
    scan.conclude(line.answer(scan.exchange())); // 4 answers: its identification follows
    QCOMPARE(scan.progress().done, 1);
    line.run(scan);
    QCOMPARE(scan.progress().done, 5);
    QCOMPARE(scan.progress().total, 5);
}

void tst_line_scan::meters_are_identified()
{
    FakeLine line;
    line.devices[2] = meter(0x78AB);
    line.devices[4] = meter(0x78AC);
    LineScan scan(settings(1, 5));
    line.run(scan);

    const QList<QByteArray> expected = QList<QByteArray>{probe(1), probe(2)} + identification(2)
        + QList<QByteArray>{probe(3), probe(4)} + identification(4) + QList<QByteArray>{probe(5)};
    QCOMPARE(line.asked, expected);
    QVERIFY(!scan.stopped());
    QCOMPARE(scan.meters().size(), 2);
    const MeterIdentity &first = scan.meters().at(0);
    QCOMPARE(first.address, 2);
    QVERIFY(first.complete);
    QCOMPARE(first.data[protocol_version].toHex(), QByteArray("0003"));
    QCOMPARE(first.data[software_version].toHex(), QByteArray("0105"));
    QCOMPARE(first.data[model_code].toHex(), QByteArray("0c15"));
    QCOMPARE(first.data[serial_number].toHex(), QByteArray("78ab34560012"));
    QCOMPARE(first.data[device_type].toHex(), QByteArray("0006"));
    QCOMPARE(scan.meters().at(1).address, 4);
    QCOMPARE(scan.meters().at(1).data[serial_number].toHex(), QByteArray("78ac34560012"));
}

// Unknown addresses get the short wait, a meter that answered the long one.
void tst_line_scan::waits()
{
    FakeLine line;
    line.devices[1] = meter(1);
    Settings s = settings(1, 2);
    LineScan scan(s);
    QCOMPARE(scan.exchange().answer_length, 7);
    line.run(scan);
    const int probe_ms = probe_wait_ms(s.line, 8, 7, 100);
    const int meter_ms = meter_wait_ms(s.line, 8, 7, 400);
    QCOMPARE(probe_ms, 120);
    QCOMPARE(meter_ms, 400);
    QCOMPARE(line.waits,
             (QList<int>{probe_ms, meter_ms, meter_ms, meter_wait_ms(s.line, 8, 11, 400), meter_ms, probe_ms}));
}

void tst_line_scan::meter_falls_silent_data()
{
    QTest::addColumn<int>("answers");
    for (int n = 1; n < field_count; ++n)
        QTest::addRow("after %d answers", n) << n;
}

// It keeps what it gave and is not asked on: the scan goes to the next address.
void tst_line_scan::meter_falls_silent()
{
    QFETCH(int, answers);
    FakeLine line;
    line.devices[3] = meter(0x78AB);
    line.devices[3].answers_left = answers;
    line.devices[4] = meter(0x78AC);
    LineScan scan(settings(3, 4));
    line.run(scan);

    QCOMPARE(line.asked.mid(0, answers + 1), (QList<QByteArray>{probe(3)} + identification(3)).mid(0, answers + 1));
    QCOMPARE(line.asked.at(answers + 1), probe(4));
    QCOMPARE(scan.meters().size(), 2);
    const MeterIdentity &silent = scan.meters().first();
    QVERIFY(silent.complete);
    for (int f = 0; f < field_count; ++f)
        QCOMPARE(silent.data[size_t(f)].isEmpty(), f >= answers);
    QVERIFY(!scan.meters().at(1).data[device_type].isEmpty());
}

void tst_line_scan::exceptions_data()
{
    QTest::addColumn<int>("refused_register");
    QTest::addColumn<int>("field");
    QTest::newRow("protocol version") << 0x0009 << int(protocol_version);
    QTest::newRow("model") << 0x0008 << int(model_code);
    QTest::newRow("device type") << 0x0304 << int(device_type);
}

// An exception is an answer from a device that is there: nothing is kept of
// it, and the device is asked on.
void tst_line_scan::exceptions()
{
    QFETCH(int, refused_register);
    QFETCH(int, field);
    FakeLine line;
    line.devices[7] = meter(0x78AB);
    line.devices[7].refused = {quint16(refused_register)};
    LineScan scan(settings(7, 8));
    line.run(scan);
    QCOMPARE(line.asked, QList<QByteArray>{probe(7)} + identification(7) + QList<QByteArray>{probe(8)});
    QCOMPARE(scan.meters().size(), 1);
    for (int f = 0; f < field_count; ++f)
        QCOMPARE(scan.meters().first().data[size_t(f)].isEmpty(), f == field);
}

void tst_line_scan::not_an_answer_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("listed"); // as a device whose answer was not understood
    const QByteArray good = frame("0503020003");
    QByteArray bad_crc = good;
    bad_crc[bad_crc.size() - 1] = char(bad_crc.at(bad_crc.size() - 1) ^ 0x5A);
    QTest::newRow("bad CRC") << bad_crc << true;
    QTest::newRow("garbage") << QByteArray::fromHex("9c07e2ff41") << true;
    QTest::newRow("one byte") << QByteArray::fromHex("00") << true;
    QTest::newRow("echo, then garbage") << probe(5) + QByteArray::fromHex("9c07e2") << true;
    QTest::newRow("other function") << frame("0504020003") << true;
    QTest::newRow("wrong byte count") << frame("050304000300") << true;
    QTest::newRow("too short") << good.left(6) << true;
    QTest::newRow("exception for another function") << frame("058402") << true;
    QTest::newRow("other address: a late answer") << frame("0603020003") << false;
    QTest::newRow("exception of another device") << frame("068302") << false;
    QTest::newRow("the request echoed") << probe(5) << false;
    QTest::newRow("nothing") << QByteArray() << false;
}

void tst_line_scan::not_an_answer()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, listed);
    LineScan scan(settings(5, 6));
    QVERIFY(!scan.is_answer(bytes));
    const LineScan::Step step = scan.conclude(bytes);
    QVERIFY(!step.answered);
    QCOMPARE(step.meter, listed ? 0 : -1);
    QCOMPARE(scan.meters().size(), listed ? 1 : 0);
    if (listed) {
        const MeterIdentity &device = scan.meters().first();
        QCOMPARE(device.address, 5);
        QVERIFY(device.garbled);
        QVERIFY(device.complete);
        for (const QByteArray &data : device.data)
            QVERIFY(data.isEmpty());
    }
    // Not asked on either way.
    QCOMPARE(scan.exchange().request, probe(6));
}

// Garbled bytes after a meter has answered its probe are no answer: the
// meter keeps what it gave and stays a meter.
void tst_line_scan::garbled_during_identification()
{
    FakeLine line;
    line.devices[3] = meter(0x78AB);
    LineScan scan(settings(3, 4));
    scan.conclude(line.answer(scan.exchange()));
    scan.conclude(QByteArray::fromHex("9c07e2ff41"));
    line.run(scan);
    QCOMPARE(scan.meters().size(), 1);
    QVERIFY(!scan.meters().first().garbled);
    QCOMPARE(scan.meters().first().data[protocol_version].toHex(), QByteArray("0003"));
    QVERIFY(scan.meters().first().data[software_version].isEmpty());
    QCOMPARE(line.asked.last(), probe(4));
}

// A slow device's answer may still be arriving when the next one is asked.
void tst_line_scan::late_bytes_in_front()
{
    LineScan scan(settings(5, 6));
    for (const QByteArray &in_front : {QByteArray::fromHex("0403020003"), frame("048302"), frame("0403020003")}) {
        QVERIFY(scan.is_answer(in_front + frame("0503020003")));
        QVERIFY(scan.is_answer(in_front + frame("058302")));
    }
    const LineScan::Step step = scan.conclude(QByteArray::fromHex("ffee") + frame("0503020002"));
    QVERIFY(step.answered);
    QCOMPARE(step.meter, 0);
    QCOMPARE(scan.meters().first().data[protocol_version].toHex(), QByteArray("0002"));
}

void tst_line_scan::incomplete_answer_waits()
{
    LineScan scan(settings(5, 6));
    const QByteArray answer = frame("0503020003");
    for (int n = 0; n < answer.size(); ++n)
        QVERIFY2(!scan.is_answer(answer.left(n)), qPrintable(QString::number(n)));
    QVERIFY(scan.is_answer(answer));
    // Only a look: the exchange is still the same.
    QCOMPARE(scan.exchange().request, probe(5));
    QVERIFY(scan.meters().isEmpty());
}

void tst_line_scan::stop_data()
{
    QTest::addColumn<int>("exchanges"); // concluded before the stop
    QTest::addColumn<int>("meters");
    QTest::addColumn<int>("fields"); // of the last meter
    QTest::newRow("while asking an empty address") << 0 << 0 << 0;
    QTest::newRow("while asking a meter's address") << 1 << 1 << 1;
    QTest::newRow("in the middle of the identification") << 3 << 1 << 3;
    QTest::newRow("at its last read") << 5 << 1 << 5;
}

// Stop ends the search once the current exchange is over; a meter being
// identified keeps what it gave.
void tst_line_scan::stop()
{
    QFETCH(int, exchanges);
    QFETCH(int, meters);
    QFETCH(int, fields);
    FakeLine line;
    line.devices[2] = meter(0x78AB);
    LineScan scan(settings(1, 5));
    for (int i = 0; i < exchanges; ++i)
        scan.conclude(line.answer(scan.exchange()));
    scan.stop();
    QVERIFY(!scan.finished());
    scan.conclude(line.answer(scan.exchange()));
    QVERIFY(scan.finished());
    QVERIFY(scan.stopped());
    QCOMPARE(line.asked.size(), exchanges + 1);
    QCOMPARE(scan.meters().size(), meters);
    if (meters > 0) {
        const MeterIdentity &m = scan.meters().last();
        QVERIFY(m.complete);
        for (int f = 0; f < field_count; ++f)
            QCOMPARE(m.data[size_t(f)].isEmpty(), f >= fields);
    }
}

void tst_line_scan::nothing_after_the_end()
{
    FakeLine line;
    line.devices[9] = meter(1);
    LineScan scan(settings(9, 9));
    line.run(scan);
    QCOMPARE(line.asked.size(), 5);
    QVERIFY(!scan.is_answer(frame("0903020003")));
    const LineScan::Step step = scan.conclude(frame("0903020003"));
    QVERIFY(!step.answered);
    QCOMPARE(step.meter, -1);
    QCOMPARE(scan.meters().size(), 1);
}

QTEST_APPLESS_MAIN(tst_line_scan)
#include "tst_line_scan.moc"
