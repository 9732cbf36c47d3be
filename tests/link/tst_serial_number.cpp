#include "link/serial_number.h"

#include <QtTest>

class tst_serial_number : public QObject
{
    Q_OBJECT
private slots:
    void pack_data();
    void pack();
    void device_address_data();
    void device_address();
};

void tst_serial_number::pack_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QByteArray>("bytes"); // b1..b6

    QTest::newRow("12 digits") << "123456789ABC" << true << QByteArray::fromHex("123456789abc");
    QTest::newRow("leading zeros") << "0012345678AB" << true << QByteArray::fromHex("0012345678ab");
    QTest::newRow("lower case") << "0012345678ab" << true << QByteArray::fromHex("0012345678ab");
    QTest::newRow("4 digits fill b5 b6") << "1234" << true << QByteArray::fromHex("000000001234");
    QTest::newRow("odd length: first digit alone") << "123" << true << QByteArray::fromHex("000000000123");
    QTest::newRow("one digit") << "7" << true << QByteArray::fromHex("000000000007");
    QTest::newRow("11 digits") << "12345678ABC" << true << QByteArray::fromHex("012345678abc");
    QTest::newRow("empty") << "" << false << QByteArray();
    QTest::newRow("13 digits") << "0123456789ABC" << false << QByteArray();
    QTest::newRow("letter g") << "12g4" << false << QByteArray();
    QTest::newRow("space") << "12 34" << false << QByteArray();
    QTest::newRow("cyrillic look-alike") << QString::fromUtf8("12\u04314") << false << QByteArray();
}

void tst_serial_number::pack()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QByteArray, bytes);
    const std::optional<SerialBytes> packed = pack_serial_number(text);
    QCOMPARE(packed.has_value(), valid);
    if (valid)
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(packed->data()), 6).toHex(), bytes.toHex());
}

void tst_serial_number::device_address_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("address"); // -1: refused
    QTest::newRow("default") << "1" << 1;
    QTest::newRow("highest") << "247" << 247;
    QTest::newRow("spaces around") << " 17 " << 17;
    QTest::newRow("broadcast 0") << "0" << -1;
    QTest::newRow("248") << "248" << -1;
    QTest::newRow("300") << "300" << -1;
    QTest::newRow("negative") << "-1" << -1;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("letters") << "a1" << -1;
    QTest::newRow("hex") << "0x10" << -1;
    QTest::newRow("fraction") << "1.5" << -1;
}

void tst_serial_number::device_address()
{
    QFETCH(QString, text);
    QFETCH(int, address);
    const std::optional<quint8> parsed = parse_device_address(text);
    QCOMPARE(parsed ? int(*parsed) : -1, address);
}

QTEST_APPLESS_MAIN(tst_serial_number)
#include "tst_serial_number.moc"
