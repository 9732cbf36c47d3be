// Any register by either addressing: what the technician may type, how a
// value is shown, and what the engines send and make of the answers.
#include "meter/register_access.h"
#include "meter/watch.h"
#include "meter_device.h"

#include <QtTest>

Q_DECLARE_METATYPE(registers::ValuesError)

class tst_register_access : public QObject
{
    Q_OBJECT
private slots:
    void register_and_count_data();
    void register_and_count();
    void values_data();
    void values();
    void value_texts_data();
    void value_texts();
    void access_data();
    void access();
    void watch_rounds_data();
    void watch_rounds();
    void flow_data();
    void flow();
};

void tst_register_access::register_and_count_data()
{
    QTest::addColumn<QString>("reg");
    QTest::addColumn<QString>("count");
    QTest::addColumn<bool>("by_serial");
    QTest::addColumn<int>("register_read"); // -1: refused
    QTest::addColumn<int>("count_read");    // -1: refused

    QTest::newRow("decimal") << "4096"
                             << "7" << false << 0x1000 << 7;
    QTest::newRow("hex with 0x") << "0x1000"
                                 << "0x2" << false << 0x1000 << 2;
    QTest::newRow("last register") << "65535"
                                   << "1" << false << 0xFFFF << 1;
    QTest::newRow("past the last register") << "65535"
                                            << "2" << false << 0xFFFF << -1;
    QTest::newRow("register too big") << "65536"
                                      << "1" << false << -1 << 1;
    QTest::newRow("negative register") << "-1"
                                       << "1" << false << -1 << 1;
    QTest::newRow("letters") << "1x"
                             << "1" << false << -1 << 1;
    QTest::newRow("empty") << ""
                           << "" << false << -1 << -1;
    QTest::newRow("count 0") << "0"
                             << "0" << false << 0 << -1;
    QTest::newRow("125 fit a device-address answer") << "0"
                                                     << "125" << false << 0 << 125;
    QTest::newRow("126 do not") << "0"
                                << "126" << false << 0 << -1;
    QTest::newRow("122 fit a serial-number answer") << "0"
                                                    << "122" << true << 0 << 122;
    QTest::newRow("123 do not") << "0"
                                << "123" << true << 0 << -1;
}

void tst_register_access::register_and_count()
{
    QFETCH(QString, reg);
    QFETCH(QString, count);
    QFETCH(bool, by_serial);
    QFETCH(int, register_read);
    QFETCH(int, count_read);
    const std::optional<quint16> r = registers::parse_register(reg);
    QCOMPARE(r ? int(*r) : -1, register_read);
    const std::optional<int> c = registers::parse_count(count, r ? *r : 0, by_serial);
    QCOMPARE(c ? *c : -1, count_read);
}

void tst_register_access::values_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("pairs");
    QTest::addColumn<bool>("by_serial");
    QTest::addColumn<QVector<quint16>>("words");
    QTest::addColumn<registers::ValuesError>("error");
    using E = registers::ValuesError;
    using W = QVector<quint16>;

    QTest::newRow("one value") << "5" << false << false << W{5} << E::none;
    QTest::newRow("spaces, commas, hex") << " 1, 0x00ff;-1 " << false << false << W{1, 0xFF, 0xFFFF} << E::none;
    QTest::newRow("largest 16-bit") << "65535 -32768" << false << false << W{0xFFFF, 0x8000} << E::none;
    QTest::newRow("16 bits exceeded") << "65536" << false << false << W{} << E::out_of_range;
    QTest::newRow("32-bit low register first") << "0x12345678" << true << false << W{0x5678, 0x1234} << E::none;
    QTest::newRow("32-bit negative") << "-2" << true << false << W{0xFFFE, 0xFFFF} << E::none;
    QTest::newRow("32 bits exceeded") << "4294967296" << true << false << W{} << E::out_of_range;
    QTest::newRow("nothing typed") << "  " << false << false << W{} << E::empty;
    QTest::newRow("not a number") << "12 abc" << false << false << W{} << E::not_a_number;
    QTest::newRow("123 registers in one frame")
        << QString("1 ").repeated(123) << false << false << W(123, 1) << E::none;
    QTest::newRow("124 are too many") << QString("1 ").repeated(124) << false << false << W{} << E::too_many;
    QTest::newRow("serial frames hold 120") << QString("1 ").repeated(121) << false << true << W{} << E::too_many;
}

void tst_register_access::values()
{
    QFETCH(QString, text);
    QFETCH(bool, pairs);
    QFETCH(bool, by_serial);
    QFETCH(QVector<quint16>, words);
    QFETCH(registers::ValuesError, error);
    const registers::ParsedValues parsed = registers::parse_values(text, pairs, 0, by_serial);
    QCOMPARE(parsed.error, error);
    QCOMPARE(parsed.words, words);
}

void tst_register_access::value_texts_data()
{
    QTest::addColumn<quint16>("low");
    QTest::addColumn<quint16>("high");
    QTest::addColumn<QStringList>("texts"); // hex, unsigned, signed of low; the pair unsigned and signed

    QTest::newRow("small") << quint16(255) << quint16(0) << QStringList{"0x00FF", "255", "255", "255", "255"};
    QTest::newRow("negative") << quint16(0xFFFF) << quint16(0xFFFF)
                              << QStringList{"0xFFFF", "65535", "-1", "4294967295", "-1"};
    QTest::newRow("volume 12346, low register first")
        << quint16(12346) << quint16(0) << QStringList{"0x303A", "12346", "12346", "12346", "12346"};
    QTest::newRow("high register carries")
        << quint16(0x0001) << quint16(0x0001) << QStringList{"0x0001", "1", "1", "65537", "65537"};
}

void tst_register_access::value_texts()
{
    QFETCH(quint16, low);
    QFETCH(quint16, high);
    QFETCH(QStringList, texts);
    const quint32 pair = registers::pair_value(low, high);
    QCOMPARE((QStringList{registers::hex_text(low), registers::unsigned_text(low), registers::signed_text(low),
                          QString::number(pair), QString::number(qint32(pair))}),
             texts);
}

void tst_register_access::access_data()
{
    QTest::addColumn<bool>("by_serial");
    QTest::addColumn<int>("first");
    QTest::addColumn<QVector<quint16>>("write");   // empty: a read of two registers
    QTest::addColumn<QByteArray>("first_request"); // without its CRC
    QTest::addColumn<QVector<quint16>>("shown");
    QTest::addColumn<int>("exception");

    QTest::newRow("read by address") << false << 0x1002 << QVector<quint16>{} << QByteArray::fromHex("010310020002")
                                     << QVector<quint16>{12346, 0} << 0;
    QTest::newRow("read by serial") << true << 0x1002 << QVector<quint16>{}
                                    << QByteArray::fromHex("fd4178ab3456001210020002") << QVector<quint16>{12346, 0}
                                    << 0;
    QTest::newRow("one register by address, 0x06")
        << false << 0x0303 << QVector<quint16>{7} << QByteArray::fromHex("010603030007") << QVector<quint16>{7} << 0;
    QTest::newRow("two registers by serial, 0x43")
        << true << 0x0300 << QVector<quint16>{5, 2} << QByteArray::fromHex("fd4378ab34560012030000020400050002")
        << QVector<quint16>{5, 2} << 0;
    QTest::newRow("a register the meter lacks")
        << false << 0x7000 << QVector<quint16>{1} << QByteArray::fromHex("010670000001") << QVector<quint16>{} << 2;
}

void tst_register_access::access()
{
    QFETCH(bool, by_serial);
    QFETCH(int, first);
    QFETCH(QVector<quint16>, write);
    QFETCH(QByteArray, first_request);
    QFETCH(QVector<quint16>, shown);
    QFETCH(int, exception);

    QVector<sim::meter> meters{sim::builtin_meter()};
    MeterTarget target;
    target.by_serial = by_serial;
    target.address = 1;
    target.serial = {0x00, 0x12, 0x34, 0x56, 0x78, 0xAB};
    RegisterAccess access
        = write.isEmpty() ? RegisterAccess(target, quint16(first), 2) : RegisterAccess(target, quint16(first), write);
    const QList<ExchangeRequest> sent = run_in_process(access, meters);

    QCOMPARE(sent.first().frame.chopped(2).toHex(), first_request.toHex());
    QCOMPARE(sent.size(), write.isEmpty() || exception ? 1 : 2); // a write is read back
    QCOMPARE(access.succeeded(), exception == 0);
    QCOMPARE(access.failure().exception_code, exception);
    QCOMPARE(access.values(), shown);
    for (int i = 0; i < write.size() && !exception; ++i)
        QCOMPARE(meters[0].read(quint16(first + i)), write[i]);
}

void tst_register_access::watch_rounds_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<bool>("known"); // a later round: version and model learnt
    QTest::addColumn<QVector<quint16>>("registers");

    QTest::newRow("first round, version 3")
        << 3 << false << QVector<quint16>{0x0009, 0x0008, 0x0004, 0x1000, 0x1002, 0x1004, 0x1005};
    QTest::newRow("first round, version 2: no reverse flow")
        << 2 << false << QVector<quint16>{0x0009, 0x0008, 0x0004, 0x1000, 0x1002, 0x1004};
    QTest::newRow("later round, version 3") << 3 << true << QVector<quint16>{0x1000, 0x1002, 0x1004, 0x1005};
    QTest::newRow("later round, version 2") << 2 << true << QVector<quint16>{0x1000, 0x1002, 0x1004};
}

void tst_register_access::watch_rounds()
{
    QFETCH(int, version);
    QFETCH(bool, known);
    QFETCH(QVector<quint16>, registers);
    QVector<sim::meter> meters{sim::builtin_meter()};
    meters[0].version = version;
    const QStringList models = {"name", "code", "comment", "factor", "СВК-15", "0C15", "", "0.001"};
    std::optional<WatchedMeter> info;
    if (known)
        info = WatchedMeter{version, 0.001, 3, QStringLiteral("СВК-15"), std::nullopt};
    WatchEngine round(MeterTarget{}, models, info);
    const QList<ExchangeRequest> sent = run_in_process(round, meters);

    QVector<quint16> asked;
    for (const ExchangeRequest &r : sent)
        asked << quint16(quint8(r.frame[2]) << 8 | quint8(r.frame[3]));
    QCOMPARE(asked, registers);
    QVERIFY(round.complete());
    QCOMPARE(round.reading().volume, 12346);
    QCOMPARE(round.reading().reverse_volume.has_value(), version == 3);
    QCOMPARE(round.meter_info().scale.factor, 0.001);
    if (!known)
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(round.meter_info().serial.value_or(SerialBytes{}).data()), 6)
                     .toHex(),
                 QStringLiteral("%1").arg(meters[0].serial, 12, 16, QLatin1Char('0')).toLatin1());
}

void tst_register_access::flow_data()
{
    QTest::addColumn<qint64>("before");
    QTest::addColumn<qint64>("after");
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<double>("factor");
    QTest::addColumn<double>("per_hour"); // -1: no value

    QTest::newRow("5 units a second at 0.001 m3 is 18 m3/h")
        << qint64(1000) << qint64(1005) << qint64(1000) << 0.001 << 18.0;
    QTest::newRow("no factor: units an hour") << qint64(0) << qint64(2) << qint64(3600000) << 0.0 << 2.0;
    QTest::newRow("reverse run is negative") << qint64(10) << qint64(9) << qint64(3600000) << 1.0 << -1.0;
    QTest::newRow("no time passed") << qint64(0) << qint64(5) << qint64(0) << 0.001 << -1.0;
}

void tst_register_access::flow()
{
    QFETCH(qint64, before);
    QFETCH(qint64, after);
    QFETCH(qint64, ms);
    QFETCH(double, factor);
    QFETCH(double, per_hour);
    const std::optional<double> rate = flow_per_hour(before, after, ms, factor);
    if (per_hour == -1.0 && ms == 0)
        QVERIFY(!rate);
    else
        QCOMPARE(*rate, per_hour);
}

QTEST_GUILESS_MAIN(tst_register_access)
#include "tst_register_access.moc"
