#include "meter/register_map.h"

#include <QtTest>

class tst_register_map : public QObject
{
    Q_OBJECT
private slots:
    void steps();
    void values();
    void serial_bytes();
    void codes();
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
}

// The serial number's registers, least significant first, in the order the
// serial addressing takes them.
void tst_register_map::serial_bytes()
{
    QCOMPARE(::serial_bytes(QByteArray::fromHex("00123456789a")), (SerialBytes{0x78, 0x9a, 0x34, 0x56, 0x00, 0x12}));
    QCOMPARE(::serial_bytes(QByteArray::fromHex("010502000304")), (SerialBytes{0x03, 0x04, 0x02, 0x00, 0x01, 0x05}));
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

QTEST_APPLESS_MAIN(tst_register_map)
#include "tst_register_map.moc"
