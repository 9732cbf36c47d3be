#include "link/crc.h"

#include <QtTest>

class tst_crc : public QObject
{
    Q_OBJECT
private slots:
    void crc_data();
    void crc();
    void appended_low_byte_first();
    void matches();
};

void tst_crc::crc_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("crc");
    QTest::newRow("check string 1..9") << QByteArray("123456789") << 0x4B37;
    QTest::newRow("read 0x0009 at address 1") << QByteArray::fromHex("010300090001") << 0x0854;
    QTest::newRow("empty") << QByteArray() << 0xFFFF;
    QTest::newRow("write address 5") << QByteArray::fromHex("010603000005") << 0x8D49;
}

void tst_crc::crc()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, crc);
    QCOMPARE(int(crc16(bytes)), crc);
}

void tst_crc::appended_low_byte_first()
{
    QCOMPARE(with_crc(QByteArray::fromHex("010300090001")), QByteArray::fromHex("0103000900015408"));
}

void tst_crc::matches()
{
    QVERIFY(crc_matches(QByteArray::fromHex("0103000900015408")));
    QVERIFY(!crc_matches(QByteArray::fromHex("0103000900010854"))); // high byte first
    QVERIFY(!crc_matches(QByteArray::fromHex("0103000900025408")));
    QVERIFY(!crc_matches(QByteArray::fromHex("5408")));
}

QTEST_APPLESS_MAIN(tst_crc)
#include "tst_crc.moc"
