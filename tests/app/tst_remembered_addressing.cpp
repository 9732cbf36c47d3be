#include "config/remembered_addressing.h"
#include "config/side_settings.h"

#include <QTemporaryDir>
#include <QtTest>

using Choice = RememberedAddressing::Choice;
Q_DECLARE_METATYPE(Choice)

class tst_remembered_addressing : public QObject
{
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void round_trip_through_the_file();
};

void tst_remembered_addressing::parse_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<Choice>("choice");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("serial");
    QTest::newRow("by serial") << QByteArray("addressing=serial\naddress=17\nserial=0012345678ab\n") << Choice::serial
                               << "17"
                               << "0012345678ab";
    QTest::newRow("by address, CRLF") << QByteArray("addressing=address\r\naddress=5\r\nserial=\r\n") << Choice::address
                                      << "5"
                                      << "";
    QTest::newRow("neither") << QByteArray("addressing=none\naddress=1\nserial=12\n") << Choice::none << "1"
                             << "12";
    QTest::newRow("any order, unknown keys passed over")
        << QByteArray("serial=ab\nfuture=1\naddressing=address\n") << Choice::address << ""
        << "ab";
    QTest::newRow("unknown choice") << QByteArray("addressing=both\naddress=3\n") << Choice::none << "3"
                                    << "";
    QTest::newRow("empty file") << QByteArray() << Choice::none << ""
                                << "";
    QTest::newRow("binary junk") << QByteArray("\x01\xff=\x00\nserial=a\x02b\n", 16) << Choice::none << ""
                                 << "";
    QTest::newRow("value too long") << QByteArray("serial=" + QByteArray(65, '1') + "\n") << Choice::none << ""
                                    << "";
}

void tst_remembered_addressing::parse()
{
    QFETCH(QByteArray, content);
    QFETCH(Choice, choice);
    QFETCH(QString, address);
    QFETCH(QString, serial);
    const RememberedAddressing parsed = parse_remembered_addressing(content);
    QCOMPARE(parsed.choice, choice);
    QCOMPARE(parsed.address, address);
    QCOMPARE(parsed.serial, serial);
}

void tst_remembered_addressing::round_trip_through_the_file()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(side_settings_file);
    QCOMPARE(load_remembered_addressing(path).choice, Choice::none); // no file yet
    // Another owner's line is already there and must survive the save.
    QVERIFY(update_side_settings(path, {{"tcp_host", "10.0.0.7"}}));

    RememberedAddressing saved;
    saved.choice = Choice::serial;
    saved.address = "247";
    saved.serial = "000100000005";
    QVERIFY(save_remembered_addressing(path, saved));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("address=247\naddressing=serial\nserial=000100000005\ntcp_host=10.0.0.7\n"));
    const RememberedAddressing loaded = load_remembered_addressing(path);
    QCOMPARE(loaded.choice, saved.choice);
    QCOMPARE(loaded.address, saved.address);
    QCOMPARE(loaded.serial, saved.serial);
}

QTEST_APPLESS_MAIN(tst_remembered_addressing)
#include "tst_remembered_addressing.moc"
