#include "link/frames.h"

#include <QtTest>

namespace {

MeterTarget device(quint8 address)
{
    MeterTarget t;
    t.address = address;
    return t;
}

MeterTarget serial(SerialBytes bytes)
{
    MeterTarget t;
    t.by_serial = true;
    t.serial = bytes;
    return t;
}

const SerialBytes sn_123456789abc{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};

} // namespace

class tst_frames : public QObject
{
    Q_OBJECT
private slots:
    void requests_data();
    void requests();
    void answer_lengths();
};

void tst_frames::requests_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("read version, address 1")
        << modbus::read_registers_request(device(1), 0x0009, 1) << QByteArray::fromHex("0103000900015408");
    QTest::newRow("read version, address 300 goes out as 0x2C")
        << modbus::read_registers_request(device(quint8(300)), 0x0009, 1).left(1) << QByteArray::fromHex("2c");
    QTest::newRow("read by serial 123456789ABC")
        << modbus::read_registers_request(serial(sn_123456789abc), 0x0009, 1).left(12)
        << QByteArray::fromHex("fd419abc567812340009 0001");
    QTest::newRow("read by serial 0012345678AB, with CRC")
        << modbus::read_registers_request(serial({0x00, 0x12, 0x34, 0x56, 0x78, 0xAB}), 0x0009, 1)
        << QByteArray::fromHex("fd4178ab345600120009 0001 0e38");
    QTest::newRow("write address 5 to address 1")
        << modbus::write_register_request(device(1), 0x0300, 5) << QByteArray::fromHex("010603000005498d");
    QTest::newRow("write by serial, 14 bytes")
        << modbus::write_register_request(serial(sn_123456789abc), 0x0302, 0x0302).left(12)
        << QByteArray::fromHex("fd42 9abc56781234 0302 0302");
    QTest::newRow("clock: low register first")
        << modbus::write_two_registers_request(device(1), 0x1000, 0x12345678).left(11)
        << QByteArray::fromHex("0110 1000 0002 04 5678 1234");
    QTest::newRow("clock by serial")
        << modbus::write_two_registers_request(serial(sn_123456789abc), 0x1000, 0x12345678).left(17)
        << QByteArray::fromHex("fd43 9abc56781234 1000 0002 04 5678 1234");
    QTest::newRow("first hourly block, version 2")
        << modbus::archive_block_request(device(1), 1, 0, 24) << QByteArray::fromHex("0144010000 18f033");
    QTest::newRow("last monthly block, version 3")
        << modbus::archive_block_request(device(1), 3, 68, 16) << QByteArray::fromHex("014403004410c34d");
    QTest::newRow("archive block by serial")
        << modbus::archive_block_request(serial(sn_123456789abc), 2, 0x0118, 24).left(12)
        << QByteArray::fromHex("fd45 9abc56781234 02 0118 18");
}

void tst_frames::requests()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, expected);
    QCOMPARE(frame.toHex(' '), expected.toHex(' '));
}

void tst_frames::answer_lengths()
{
    QCOMPARE(modbus::read_answer_length(false, 1), 7);
    QCOMPARE(modbus::read_answer_length(true, 3), 17);
    QCOMPARE(modbus::read_data_offset(false), 3);
    QCOMPARE(modbus::read_data_offset(true), 9);
    QCOMPARE(modbus::write_answer_length(false), 8);
    QCOMPARE(modbus::write_answer_length(true), 14);
    QCOMPARE(modbus::archive_answer_length(false, 24, 10), 248);
    QCOMPARE(modbus::archive_answer_length(true, 8, 10), 94);
    QCOMPARE(modbus::archive_answer_length(false, 13, 14), 190);
    QCOMPARE(modbus::archive_answer_length(true, 17, 14), 252);
}

QTEST_APPLESS_MAIN(tst_frames)
#include "tst_frames.moc"
