// The stand-in's meter: meter file parsing, registers and archive records.

#include "sim/meter.h"
#include "sim/slave.h"

#include <QtTest>

using sim::meter;

namespace {

QByteArray bytes(const char *text)
{
    QByteArray b;
    if (!sim::parse_hex(QString::fromLatin1(text), &b))
        qFatal("bad hex in test: %s", text);
    return b;
}

meter parse_one(const QString &text)
{
    QVector<meter> meters;
    QString error;
    if (!sim::parse_meter_file(text, &meters, &error))
        qWarning("%s", qPrintable(error));
    return meters.value(0);
}

qint64 fake_now_ms = 0;
qint64 fake_clock()
{
    return fake_now_ms;
}

} // namespace

class tst_sim_meter : public QObject
{
    Q_OBJECT
private slots:
    void builtin_meter_is_believable();
    void serial_number();
    void serial_number_data();
    void file_values();
    void file_values_data();
    void bad_lines();
    void bad_lines_data();
    void several_meters_on_one_line();
    void meters_must_not_collide();
    void reverse_flow_only_in_version_3();
    void writes_are_checked();
    void writes_are_checked_data();
    void clock_frozen_or_running();
    void volume_grows_with_a_flow();
    void archive_records();
    void archive_records_data();
    void archive_depth();
    void register_groups_follow_record_0();
    void times();
    void times_data();
};

void tst_sim_meter::builtin_meter_is_believable()
{
    const meter &m = sim::builtin_meter();
    QCOMPARE(int(m.address), 1);
    QCOMPARE(m.serial, Q_UINT64_C(0x0012345678AB));
    QCOMPARE(m.version, 3);
    QCOMPARE(m.read(0x0008), quint16(0x0C15)); // model code, listed in models_counter.csv
    QCOMPARE(m.read(0x0000), quint16(0x0105));
    QCOMPARE(m.read(0x0009), quint16(3));
    QCOMPARE(m.read(0x0300), quint16(1));
    QCOMPARE(m.read(0x0304), quint16(6));
    QCOMPARE(m.clock(), quint32(1706629330)); // 2024-01-30 15:42:10
    QVERIFY(!m.clock_running);
    QVERIFY(m.faults.isEmpty());
    // Every register the program polls exists.
    const quint16 polled[] = {0x0009, 0x0000, 0x0001, 0x0090, 0x0008, 0x0002, 0x0003, 0x0004, 0x0005, 0x0006, 0x0304,
                              0x0300, 0x0301, 0x0302, 0x1000, 0x1001, 0x1002, 0x1003, 0x1004, 0x1005, 0x1006, 0x1100,
                              0x1106, 0x1200, 0x1206, 0x1300, 0x1306, 0x0303, 0x0092, 0x0093, 0x0094, 0x0095};
    for (const quint16 reg : polled)
        QVERIFY2(m.has_register(reg), qPrintable(QString::number(reg, 16)));
    QVERIFY(!m.has_register(0x0007));
}

void tst_sim_meter::serial_number_data()
{
    QTest::addColumn<QString>("serial");
    QTest::addColumn<quint16>("reg4");
    QTest::addColumn<quint16>("reg5");
    QTest::addColumn<quint16>("reg6");
    QTest::addColumn<QByteArray>("wire");
    QTest::newRow("0012345678AB") << "0012345678AB" << quint16(0x78AB) << quint16(0x3456) << quint16(0x0012)
                                  << bytes("78 ab 34 56 00 12");
    QTest::newRow("123456789ABC goes out as 9A BC 56 78 12 34")
        << "123456789ABC" << quint16(0x9ABC) << quint16(0x5678) << quint16(0x1234) << bytes("9a bc 56 78 12 34");
    QTest::newRow("lower-case digits") << "00000000abcd" << quint16(0xABCD) << quint16(0) << quint16(0)
                                       << bytes("ab cd 00 00 00 00");
}

void tst_sim_meter::serial_number()
{
    QFETCH(QString, serial);
    const meter m = parse_one(QStringLiteral("serial = ") + serial);
    QTEST(m.read(0x0004), "reg4");
    QTEST(m.read(0x0005), "reg5");
    QTEST(m.read(0x0006), "reg6");
    QTEST(m.serial_wire(), "wire");
}

void tst_sim_meter::file_values_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("reg");
    QTest::addColumn<int>("value");
    QTest::newRow("hex register") << "reg 0x0007 = 0x1234" << 0x0007 << 0x1234;
    QTest::newRow("decimal register") << "reg 8 = 4660" << 0x0008 << 4660;
    QTest::newRow("negative 16-bit") << "reg 0x0010 = -2" << 0x0010 << 0xFFFE;
    QTest::newRow("reg32 low word") << "reg32 0x1002 = -5" << 0x1002 << 0xFFFB;
    QTest::newRow("reg32 high word") << "reg32 0x1002 = -5" << 0x1003 << 0xFFFF;
    QTest::newRow("volume low word first") << "volume = 0x12345678" << 0x1002 << 0x5678;
    QTest::newRow("volume high word") << "volume = 0x12345678" << 0x1003 << 0x1234;
    QTest::newRow("model") << "model = 0x1A2B" << 0x0008 << 0x1A2B;
    QTest::newRow("version register") << "version = 2" << 0x0009 << 2;
    QTest::newRow("address register") << "address = 17" << 0x0300 << 17;
    QTest::newRow("compile date first bytes") << "compile_date = 20240115" << 0x0092 << 0x2024;
    QTest::newRow("compile date last bytes") << "compile_date = 20240115" << 0x0093 << 0x0115;
    QTest::newRow("time low word") << "time = 2020-01-01 00:00:00" << 0x1000 << 0xE100;
    QTest::newRow("time high word") << "time = 2020-01-01 00:00:00" << 0x1001 << 0x5E0B;
    QTest::newRow("reg overrides a derived one") << "serial = 123456789ABC\nreg 4 = 1" << 0x0004 << 1;
    QTest::newRow("comment after value") << "threshold = 99   # litres" << 0x0003 << 99;
    QTest::newRow("device type") << "device_type = 16" << 0x0304 << 16;
    QTest::newRow("event") << "event = 7" << 0x1004 << 7;
}

void tst_sim_meter::file_values()
{
    QFETCH(QString, text);
    QFETCH(int, reg);
    QVector<meter> meters;
    QString error;
    QVERIFY2(sim::parse_meter_file(text, &meters, &error), qPrintable(error));
    QCOMPARE(meters.size(), 1);
    QVERIFY(meters.at(0).has_register(quint16(reg)));
    QTEST(int(meters.at(0).read(quint16(reg))), "value");
}

void tst_sim_meter::bad_lines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");
    QTest::newRow("unknown key") << "# meter\naddress = 2\ncolour = blue"
                                 << "line 3: unknown key 'colour'";
    QTest::newRow("unknown archive key") << "archive.hourly.colour = 1"
                                         << "line 1: unknown archive key";
    QTest::newRow("unknown archive") << "archive.weekly.step = 1"
                                     << "line 1: unknown key";
    QTest::newRow("no equals sign") << "\n\naddress 2"
                                    << "line 3: expected 'key = value'";
    QTest::newRow("address 0") << "address = 0"
                               << "line 1: 0 is out of range";
    QTest::newRow("address 248") << "address = 248"
                                 << "line 1:";
    QTest::newRow("serial too short") << "serial = 12345"
                                      << "line 1: a serial number is 12 hex digits";
    QTest::newRow("serial not hex") << "serial = 12345678901G"
                                    << "line 1:";
    QTest::newRow("version 4") << "version = 4"
                               << "line 1:";
    QTest::newRow("not a number") << "reg 1 = lots"
                                  << "line 1: 'lots' is not a number";
    QTest::newRow("register too large") << "reg 0x10000 = 1"
                                        << "line 1:";
    QTest::newRow("value too large") << "reg 1 = 0x10000"
                                     << "line 1:";
    QTest::newRow("bad time") << "time = 2024-13-45 00:00:00"
                              << "line 1:";
    QTest::newRow("bad clock") << "clock = fast"
                               << "line 1:";
    QTest::newRow("bad fault") << "fault = explode"
                               << "line 1: unknown fault";
    QTest::newRow("unknown section") << "[meters]"
                                     << "line 1: unknown section";
    QTest::newRow("empty file") << "# nothing\n"
                                << "no meter";
}

void tst_sim_meter::bad_lines()
{
    QFETCH(QString, text);
    QFETCH(QString, error);
    QVector<meter> meters;
    QString why;
    QVERIFY(!sim::parse_meter_file(text, &meters, &why));
    QVERIFY2(why.startsWith(error) || (error == QLatin1String("no meter") && why.contains(error)), qPrintable(why));
    QVERIFY(meters.isEmpty());
}

void tst_sim_meter::several_meters_on_one_line()
{
    const QString text = QStringLiteral("version = 2            # the first meter, before any section\n"
                                        "[meter]\n"
                                        "address = 2\n"
                                        "serial = 000000000002\n"
                                        "fault = silence\n"
                                        "[meter]\n"
                                        "address = 3\n"
                                        "serial = 000000000003\n"
                                        "fault = garbage\n");
    QVector<meter> meters;
    QString error;
    QVERIFY2(sim::parse_meter_file(text, &meters, &error), qPrintable(error));
    QCOMPARE(meters.size(), 3);
    QCOMPARE(int(meters.at(0).address), 1);
    QCOMPARE(meters.at(0).version, 2);
    QCOMPARE(int(meters.at(1).address), 2);
    QCOMPARE(meters.at(1).version, 3); // each section starts from the built-in meter
    QCOMPARE(meters.at(1).read(0x0008), quint16(0x0C15));
    QCOMPARE(meters.at(1).faults, QStringList{QStringLiteral("silence")});
    QCOMPARE(meters.at(2).faults, QStringList{QStringLiteral("garbage")});
    QCOMPARE(meters.at(2).read(0x0004), quint16(3));
}

void tst_sim_meter::meters_must_not_collide()
{
    QVector<meter> meters;
    QString error;
    QVERIFY(!sim::parse_meter_file(QStringLiteral("[meter]\nserial = 000000000001\n[meter]\nserial = 000000000002\n"),
                                   &meters, &error));
    QVERIFY2(error.startsWith(QLatin1String("line 3: meters 1 and 2 share address 1")), qPrintable(error));
    QVERIFY(!sim::parse_meter_file(QStringLiteral("[meter]\n[meter]\naddress = 2\n"), &meters, &error));
    QVERIFY2(error.contains(QLatin1String("share a serial number")), qPrintable(error));
}

void tst_sim_meter::reverse_flow_only_in_version_3()
{
    meter m = parse_one(QStringLiteral("version = 3"));
    const quint16 reverse[] = {0x1005, 0x1006, 0x1105, 0x1106, 0x1205, 0x1206, 0x1305, 0x1306};
    for (const quint16 reg : reverse)
        QVERIFY(m.has_register(reg));
    QCOMPARE(m.read(0x1005), quint16(40));
    m.version = 2;
    for (const quint16 reg : reverse)
        QVERIFY2(!m.has_register(reg), qPrintable(QString::number(reg, 16)));
    QVERIFY(m.has_register(0x1004));
    QVERIFY(m.has_register(0x1304));
    QVERIFY(!m.has_register(0x1307));
}

void tst_sim_meter::writes_are_checked_data()
{
    QTest::addColumn<int>("reg");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("code");
    QTest::newRow("address 5") << 0x0300 << 5 << 0;
    QTest::newRow("address 0") << 0x0300 << 0 << 3;
    QTest::newRow("address 248") << 0x0300 << 248 << 3;
    QTest::newRow("rate code 3") << 0x0301 << 3 << 0;
    QTest::newRow("rate code 4") << 0x0301 << 4 << 3;
    QTest::newRow("parity 0x0302") << 0x0302 << 0x0302 << 0;
    QTest::newRow("parity 0x0201") << 0x0302 << 0x0201 << 0;
    QTest::newRow("parity 0x0003") << 0x0302 << 0x0003 << 3;
    QTest::newRow("save date 28") << 0x0303 << 28 << 0;
    QTest::newRow("save date 0") << 0x0303 << 0 << 3;
    QTest::newRow("clock low") << 0x1000 << 0x1234 << 0;
    QTest::newRow("clock high") << 0x1001 << 0x5678 << 0;
    QTest::newRow("read-only model") << 0x0008 << 1 << 2;
    QTest::newRow("no such register") << 0x0007 << 1 << 2;
}

void tst_sim_meter::writes_are_checked()
{
    QFETCH(int, reg);
    QFETCH(int, value);
    QFETCH(int, code);
    meter m = sim::builtin_meter();
    const quint16 before = m.read(quint16(reg));
    QCOMPARE(m.write(quint16(reg), quint16(value)), code);
    QCOMPARE(int(m.read(quint16(reg))), code == 0 ? value : int(before));
    // A written address is stored but the meter keeps answering on its own.
    QCOMPARE(int(m.address), 1);
}

void tst_sim_meter::clock_frozen_or_running()
{
    meter m = sim::builtin_meter();
    m.monotonic_ms = &fake_clock;
    fake_now_ms = 1000;
    m.set_clock(100000);
    fake_now_ms = 61000;
    QCOMPARE(m.clock(), quint32(100000)); // frozen: reads give what was written

    m.clock_running = true;
    fake_now_ms = 1000;
    m.set_clock(100000);
    fake_now_ms = 61500;
    QCOMPARE(m.clock(), quint32(100060));
    QCOMPARE(m.read(0x1000), quint16((100060) & 0xFFFF));
    QCOMPARE(m.read(0x1001), quint16(100060 >> 16));

    // Writing one half keeps the other half of the running value.
    QCOMPARE(m.write(0x1001, 0x0002), 0);
    QCOMPARE(m.clock(), quint32(0x00020000 | (100060 & 0xFFFF)));
}

void tst_sim_meter::volume_grows_with_a_flow()
{
    QVector<meter> meters;
    QString error;
    QVERIFY2(sim::parse_meter_file("volume = 65530\nflow = 5\n", &meters, &error), qPrintable(error));
    meter &m = meters[0];
    m.monotonic_ms = &fake_clock;
    fake_now_ms = 0;
    QCOMPARE(m.read(0x1002), quint16(65530));
    fake_now_ms = 2000; // ten units on, past the low register
    QCOMPARE(m.read(0x1002), quint16(4));
    QCOMPARE(m.read(0x1003), quint16(1));
}

void tst_sim_meter::archive_records_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("record");
    // 2024-01-30 15:00:00 is 0x65B90EF0; 12345 is 0x3039.
    QTest::newRow("v2 hourly 0") << 2 << 1 << 0 << bytes("0e f0 65 b9 30 39 00 00 00 00");
    QTest::newRow("v2 hourly 1, an hour earlier") << 2 << 1 << 1 << bytes("00 e0 65 b9 30 36 00 00 00 00");
    QTest::newRow("v3 hourly 0") << 3 << 1 << 0 << bytes("0e f0 65 b9 30 39 00 00 00 00 00 28 00 00");
    QTest::newRow("v2 hourly 5 has event 7") << 2 << 1 << 5 << bytes("c8 a0 65 b8 30 2a 00 00 00 07");
    QTest::newRow("v3 hourly 11 has negative reverse flow")
        << 3 << 1 << 11 << bytes("74 40 65 b8 30 18 00 00 00 00 ff d8 ff ff");
    QTest::newRow("v2 daily 290 is blank") << 2 << 2 << 290 << QByteArray(10, char(0xFF));
    QTest::newRow("v3 monthly 13 is blank") << 3 << 3 << 13 << QByteArray(14, char(0xFF));
    // A calendar month back from 2024-01-01: 2023-12-01 = 0x65692200.
    QTest::newRow("v2 monthly 1") << 2 << 3 << 1 << bytes("22 00 65 69 2b 5c 00 00 00 00");
}

void tst_sim_meter::archive_records()
{
    QFETCH(int, version);
    QFETCH(int, type);
    QFETCH(int, index);
    meter m = sim::builtin_meter();
    m.version = version;
    QTEST(m.record_bytes(type, index), "record");
}

void tst_sim_meter::archive_depth()
{
    meter m = sim::builtin_meter();
    m.version = 2;
    QCOMPARE(m.archive_depth(sim::hourly), 512);
    QCOMPARE(m.archive_depth(sim::daily), 384);
    QCOMPARE(m.archive_depth(sim::monthly), 128);
    QCOMPARE(m.record_size(), 10);
    m.version = 3;
    QCOMPARE(m.archive_depth(sim::hourly), 336);
    QCOMPARE(m.archive_depth(sim::daily), 252);
    QCOMPARE(m.archive_depth(sim::monthly), 84);
    QCOMPARE(m.record_size(), 14);
    QCOMPARE(m.archive_depth(4), 0);
    QCOMPARE(sim::dword_bytes(0x12345678), bytes("56 78 12 34"));
}

void tst_sim_meter::register_groups_follow_record_0()
{
    const meter m = sim::builtin_meter();
    const quint16 groups[] = {0x1100, 0x1200, 0x1300};
    for (int t = 0; t < 3; ++t) {
        const QByteArray record = m.record_bytes(t + 1, 0);
        QByteArray regs;
        for (int r = 0; r < 7; ++r) {
            const quint16 v = m.read(quint16(groups[t] + r));
            regs.append(char(v >> 8));
            regs.append(char(v & 0xFF));
        }
        QCOMPARE(regs, record);
    }
    const meter overridden = parse_one(QStringLiteral("reg32 0x1102 = -1"));
    QCOMPARE(overridden.read(0x1102), quint16(0xFFFF));
    QCOMPARE(overridden.read(0x1103), quint16(0xFFFF));
}

void tst_sim_meter::times_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<qint64>("seconds");
    QTest::newRow("iso") << "2020-01-01 00:00:00" << true << qint64(1577836800);
    QTest::newRow("shown form") << "01.01.2020 00:00:00" << true << qint64(1577836800);
    QTest::newRow("date only") << "2024-01-30" << true << qint64(1706572800);
    QTest::newRow("seconds") << "1577836800" << true << qint64(1577836800);
    QTest::newRow("before 1970") << "1969-12-31 23:59:59" << true << qint64(-1);
    QTest::newRow("no such day") << "2024-02-30 00:00:00" << false << qint64(0);
    QTest::newRow("words") << "yesterday" << false << qint64(0);
}

void tst_sim_meter::times()
{
    QFETCH(QString, text);
    qint64 seconds = 0;
    QTEST(sim::parse_time(text, &seconds), "ok");
    QFETCH(bool, ok);
    if (ok)
        QTEST(seconds, "seconds");
}

QTEST_GUILESS_MAIN(tst_sim_meter)
#include "tst_sim_meter.moc"
