// The stand-in's answers: CRC, request layouts, both addressing forms,
// writes, archive blocks, exceptions, other meters, and the faults.

#include "sim/fault.h"
#include "sim/meter.h"
#include "sim/slave.h"

#include <QRandomGenerator>
#include <QtTest>

using sim::meter;

namespace {

QByteArray bytes(const QString &text)
{
    QByteArray b;
    if (!sim::parse_hex(text, &b))
        qFatal("bad hex in test: %s", qPrintable(text));
    return b;
}

QVector<meter> line_of(const QString &text = QString())
{
    QVector<meter> meters;
    QString error;
    if (text.isEmpty())
        meters.append(sim::builtin_meter());
    else if (!sim::parse_meter_file(text, &meters, &error))
        qWarning("%s", qPrintable(error));
    return meters;
}

// The serial bytes of the built-in meter 0012345678AB, in wire order.
const char builtin_serial[] = "78 ab 34 56 00 12";

QString serial_frame(const char *function, const QString &fields)
{
    return QStringLiteral("fd %1 %2 %3").arg(QLatin1String(function), QLatin1String(builtin_serial), fields);
}

} // namespace

class tst_sim_slave : public QObject
{
    Q_OBJECT
private slots:
    void crc();
    void known_frames_pass_the_crc();
    void known_frames_pass_the_crc_data();
    void request_length();
    void request_length_data();
    void answers();
    void answers_data();
    void writes_are_stored();
    void archive_block_exact_bytes();
    void archive_blocks();
    void archive_blocks_data();
    void forced_exception();
    void other_meters_are_ignored();
    void other_meters_are_ignored_data();
    void broadcast_writes_without_answer();
    void several_meters_answer_for_themselves();
    void faults_spoil_answers();
    void faults_spoil_answers_data();
    void faults_count_down();
    void faults_queue_with_after();
    void fault_syntax();
    void faults_for_one_register();
    void fault_syntax_data();
    void split_bytes();
};

void tst_sim_slave::crc()
{
    QCOMPARE(sim::crc16(QByteArrayLiteral("123456789")), quint16(0x4B37));
    QCOMPARE(sim::with_crc(bytes(QStringLiteral("01 03 00 09 00 01"))),
             bytes(QStringLiteral("01 03 00 09 00 01 54 08")));
}

void tst_sim_slave::known_frames_pass_the_crc_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<bool>("ok");
    QTest::newRow("read version") << bytes(QStringLiteral("01 03 00 09 00 01 54 08")) << true;
    QTest::newRow("first hourly block") << bytes(QStringLiteral("01 44 01 00 00 18 f0 33")) << true;
    QTest::newRow("last monthly v3 block") << bytes(QStringLiteral("01 44 03 00 44 10 c3 4d")) << true;
    QTest::newRow("write address 5") << bytes(QStringLiteral("01 06 03 00 00 05 49 8d")) << true;
    QTest::newRow("exception 2") << bytes(QStringLiteral("01 86 02 c3 a1")) << true;
    QTest::newRow("crc bytes swapped") << bytes(QStringLiteral("01 03 00 09 00 01 08 54")) << false;
    QTest::newRow("one bit off") << bytes(QStringLiteral("01 03 00 09 00 03 54 08")) << false;
    QTest::newRow("too short") << bytes(QStringLiteral("01 03")) << false;
}

void tst_sim_slave::known_frames_pass_the_crc()
{
    QFETCH(QByteArray, frame);
    QTEST(sim::crc_ok(frame), "ok");
}

void tst_sim_slave::request_length_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("length");
    QTest::newRow("one byte") << "01" << 0;
    QTest::newRow("read") << "01 03" << 8;
    QTest::newRow("write one") << "01 06 03" << 8;
    QTest::newRow("write many, count unknown yet") << "01 10 10 00 00 02" << 0;
    QTest::newRow("write many, 4 data bytes") << "01 10 10 00 00 02 04" << 13;
    QTest::newRow("archive") << "01 44" << 8;
    QTest::newRow("serial read") << "fd 41" << 14;
    QTest::newRow("serial write one") << "fd 42" << 14;
    QTest::newRow("serial write many") << "fd 43 78 ab 34 56 00 12 10 00 00 02 04" << 19;
    QTest::newRow("serial archive") << "fd 45" << 14;
    QTest::newRow("read coils: not ours") << "01 01" << -1;
    QTest::newRow("serial code by address") << "01 41" << -1;
    QTest::newRow("address code by serial") << "fd 03" << -1;
}

void tst_sim_slave::request_length()
{
    QFETCH(QString, start);
    QTEST(sim::request_length(bytes(start)), "length");
}

void tst_sim_slave::answers_data()
{
    QTest::addColumn<QString>("meter_file");
    QTest::addColumn<QString>("request"); // without CRC
    QTest::addColumn<QString>("answer");  // without CRC

    const QString v2 = QStringLiteral("version = 2");
    QTest::newRow("read version") << QString() << "01 03 00 09 00 01"
                                  << "01 03 02 00 03";
    QTest::newRow("read version by serial") << QString() << serial_frame("41", QStringLiteral("00 09 00 01"))
                                            << serial_frame("41", QStringLiteral("02 00 03"));
    QTest::newRow("read serial number registers") << QString() << "01 03 00 04 00 03"
                                                  << "01 03 06 78 ab 34 56 00 12";
    QTest::newRow("read clock, low word first") << QString() << "01 03 10 00 00 02"
                                                << "01 03 04 18 d2 65 b9";
    QTest::newRow("read software version and id") << QString() << "01 03 00 00 00 02"
                                                  << "01 03 04 01 05 12 05";
    QTest::newRow("read reverse flow v3") << QString() << "01 03 10 05 00 02"
                                          << "01 03 04 00 28 00 00";
    QTest::newRow("read reverse flow v2: exception 2") << v2 << "01 03 10 05 00 02"
                                                       << "01 83 02";
    QTest::newRow("read hourly reverse flow v2: exception 2") << v2 << "01 03 11 05 00 02"
                                                              << "01 83 02";
    QTest::newRow("read unknown register") << QString() << "01 03 00 07 00 01"
                                           << "01 83 02";
    QTest::newRow("read across a gap") << QString() << "01 03 00 05 00 04"
                                       << "01 83 02";
    QTest::newRow("read 0 registers") << QString() << "01 03 00 09 00 00"
                                      << "01 83 03";
    QTest::newRow("read 126 registers") << QString() << "01 03 00 00 00 7e"
                                        << "01 83 03";
    QTest::newRow("read unknown register by serial")
        << QString() << serial_frame("41", QStringLiteral("00 07 00 01")) << "fd c1 02";
    QTest::newRow("unknown function") << QString() << "01 01 00 00 00 01"
                                      << "01 81 01";
    QTest::newRow("serial function by address") << QString() << "01 41 00 09 00 01"
                                                << "01 c1 01";
    QTest::newRow("unknown function by serial")
        << QString() << serial_frame("46", QStringLiteral("00 09 00 01")) << "fd c6 01";
    QTest::newRow("write save date: echo") << QString() << "01 06 03 03 00 0f"
                                           << "01 06 03 03 00 0f";
    QTest::newRow("write save date by serial: echo") << QString() << serial_frame("42", QStringLiteral("03 03 00 0f"))
                                                     << serial_frame("42", QStringLiteral("03 03 00 0f"));
    QTest::newRow("write address 0: bad value") << QString() << "01 06 03 00 00 00"
                                                << "01 86 03";
    QTest::newRow("write parity 0x0003: bad value") << QString() << "01 06 03 02 00 03"
                                                    << "01 86 03";
    QTest::newRow("write the model: read-only") << QString() << "01 06 00 08 00 01"
                                                << "01 86 02";
    QTest::newRow("write clock") << QString() << "01 10 10 00 00 02 04 04 d2 00 05"
                                 << "01 10 10 00 00 02";
    QTest::newRow("write clock by serial")
        << QString() << serial_frame("43", QStringLiteral("10 00 00 02 04 04 d2 00 05"))
        << serial_frame("43", QStringLiteral("10 00 00 02"));
    QTest::newRow("write many, byte count not 2n") << QString() << "01 10 10 00 00 02 02 04 d2"
                                                   << "01 90 03";
    QTest::newRow("write many, one read-only register") << QString() << "01 10 03 03 00 02 04 00 05 00 06"
                                                        << "01 90 02";
    QTest::newRow("archive type 4") << QString() << "01 44 04 00 00 01"
                                    << "01 c4 02";
    QTest::newRow("archive of 0 records") << QString() << "01 44 01 00 00 00"
                                          << "01 c4 03";
    QTest::newRow("archive v2 beyond 512 hourly") << v2 << "01 44 01 01 f9 08"
                                                  << "01 c4 02";
    QTest::newRow("archive v3 beyond 84 monthly") << QString() << "01 44 03 00 44 11"
                                                  << "01 c4 02";
    QTest::newRow("archive v2 25 records by serial: too long")
        << v2 << serial_frame("45", QStringLiteral("01 00 00 19")) << "fd c5 03";
}

void tst_sim_slave::answers()
{
    QFETCH(QString, meter_file);
    QFETCH(QString, request);
    QFETCH(QString, answer);
    QVector<meter> meters = line_of(meter_file);
    QCOMPARE(meters.size(), 1);
    const sim::handled h = sim::handle_request(&meters, sim::with_crc(bytes(request)));
    QCOMPARE(int(h.to), int(sim::destination::meter));
    QCOMPARE(h.meter, 0);
    QCOMPARE(sim::hex(h.answer), sim::hex(sim::with_crc(bytes(answer))));
}

void tst_sim_slave::writes_are_stored()
{
    QVector<meter> meters = line_of();
    const auto ask
        = [&](const QString &request) { return sim::handle_request(&meters, sim::with_crc(bytes(request))).answer; };
    ask(QStringLiteral("01 06 03 03 00 0f"));
    QCOMPARE(meters.at(0).read(0x0303), quint16(15));
    ask(serial_frame("42", QStringLiteral("03 01 00 02")));
    QCOMPARE(meters.at(0).read(0x0301), quint16(2));
    ask(QStringLiteral("01 10 10 00 00 02 04 04 d2 00 05"));
    QCOMPARE(meters.at(0).clock(), quint32(0x000504D2));
    QCOMPARE(ask(QStringLiteral("01 03 10 00 00 02")), sim::with_crc(bytes(QStringLiteral("01 03 04 04 d2 00 05"))));
    // A new address is stored, yet the meter answers on the old one until restarted.
    ask(QStringLiteral("01 06 03 00 00 05"));
    QCOMPARE(meters.at(0).read(0x0300), quint16(5));
    QCOMPARE(ask(QStringLiteral("01 03 03 00 00 01")), sim::with_crc(bytes(QStringLiteral("01 03 02 00 05"))));
    QVERIFY(ask(QStringLiteral("05 03 03 00 00 01")).isEmpty());
    // A rejected multiple write stores nothing at all.
    ask(QStringLiteral("01 10 03 02 00 02 04 00 01 00 00"));
    QCOMPARE(meters.at(0).read(0x0302), quint16(0x0001));
    QCOMPARE(meters.at(0).read(0x0303), quint16(15));
}

void tst_sim_slave::archive_block_exact_bytes()
{
    QVector<meter> meters = line_of(QStringLiteral("version = 2"));
    const sim::handled h = sim::handle_request(&meters, sim::with_crc(bytes(QStringLiteral("01 44 01 00 00 02"))));
    QCOMPARE(sim::hex(h.answer),
             sim::hex(sim::with_crc(bytes(QStringLiteral("01 44 01 00 00 02 "
                                                         "0e f0 65 b9 30 39 00 00 00 00 "
                                                         "00 e0 65 b9 30 36 00 00 00 00")))));

    meters = line_of(QStringLiteral("version = 3"));
    const sim::handled s
        = sim::handle_request(&meters, sim::with_crc(bytes(serial_frame("45", QStringLiteral("01 00 00 01")))));
    QCOMPARE(sim::hex(s.answer),
             sim::hex(sim::with_crc(
                 bytes(serial_frame("45", QStringLiteral("01 00 00 01 0e f0 65 b9 30 39 00 00 00 00 00 28 00 00"))))));
}

void tst_sim_slave::archive_blocks_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<bool>("by_serial");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("length");
    QTest::newRow("v2 first hourly block") << 2 << false << 1 << 0 << 24 << 248;
    QTest::newRow("v2 by serial") << 2 << true << 1 << 24 << 24 << 254;
    QTest::newRow("v2 last hourly block") << 2 << false << 1 << 504 << 8 << 88;
    QTest::newRow("v2 last hourly block by serial") << 2 << true << 1 << 504 << 8 << 94;
    QTest::newRow("v2 last daily block") << 2 << false << 2 << 360 << 24 << 248;
    QTest::newRow("v2 last monthly block, blank records") << 2 << false << 3 << 120 << 8 << 88;
    QTest::newRow("v3 hourly block") << 3 << false << 1 << 0 << 17 << 246;
    QTest::newRow("v3 by serial") << 3 << true << 1 << 17 << 17 << 252;
    QTest::newRow("v3 last hourly block") << 3 << false << 1 << 323 << 13 << 190;
    QTest::newRow("v3 last hourly block by serial") << 3 << true << 1 << 323 << 13 << 196;
    QTest::newRow("v3 last daily block") << 3 << false << 2 << 238 << 14 << 204;
    QTest::newRow("v3 last daily block by serial") << 3 << true << 2 << 238 << 14 << 210;
    QTest::newRow("v3 last monthly block") << 3 << false << 3 << 68 << 16 << 232;
    QTest::newRow("v3 last monthly block by serial") << 3 << true << 3 << 68 << 16 << 238;
}

void tst_sim_slave::archive_blocks()
{
    QFETCH(int, version);
    QFETCH(bool, by_serial);
    QFETCH(int, type);
    QFETCH(int, index);
    QFETCH(int, count);
    QVector<meter> meters = line_of(QStringLiteral("version = %1").arg(version));
    const QString fields = sim::hex(QByteArray(1, char(type)) + char(index >> 8) + char(index & 0xFF) + char(count));
    const QByteArray request
        = sim::with_crc(bytes(by_serial ? serial_frame("45", fields) : QStringLiteral("01 44 ") + fields));
    const QByteArray answer = sim::handle_request(&meters, request).answer;
    QTEST(int(answer.size()), "length");
    QVERIFY(sim::crc_ok(answer));
    const int header = by_serial ? 12 : 6;
    QCOMPARE(answer.left(header), request.left(header));
    const int size = version == 2 ? 10 : 14;
    for (int i = 0; i < count; ++i)
        QCOMPARE(answer.mid(header + i * size, size), meters.at(0).record_bytes(type, index + i));
}

void tst_sim_slave::forced_exception()
{
    QVector<meter> meters = line_of();
    meters[0].forced_exceptions[0x0303] = 4;
    const auto ask = [&](const QString &request) {
        return sim::hex(sim::handle_request(&meters, sim::with_crc(bytes(request))).answer);
    };
    QCOMPARE(ask(QStringLiteral("01 06 03 03 00 0f")), sim::hex(sim::with_crc(bytes(QStringLiteral("01 86 04")))));
    QCOMPARE(ask(QStringLiteral("01 03 03 00 00 04")), sim::hex(sim::with_crc(bytes(QStringLiteral("01 83 04")))));
    QCOMPARE(ask(QStringLiteral("01 03 03 00 00 03")).size(), sim::hex(QByteArray(11, 'x')).size());
    QCOMPARE(meters.at(0).read(0x0303), quint16(1));
}

void tst_sim_slave::other_meters_are_ignored_data()
{
    QTest::addColumn<QString>("request");
    QTest::newRow("another address") << "05 03 00 09 00 01";
    QTest::newRow("another address, unknown function") << "05 01 00 00 00 01";
    QTest::newRow("another serial") << "fd 41 78 ab 34 56 00 13 00 09 00 01";
    QTest::newRow("serial bytes in number order") << "fd 41 00 12 34 56 78 ab 00 09 00 01";
    QTest::newRow("broadcast read") << "00 03 00 09 00 01";
}

void tst_sim_slave::other_meters_are_ignored()
{
    QFETCH(QString, request);
    QVector<meter> meters = line_of();
    const sim::handled h = sim::handle_request(&meters, sim::with_crc(bytes(request)));
    QVERIFY(h.answer.isEmpty());
    QCOMPARE(h.meter, -1);
    QVERIFY(!h.note.isEmpty());
}

void tst_sim_slave::broadcast_writes_without_answer()
{
    QVector<meter> meters = line_of(QStringLiteral("[meter]\n[meter]\naddress = 2\nserial = 000000000002\n"));
    const sim::handled h = sim::handle_request(&meters, sim::with_crc(bytes(QStringLiteral("00 06 03 03 00 0c"))));
    QCOMPARE(int(h.to), int(sim::destination::broadcast));
    QVERIFY(h.answer.isEmpty());
    QCOMPARE(meters.at(0).read(0x0303), quint16(12));
    QCOMPARE(meters.at(1).read(0x0303), quint16(12));
    sim::handle_request(&meters, sim::with_crc(bytes(QStringLiteral("00 10 10 00 00 02 04 00 01 00 02"))));
    QCOMPARE(meters.at(0).clock(), quint32(0x00020001));
    QCOMPARE(meters.at(1).clock(), quint32(0x00020001));
}

void tst_sim_slave::several_meters_answer_for_themselves()
{
    QVector<meter> meters = line_of(QStringLiteral("[meter]\n"
                                                   "[meter]\naddress = 2\nserial = 123456789ABC\nversion = 2\n"
                                                   "[meter]\naddress = 3\nserial = 000000000003\n"));
    QCOMPARE(meters.size(), 3);
    const auto ask
        = [&](const QString &request) { return sim::handle_request(&meters, sim::with_crc(bytes(request))); };
    sim::handled h = ask(QStringLiteral("02 03 00 09 00 01"));
    QCOMPARE(h.meter, 1);
    QCOMPARE(h.answer, sim::with_crc(bytes(QStringLiteral("02 03 02 00 02"))));
    h = ask(QStringLiteral("fd 41 9a bc 56 78 12 34 00 04 00 03"));
    QCOMPARE(h.meter, 1);
    QCOMPARE(h.answer, sim::with_crc(bytes(QStringLiteral("fd 41 9a bc 56 78 12 34 06 9a bc 56 78 12 34"))));
    h = ask(QStringLiteral("03 03 00 09 00 01"));
    QCOMPARE(h.meter, 2);
    QCOMPARE(h.answer, sim::with_crc(bytes(QStringLiteral("03 03 02 00 03"))));
    h = ask(QStringLiteral("01 06 03 03 00 09"));
    QCOMPARE(h.meter, 0);
    QCOMPARE(meters.at(0).read(0x0303), quint16(9));
    QCOMPARE(meters.at(1).read(0x0303), quint16(1));
}

void tst_sim_slave::faults_spoil_answers_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<QString>("expected"); // hex, or a check name
    QTest::addColumn<bool>("silent");
    QTest::addColumn<int>("delay_ms");
    QTest::addColumn<int>("parts");
    QTest::addColumn<bool>("echo");
    const QString good = QStringLiteral("01 03 02 00 03 f8 45");
    QTest::newRow("none") << QStringList() << good << false << 0 << 1 << false;
    QTest::newRow("silence") << QStringList{"silence"} << good << true << 0 << 1 << false;
    QTest::newRow("delay") << QStringList{"delay 150"} << good << false << 150 << 1 << false;
    QTest::newRow("split") << QStringList{"split 3 40"} << good << false << 0 << 3 << false;
    QTest::newRow("badcrc") << QStringList{"badcrc"} << "01 03 02 00 03 f8 ba" << false << 0 << 1 << false;
    QTest::newRow("short") << QStringList{"short"} << "01 03 02 00 03 f8" << false << 0 << 1 << false;
    QTest::newRow("long") << QStringList{"long"} << "01 03 02 00 03 f8 45 00" << false << 0 << 1 << false;
    QTest::newRow("wrongaddr") << QStringList{"wrongaddr"} << "02 03 02 00 03" /* +crc */ << false << 0 << 1 << false;
    QTest::newRow("echo") << QStringList{"echo"} << good << false << 0 << 1 << true;
    QTest::newRow("garbage") << QStringList{"garbage"} << "garbage" << false << 0 << 1 << false;
    QTest::newRow("delay and split together")
        << QStringList{"delay 20", "split 2 10"} << good << false << 20 << 2 << false;
    QTest::newRow("short of a bad crc") << QStringList{"badcrc", "short"} << "01 03 02 00 03 f8" << false << 0 << 1
                                        << false;
}

void tst_sim_slave::faults_spoil_answers()
{
    QFETCH(QStringList, faults);
    QFETCH(QString, expected);
    QVector<sim::fault> active;
    for (const QString &text : faults) {
        sim::fault f;
        QString error;
        QVERIFY2(sim::parse_fault(text, &f, &error), qPrintable(error));
        active.append(f);
    }
    const QByteArray request = bytes(QStringLiteral("01 03 00 09 00 01 54 08"));
    const QByteArray answer = bytes(QStringLiteral("01 03 02 00 03 f8 45"));
    QRandomGenerator random(7);
    const sim::answer_plan plan = sim::plan_answer(request, answer, &active, &random);
    if (expected == QLatin1String("garbage")) {
        QCOMPARE(plan.bytes.size(), answer.size());
        QVERIFY(plan.bytes != answer);
        QVERIFY(!sim::crc_ok(plan.bytes));
    } else if (QTest::currentDataTag() == QLatin1String("wrongaddr")) {
        QCOMPARE(plan.bytes, sim::with_crc(bytes(expected)));
    } else {
        QCOMPARE(sim::hex(plan.bytes), expected);
    }
    QTEST(plan.silent, "silent");
    QTEST(plan.delay_ms, "delay_ms");
    QTEST(plan.parts, "parts");
    QFETCH(bool, echo);
    QCOMPARE(plan.echo, echo ? request : QByteArray());
    QCOMPARE(active.size(), faults.size()); // no count: they stay until cleared
}

void tst_sim_slave::faults_count_down()
{
    sim::fault f;
    QString error;
    QVERIFY(sim::parse_fault(QStringLiteral("badcrc count=2"), &f, &error));
    QVector<sim::fault> active{f};
    QVERIFY(sim::parse_fault(QStringLiteral("long count=1"), &f, &error));
    active.append(f);
    QRandomGenerator random(1);
    const QByteArray answer = bytes(QStringLiteral("01 03 02 00 03 f8 45"));
    QCOMPARE(sim::plan_answer(QByteArray(), answer, &active, &random).bytes.size(), 8);
    QCOMPARE(active.size(), 1);
    QVERIFY(!sim::crc_ok(sim::plan_answer(QByteArray(), answer, &active, &random).bytes));
    QVERIFY(active.isEmpty());
    QCOMPARE(sim::plan_answer(QByteArray(), answer, &active, &random).bytes, answer);
}

void tst_sim_slave::faults_queue_with_after()
{
    QVector<sim::fault> active;
    sim::fault f;
    QString error;
    QVERIFY(sim::parse_fault(QStringLiteral("silence count=1"), &f, &error));
    active.append(f);
    QVERIFY(sim::parse_fault(QStringLiteral("garbage count=1 after=1"), &f, &error));
    active.append(f);
    QRandomGenerator random(3);
    const QByteArray answer = bytes(QStringLiteral("01 03 02 00 03 f8 45"));

    sim::answer_plan plan = sim::plan_answer(QByteArray(), answer, &active, &random);
    QVERIFY(plan.silent);
    QCOMPARE(plan.bytes, answer);
    QCOMPARE(plan.applied, QStringList{QStringLiteral("silence")});

    plan = sim::plan_answer(QByteArray(), answer, &active, &random);
    QVERIFY(!plan.silent);
    QVERIFY(!sim::crc_ok(plan.bytes));
    QCOMPARE(plan.applied, QStringList{QStringLiteral("garbage")});
    QVERIFY(active.isEmpty());

    plan = sim::plan_answer(QByteArray(), answer, &active, &random);
    QCOMPARE(plan.bytes, answer);
    QVERIFY(plan.applied.isEmpty());
}

void tst_sim_slave::faults_for_one_register()
{
    QVector<sim::fault> active;
    sim::fault f;
    QString error;
    QVERIFY(sim::parse_fault(QStringLiteral("silence reg=0x0094 count=1"), &f, &error));
    active.append(f);
    QRandomGenerator random(5);
    const QByteArray answer = bytes(QStringLiteral("01 03 02 00 03 f8 45"));
    const QByteArray other = bytes(QStringLiteral("01 03 00 92 00 02 64 26"));
    const QByteArray target = bytes(QStringLiteral("01 03 00 94 00 02 84 27"));
    const QByteArray archive = bytes(QStringLiteral("01 44 01 00 94 18 00 00"));

    QVERIFY(!sim::plan_answer(other, answer, &active, &random).silent);
    QVERIFY(!sim::plan_answer(archive, answer, &active, &random).silent);
    QCOMPARE(active.size(), 1); // answers to other requests do not count
    QVERIFY(sim::plan_answer(target, answer, &active, &random).silent);
    QVERIFY(active.isEmpty());
}

void tst_sim_slave::fault_syntax_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::newRow("silence") << "silence" << true;
    QTest::newRow("delay") << "delay 200" << true;
    QTest::newRow("delay without ms") << "delay" << false;
    QTest::newRow("split") << "split 3 20 count=2" << true;
    QTest::newRow("split in one part") << "split 1 20" << false;
    QTest::newRow("count 0") << "badcrc count=0" << false;
    QTest::newRow("count and after") << "silence count=1 after=2" << true;
    QTest::newRow("after and count") << "silence after=2 count=1" << true;
    QTest::newRow("negative after") << "badcrc after=-1" << false;
    QTest::newRow("count twice") << "badcrc count=1 count=2" << false;
    QTest::newRow("one register") << "delay 250 reg=0x0094 count=1" << true;
    QTest::newRow("register out of range") << "delay 250 reg=0x10000" << false;
    QTest::newRow("stray argument") << "echo 5" << false;
    QTest::newRow("unknown") << "explode" << false;
    QTest::newRow("nothing") << "" << false;
}

void tst_sim_slave::fault_syntax()
{
    QFETCH(QString, text);
    sim::fault f;
    QString error;
    QTEST(sim::parse_fault(text, &f, &error), "ok");
}

void tst_sim_slave::split_bytes()
{
    const QByteArray answer = bytes(QStringLiteral("01 03 02 00 03 f8 45"));
    const QVector<QByteArray> parts = sim::split_bytes(answer, 3);
    QCOMPARE(parts.size(), 3);
    QCOMPARE(parts.at(0) + parts.at(1) + parts.at(2), answer);
    for (const QByteArray &p : parts)
        QVERIFY(!p.isEmpty());
    QCOMPARE(sim::split_bytes(QByteArrayLiteral("ab"), 5).size(), 2);
}

QTEST_GUILESS_MAIN(tst_sim_slave)
#include "tst_sim_slave.moc"
