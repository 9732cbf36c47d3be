// The stand-in end to end: a plain QSerialPort as master on one end of a
// socat pty pair, meter_sim on the other, driven through SimLine.

#include "sim_line.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

namespace {

// Own CRC and hex helpers: this test checks the stand-in from outside.
quint16 crc(const QByteArray &b)
{
    quint16 c = 0xFFFF;
    for (const char ch : b) {
        c ^= quint8(ch);
        for (int i = 0; i < 8; ++i)
            c = (c & 1) ? quint16((c >> 1) ^ 0xA001) : quint16(c >> 1);
    }
    return c;
}

QByteArray frame(const char *hex_text)
{
    QByteArray b = QByteArray::fromHex(QByteArray(hex_text).replace(' ', ""));
    const quint16 c = crc(b);
    b.append(char(c & 0xFF));
    b.append(char(c >> 8));
    return b;
}

bool crc_ok(const QByteArray &b)
{
    return b.size() >= 3
        && crc(b.left(b.size() - 2)) == (quint8(b.at(b.size() - 2)) | (quint8(b.at(b.size() - 1)) << 8));
}

QString hex(const QByteArray &b)
{
    return QString::fromLatin1(b.toHex(' '));
}

const QByteArray read_version = frame("01 03 00 09 00 01");
const QByteArray version_answer = frame("01 03 02 00 03");

// A bare Modbus master: writes requests and collects what comes back,
// remembering when each chunk arrived.
class master : public QObject
{
public:
    bool open(const QString &port)
    {
        serial.setPortName(port);
        QObject::connect(&serial, &QSerialPort::readyRead, this, [this] {
            const QByteArray chunk = serial.readAll();
            if (chunk.isEmpty())
                return;
            received += chunk;
            arrivals.append(clock.elapsed());
        });
        clock.start();
        return serial.open(QIODevice::ReadWrite);
    }
    void send(const QByteArray &bytes)
    {
        sent_at = clock.elapsed();
        serial.write(bytes);
        serial.flush();
    }
    bool wait_for(int bytes, int timeout_ms = 10000)
    {
        return QTest::qWaitFor([&] { return received.size() >= bytes; }, timeout_ms);
    }
    void reset()
    {
        received.clear();
        arrivals.clear();
    }
    // Pauses between chunks of at least `ms`.
    int gaps_of(int ms) const
    {
        int n = 0;
        for (int i = 1; i < arrivals.size(); ++i) {
            if (arrivals.at(i) - arrivals.at(i - 1) >= ms)
                ++n;
        }
        return n;
    }

    QSerialPort serial;
    QByteArray received;
    QVector<qint64> arrivals;
    QElapsedTimer clock;
    qint64 sent_at = 0;
};

} // namespace

class tst_sim_line : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();

    void answers_a_read();
    void split_request_is_assembled();
    void junk_before_a_request_is_skipped();
    void faults_that_change_the_bytes();
    void faults_that_change_the_bytes_data();
    void silence_fault();
    void delay_fault();
    void split_fault();
    void echo_fault();
    void wire_time_paces_an_archive_answer();
    void control_channel();
    void several_meters_share_the_line();
    void start_failures_are_reported();
    void quit_and_unplug();

private:
    bool start(const QStringList &args = QStringList(), const QString &meter_file = QString());

    std::unique_ptr<SimLine> line;
    std::unique_ptr<master> bus;
};

bool tst_sim_line::start(const QStringList &args, const QString &meter_file)
{
    line.reset(new SimLine);
    if (!line->start(args, meter_file)) {
        qWarning("%s", qPrintable(line->error()));
        return false;
    }
    bus.reset(new master);
    if (!bus->open(line->program_port())) {
        qWarning("cannot open %s", qPrintable(line->program_port()));
        return false;
    }
    return true;
}

#define START_LINE(...)                                                                                                \
    do {                                                                                                               \
        if (QStandardPaths::findExecutable(QStringLiteral("socat")).isEmpty())                                         \
            QSKIP("socat is not installed");                                                                           \
        QVERIFY(start(__VA_ARGS__));                                                                                   \
    } while (false)

void tst_sim_line::cleanup()
{
    if (line && QTest::currentTestFailed())
        qWarning("stand-in log:\n%s", qPrintable(line->sim_log().join(QLatin1Char('\n'))));
    bus.reset();
    line.reset();
}

void tst_sim_line::answers_a_read()
{
    START_LINE();
    bus->send(read_version);
    QVERIFY(bus->wait_for(version_answer.size()));
    QCOMPARE(hex(bus->received), hex(version_answer));
    QCOMPARE(line->command(QStringLiteral("count")), QStringLiteral("ok 1"));
    QVERIFY(line->wait_for_log(QStringLiteral("rx 01 03 00 09 00 01 54 08")));
    QVERIFY(line->wait_for_log(QStringLiteral("tx 01 03 02 00 03 f8 45")));
}

void tst_sim_line::split_request_is_assembled()
{
    START_LINE();
    bus->send(read_version.left(3));
    // The stand-in says it holds an incomplete request before the rest comes.
    QVERIFY(line->wait_for_log(QStringLiteral("rx waiting 01 03 00 (3 of 8 bytes)")));
    bus->send(read_version.mid(3));
    QVERIFY(bus->wait_for(version_answer.size()));
    QCOMPARE(hex(bus->received), hex(version_answer));
}

void tst_sim_line::junk_before_a_request_is_skipped()
{
    START_LINE();
    bus->send(QByteArray::fromHex("55aa") + read_version);
    QVERIFY(bus->wait_for(version_answer.size()));
    QCOMPARE(hex(bus->received), hex(version_answer));
    QVERIFY(line->wait_for_log(QStringLiteral("rx discarded 55 aa")));
}

void tst_sim_line::faults_that_change_the_bytes_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("length");
    QTest::newRow("badcrc") << "badcrc" << 7;
    QTest::newRow("short") << "short" << 6;
    QTest::newRow("long") << "long" << 8;
    QTest::newRow("garbage") << "garbage" << 7;
    QTest::newRow("wrongaddr") << "wrongaddr" << 7;
}

void tst_sim_line::faults_that_change_the_bytes()
{
    QFETCH(QString, fault);
    QFETCH(int, length);
    START_LINE();
    QCOMPARE(line->command(QStringLiteral("fault %1 count=1").arg(fault)), QStringLiteral("ok"));
    bus->send(read_version);
    QVERIFY(bus->wait_for(length));
    // The next answer is good again, and starts right where the spoilt one ended.
    bus->send(read_version);
    QVERIFY(bus->wait_for(length + version_answer.size()));
    const QByteArray spoilt = bus->received.left(length);
    QCOMPARE(hex(bus->received.mid(length)), hex(version_answer));

    if (fault == QLatin1String("badcrc")) {
        QCOMPARE(spoilt.left(5), version_answer.left(5));
        QVERIFY(!crc_ok(spoilt));
    } else if (fault == QLatin1String("short")) {
        QCOMPARE(spoilt, version_answer.left(6));
    } else if (fault == QLatin1String("long")) {
        QCOMPARE(spoilt.left(7), version_answer);
    } else if (fault == QLatin1String("garbage")) {
        QVERIFY(spoilt != version_answer);
        QVERIFY(!crc_ok(spoilt));
    } else {
        QVERIFY(crc_ok(spoilt));
        QVERIFY(quint8(spoilt.at(0)) != 0x01);
        QCOMPARE(spoilt.mid(1, 4), version_answer.mid(1, 4));
    }
}

void tst_sim_line::silence_fault()
{
    START_LINE();
    QCOMPARE(line->command(QStringLiteral("fault silence count=1")), QStringLiteral("ok"));
    bus->send(read_version);
    QVERIFY(line->wait_for_log(QStringLiteral("no answer (fault silence)")));
    bus->send(read_version);
    QVERIFY(bus->wait_for(version_answer.size()));
    // Only the second request was answered.
    QCOMPARE(hex(bus->received), hex(version_answer));
    QCOMPARE(line->command(QStringLiteral("count")), QStringLiteral("ok 2"));
}

void tst_sim_line::delay_fault()
{
    START_LINE();
    QCOMPARE(line->command(QStringLiteral("fault delay 300")), QStringLiteral("ok"));
    bus->send(read_version);
    QVERIFY(bus->wait_for(version_answer.size()));
    QCOMPARE(hex(bus->received), hex(version_answer));
    QVERIFY2(bus->arrivals.first() - bus->sent_at >= 300,
             qPrintable(QString::number(bus->arrivals.first() - bus->sent_at)));
}

void tst_sim_line::split_fault()
{
    START_LINE();
    QCOMPARE(line->command(QStringLiteral("fault split 3 100")), QStringLiteral("ok"));
    bus->send(read_version);
    QVERIFY(bus->wait_for(version_answer.size()));
    QCOMPARE(hex(bus->received), hex(version_answer));
    QVERIFY2(bus->arrivals.size() >= 3, qPrintable(QString::number(bus->arrivals.size())));
    QVERIFY2(bus->gaps_of(50) >= 2, qPrintable(QString::number(bus->gaps_of(50))));
    QVERIFY(bus->arrivals.last() - bus->sent_at >= 200);
}

void tst_sim_line::echo_fault()
{
    START_LINE();
    QCOMPARE(line->command(QStringLiteral("fault echo")), QStringLiteral("ok"));
    bus->send(read_version);
    QVERIFY(bus->wait_for(read_version.size() + version_answer.size()));
    QCOMPARE(hex(bus->received), hex(read_version + version_answer));
    QCOMPARE(line->command(QStringLiteral("fault clear")), QStringLiteral("ok"));
    bus->reset();
    bus->send(read_version);
    QVERIFY(bus->wait_for(version_answer.size()));
    QCOMPARE(hex(bus->received), hex(version_answer));
}

void tst_sim_line::wire_time_paces_an_archive_answer()
{
    START_LINE({QStringLiteral("--wire-time"), QStringLiteral("--baud"), QStringLiteral("9600")},
               QStringLiteral("version = 2\n"));
    const QByteArray request = frame("01 44 01 00 00 18");
    QCOMPARE(hex(request), QStringLiteral("01 44 01 00 00 18 f0 33"));
    bus->send(request);
    QVERIFY(bus->wait_for(248));
    QCOMPARE(bus->received.size(), 248);
    QVERIFY(crc_ok(bus->received));
    // 248 bytes of 10 bits at 9600 baud take 258 ms; allow for coarse clocks.
    const qint64 took = bus->arrivals.last() - bus->sent_at;
    QVERIFY2(took >= 200, qPrintable(QString::number(took)));
    // Paced, not written in one go.
    QVERIFY2(bus->arrivals.size() >= 5, qPrintable(QString::number(bus->arrivals.size())));
}

void tst_sim_line::control_channel()
{
    START_LINE();
    QCOMPARE(line->command(QStringLiteral("get 0x0009")), QStringLiteral("ok 3"));
    QCOMPARE(line->command(QStringLiteral("get 4")), QStringLiteral("ok %1").arg(0x78AB));
    QVERIFY(line->command(QStringLiteral("get 0x0007")).startsWith(QLatin1String("error")));
    QCOMPARE(line->command(QStringLiteral("set 0x0303 21")), QStringLiteral("ok"));

    // By serial number, the value set is read back.
    bus->send(frame("fd 41 78 ab 34 56 00 12 03 03 00 01"));
    QVERIFY(bus->wait_for(13));
    QCOMPARE(hex(bus->received), hex(frame("fd 41 78 ab 34 56 00 12 02 00 15")));

    // A written value shows through get.
    bus->reset();
    bus->send(frame("01 06 03 01 00 02"));
    QVERIFY(bus->wait_for(8));
    QCOMPARE(line->command(QStringLiteral("get 0x0301")), QStringLiteral("ok 2"));

    // Archive records as the meter holds them are what the line carries.
    bus->reset();
    bus->send(frame("01 44 02 00 0a 02"));
    QVERIFY(bus->wait_for(6 + 2 * 14 + 2));
    const QString first = line->command(QStringLiteral("record 2 10"));
    const QString second = line->command(QStringLiteral("record daily 11"));
    QVERIFY(first.startsWith(QLatin1String("ok ")));
    QCOMPARE(first.mid(3), hex(bus->received.mid(6, 14)));
    QCOMPARE(second.mid(3), hex(bus->received.mid(20, 14)));
    QCOMPARE(line->command(QStringLiteral("record 1 0")),
             QStringLiteral("ok 0e f0 65 b9 30 39 00 00 00 00 00 28 00 00"));
    QVERIFY(line->command(QStringLiteral("record 1 336")).startsWith(QLatin1String("error")));

    // Forced exception on one register.
    QCOMPARE(line->command(QStringLiteral("exception 0x0009 4")), QStringLiteral("ok"));
    bus->reset();
    bus->send(read_version);
    QVERIFY(bus->wait_for(5));
    QCOMPARE(hex(bus->received), hex(frame("01 83 04")));
    QCOMPARE(line->command(QStringLiteral("exception clear")), QStringLiteral("ok"));

    // Frames for other meters do not count.
    bus->reset();
    bus->send(frame("07 03 00 09 00 01"));
    QVERIFY(line->wait_for_log(QStringLiteral("rx ignored 07 03")));
    QCOMPARE(line->command(QStringLiteral("count")), QStringLiteral("ok 4"));

    QVERIFY(line->command(QStringLiteral("meter 2 get 9")).startsWith(QLatin1String("error")));
    QVERIFY(line->command(QStringLiteral("fault explode")).startsWith(QLatin1String("error")));
    QVERIFY(line->command(QStringLiteral("frobnicate")).startsWith(QLatin1String("error")));
    QCOMPARE(line->command(QStringLiteral("meter 1 get 0x0008")), QStringLiteral("ok %1").arg(0x0C15));
}

void tst_sim_line::several_meters_share_the_line()
{
    START_LINE(QStringList(),
               QStringLiteral("[meter]\n"
                              "[meter]\naddress = 2\nserial = 000000000002\nfault = silence\n"
                              "[meter]\naddress = 3\nserial = 000000000003\nversion = 2\nfault = garbage\n"));
    QVERIFY(line->wait_for_log(QStringLiteral("meter 3: address 3")));

    bus->send(frame("02 03 00 09 00 01"));
    QVERIFY(line->wait_for_log(QStringLiteral("no answer (fault silence)")));
    bus->send(frame("03 03 00 09 00 01"));
    QVERIFY(bus->wait_for(7));
    QVERIFY(!crc_ok(bus->received)); // meter 2 said nothing, meter 3 garbage

    QCOMPARE(line->command(QStringLiteral("meter 3 fault clear")), QStringLiteral("ok"));
    QCOMPARE(line->command(QStringLiteral("meter 3 get 9")), QStringLiteral("ok 2"));
    bus->reset();
    bus->send(frame("03 03 00 09 00 01"));
    QVERIFY(bus->wait_for(7));
    QCOMPARE(hex(bus->received), hex(frame("03 03 02 00 02")));

    bus->reset();
    bus->send(read_version);
    QVERIFY(bus->wait_for(7));
    QCOMPARE(hex(bus->received), hex(version_answer));
    QCOMPARE(line->command(QStringLiteral("count")), QStringLiteral("ok 4"));
}

void tst_sim_line::start_failures_are_reported()
{
    if (QStandardPaths::findExecutable(QStringLiteral("socat")).isEmpty())
        QSKIP("socat is not installed");
    SimLine bad_file;
    QVERIFY(!bad_file.start(QStringList(), QStringLiteral("address = 2\ncolour = blue\n")));
    QVERIFY2(bad_file.error().contains(QLatin1String("line 2: unknown key 'colour'")), qPrintable(bad_file.error()));

    SimLine bad_option;
    QVERIFY(!bad_option.start({QStringLiteral("--parity"), QStringLiteral("mark")}));
    QVERIFY2(bad_option.error().contains(QLatin1String("--parity")), qPrintable(bad_option.error()));

    const QByteArray sim = qgetenv("METER_SIM");
    qputenv("METER_SIM", "/nonexistent/meter_sim");
    SimLine no_sim;
    const bool started = no_sim.start();
    qputenv("METER_SIM", sim);
    QVERIFY(!started);
    QVERIFY2(no_sim.error().contains(QLatin1String("METER_SIM")), qPrintable(no_sim.error()));
}

void tst_sim_line::quit_and_unplug()
{
    START_LINE();
    const QString port = line->program_port();
    QVERIFY(QFileInfo::exists(port));
    line->unplug();
    QVERIFY(QTest::qWaitFor([&] { return !QFileInfo::exists(port); }, 10000));
    // The stand-in loses its end of the line and gives up.
    QVERIFY(QTest::qWaitFor([&] { return !line->sim_running(); }, 10000));

    START_LINE();
    QCOMPARE(line->command(QStringLiteral("quit")), QStringLiteral("ok"));
    QVERIFY(QTest::qWaitFor([&] { return !line->sim_running(); }, 10000));
}

QTEST_GUILESS_MAIN(tst_sim_line)
#include "tst_sim_line.moc"
