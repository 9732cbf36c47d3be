#include "meter/quantity.h"
#include "meter/register_map.h"

#include <QtTest>

class tst_register_map : public QObject
{
    Q_OBJECT
private slots:
    void steps();
    void values();
    void software_version_data();
    void software_version();
    void serial_number_data();
    void serial_number();
    void device_type_data();
    void device_type();
    void codes();
    void times_data();
    void times();
    void volumes_data();
    void volumes();
    void events();
    void build_texts();
};

void tst_register_map::steps()
{
    QCOMPARE(int(poll::step(1).reg), 0x0009);
    QCOMPARE(int(poll::step(8).count), 3);
    QCOMPARE(int(poll::step(31).reg), 0x0094);
    int requests_v3 = 0;
    int reverse = 0;
    for (int k = 1; k < poll::step_count; ++k) {
        ++requests_v3;
        reverse += poll::step(k).reverse_flow;
    }
    QCOMPARE(requests_v3, 31);
    QCOMPARE(reverse, 4);
    for (int k : {16, 20, 24, 28})
        QVERIFY(poll::step(k).reverse_flow);
}

void tst_register_map::values()
{
    const QByteArray d = QByteArray::fromHex("e1005e0b");
    QCOMPARE(int(word_at(d, 0)), 0xE100);
    QCOMPARE(dword_at(d, 0), 1577836800);
    QCOMPARE(dword_at(QByteArray::fromHex("ffffffff"), 0), -1);
    QCOMPARE(dword_at(QByteArray::fromHex("00008000"), 0), qint32(0x80000000u));
    // Short data never reads past its end.
    QCOMPARE(int(word_at(QByteArray::fromHex("01"), 0)), 0);
    QCOMPARE(int(word_at(QByteArray::fromHex("0102"), -1)), 0);
    QCOMPARE(dword_at(QByteArray::fromHex("010203"), 0), 0x0102);
    QCOMPARE(quantity::serial_number(QByteArray::fromHex("0012345678")), QString());
}

void tst_register_map::software_version_data()
{
    QTest::addColumn<int>("high");
    QTest::addColumn<int>("low");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("identifier");
    QTest::newRow("01 05") << 0x01 << 0x05 << "1.05"
                           << "15";
    QTest::newRow("1A 20") << 0x1A << 0x20 << "1a.20"
                           << "1a20";
    QTest::newRow("12 05") << 0x12 << 0x05 << "12.05"
                           << "125";
    QTest::newRow("00 00") << 0x00 << 0x00 << "0.00"
                           << "00";
}

void tst_register_map::software_version()
{
    QFETCH(int, high);
    QFETCH(int, low);
    QFETCH(QString, version);
    QFETCH(QString, identifier);
    QCOMPARE(software_version_text(quint8(high), quint8(low)), version);
    QCOMPARE(software_identifier_text(quint8(high), quint8(low)), identifier);
}

void tst_register_map::serial_number_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("text");
    QTest::newRow("00 12 34 56 78 9A") << QByteArray::fromHex("00123456789a") << "789a34560012";
    QTest::newRow("00 05 00 00 00 01") << QByteArray::fromHex("000500000001") << "000100000005";
    QTest::newRow("01 05 02 00 03 04") << QByteArray::fromHex("010502000304") << "030402000105";
    QTest::newRow("all ff") << QByteArray::fromHex("ffffffffffff") << "ffffffffffff";
    QTest::newRow("all zero") << QByteArray::fromHex("000000000000") << "000000000000";
}

void tst_register_map::serial_number()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, text);
    QCOMPARE(quantity::serial_number(data), text);
}

void tst_register_map::device_type_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");
    QTest::newRow("cold") << 6 << "6 хол. воды";
    QTest::newRow("water") << 7 << "7 вода";
    QTest::newRow("hot") << 16 << "16 гор. вод";
    QTest::newRow("unknown ends with the space") << 5 << "5 ";
    QTest::newRow("0xFFFF") << 0xFFFF << "65535 ";
}

void tst_register_map::device_type()
{
    QFETCH(int, type);
    QFETCH(QString, text);
    QCOMPARE(device_type_text(quint16(type)), text);
}

void tst_register_map::codes()
{
    QCOMPARE(exchange_rate_index(0), 0);
    QCOMPARE(exchange_rate_index(3), 3);
    QCOMPARE(exchange_rate_index(4), -1);
    QCOMPARE(exchange_rate_index(0xFFFF), -1);
    const int codes[] = {0x0001, 0x0002, 0x0201, 0x0202, 0x0301, 0x0302};
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(parity_index(quint16(codes[i])), i);
        QCOMPARE(int(parity_code(i)), codes[i]);
    }
    QCOMPARE(parity_index(0x0003), -1);
    QCOMPARE(parity_index(0), -1);
}

void tst_register_map::times_data()
{
    QTest::addColumn<qint32>("seconds");
    QTest::addColumn<QString>("meter");
    QTest::addColumn<QString>("archived");
    QTest::newRow("2020") << qint32(1577836800) << "01.01.2020 00:00:00"
                          << "01.01.2020 00:00:00";
    QTest::newRow("0") << qint32(0) << "01.01.1970 00:00:00"
                       << "01.01.1970 00:00:00";
    QTest::newRow("-1") << qint32(-1) << "31.12.1969 23:59:59"
                        << "--";
    QTest::newRow("max") << qint32(0x7FFFFFFF) << "19.01.2038 03:14:07"
                         << "19.01.2038 03:14:07";
}

void tst_register_map::times()
{
    QFETCH(qint32, seconds);
    QFETCH(QString, meter);
    QFETCH(QString, archived);
    QCOMPARE(quantity::clock(seconds), meter);
    QCOMPARE(quantity::archived_clock(seconds), archived);
}

void tst_register_map::volumes_data()
{
    QTest::addColumn<qint32>("units");
    QTest::addColumn<double>("factor");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("archived");
    QTest::newRow("scaled") << 123456 << 0.001 << 3 << "123.456"
                            << "123.456";
    QTest::newRow("no model") << 123456 << 0.0 << 0 << "123456"
                              << "123456";
    QTest::newRow("negative, no model") << -5 << 0.0 << 0 << "0"
                                        << "--";
    QTest::newRow("negative, scaled") << -5 << 0.001 << 3 << "0.000"
                                      << "--";
    QTest::newRow("-1") << -1 << 0.001 << 3 << "0.000"
                        << "--";
    QTest::newRow("zero") << 0 << 0.0001 << 4 << "0.0000"
                          << "0.0000";
    QTest::newRow("largest") << 0x7FFFFFFF << 0.001 << 3 << "2147483.647"
                             << "2147483.647";
    QTest::newRow("factor 10") << 7 << 10.0 << 0 << "70"
                               << "70";
}

void tst_register_map::volumes()
{
    QFETCH(qint32, units);
    QFETCH(double, factor);
    QFETCH(int, decimals);
    QFETCH(QString, current);
    QFETCH(QString, archived);
    QCOMPARE(quantity::current_volume(units, VolumeScale{factor, decimals}), current);
    QCOMPARE(quantity::archived_volume(units, VolumeScale{factor, decimals}), archived);
}

void tst_register_map::events()
{
    QCOMPARE(quantity::archived_event(7), QStringLiteral("--"));
    QCOMPARE(quantity::archived_event(0), QStringLiteral("0"));
    QCOMPARE(quantity::archived_event(1792), QStringLiteral("1792"));
}

void tst_register_map::build_texts()
{
    QCOMPARE(build_text(QByteArray::fromHex("2024013a"), 0), QStringLiteral("2024013a"));
    QCOMPARE(build_text(QByteArray::fromHex("00010203"), 0), QStringLiteral("00010203"));
    QCOMPARE(model_text(0x1A2B, "N"), QStringLiteral("1a2b N"));
    QCOMPARE(model_text(0x0005, QStringLiteral("неизвестная")), QStringLiteral("5 неизвестная"));
}

QTEST_APPLESS_MAIN(tst_register_map)
#include "tst_register_map.moc"
