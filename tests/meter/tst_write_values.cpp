#include "meter/write_values.h"

#include <QtTest>
#include <cstdlib>
#include <ctime>

class tst_write_values : public QObject
{
    Q_OBJECT
private slots:
    void requests_data();
    void requests();
    void save_date_data();
    void save_date();
    void meter_time_data();
    void meter_time();
    void clock_range_data();
    void clock_range();
    void clock_ignores_the_time_zone();
};

void tst_write_values::requests_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("expected");
    MeterTarget device;
    MeterTarget serial;
    serial.by_serial = true;
    serial.serial = {0x00, 0x12, 0x34, 0x56, 0x78, 0xAB};

    QTest::newRow("new address 5 to meter 1")
        << write_item_request(device, write_item::address, 5) << QByteArray::fromHex("010603000005498d");
    QTest::newRow("exchange rate 3") << write_item_request(device, write_item::exchange_rate, 3).left(6)
                                     << QByteArray::fromHex("010603010003");
    QTest::newRow("parity 0x0302") << write_item_request(device, write_item::parity, 0x0302).left(6)
                                   << QByteArray::fromHex("010603020302");
    QTest::newRow("save date 65535") << write_item_request(device, write_item::save_date, 65535).left(6)
                                     << QByteArray::fromHex("01060303ffff");
    QTest::newRow("clock 0x65BB706E") << write_item_request(device, write_item::clock, 0x65BB706E).left(11)
                                      << QByteArray::fromHex("0110 1000 0002 04 706e 65bb");
    QTest::newRow("address by serial") << write_item_request(serial, write_item::address, 7).left(12)
                                       << QByteArray::fromHex("fd42 78ab34560012 0300 0007");
    QTest::newRow("clock by serial") << write_item_request(serial, write_item::clock, 1).left(17)
                                     << QByteArray::fromHex("fd43 78ab34560012 1000 0002 04 0001 0000");
}

void tst_write_values::requests()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, expected);
    QCOMPARE(frame.toHex(' '), expected.toHex(' '));
}

void tst_write_values::save_date_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value"); // -1: refused
    QTest::newRow("0") << "0" << 0;
    QTest::newRow("65535") << "65535" << 65535;
    QTest::newRow("65536") << "65536" << -1;
    QTest::newRow("negative") << "-1" << -1;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("typo") << "1O" << -1;
}

void tst_write_values::save_date()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    const std::optional<quint16> parsed = parse_save_date(text);
    QCOMPARE(parsed ? int(*parsed) : -1, value);
}

void tst_write_values::meter_time_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("seconds"); // -1: refused
    QTest::newRow("1 February 2024") << "01.02.2024 10:20:30" << qint64(1706782830);
    QTest::newRow("epoch") << "01.01.1970 00:00:00" << qint64(0);
    QTest::newRow("skipped by summer time in Europe") << "31.03.2024 02:30:00" << qint64(1711852200);
    QTest::newRow("no seconds") << "01.02.2024 10:20" << qint64(-1);
    QTest::newRow("31 February") << "31.02.2024 10:20:30" << qint64(-1);
    QTest::newRow("hour 24") << "01.02.2024 24:00:00" << qint64(-1);
    QTest::newRow("ISO") << "2024-02-01 10:20:30" << qint64(-1);
    QTest::newRow("empty") << "" << qint64(-1);
}

void tst_write_values::meter_time()
{
    QFETCH(QString, text);
    QFETCH(qint64, seconds);
    const std::optional<QDateTime> parsed = parse_meter_time(text);
    QCOMPARE(parsed ? parsed->toSecsSinceEpoch() : qint64(-1), seconds);
    if (parsed)
        QCOMPARE(meter_clock_value(*parsed), quint32(seconds));
}

void tst_write_values::clock_range_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("held");
    QTest::newRow("first second") << "01.01.1970 00:00:00" << true;
    QTest::newRow("1969") << "31.12.1969 23:59:59" << false;
    QTest::newRow("last second") << "19.01.2038 03:14:07" << true;
    QTest::newRow("past the last") << "19.01.2038 03:14:08" << false;
    QTest::newRow("2107, whose low bits are 1970") << "01.01.2107 00:00:00" << false;
}

void tst_write_values::clock_range()
{
    QFETCH(QString, text);
    QFETCH(bool, held);
    QCOMPARE(meter_clock_holds(*parse_meter_time(text)), held);
}

void tst_write_values::clock_ignores_the_time_zone()
{
    // The meter keeps wall time as if it were UTC: the same wall time gives
    // the same count wherever the computer is.
    const QByteArray previous = qgetenv("TZ");
    for (const char *zone : {"UTC", "Pacific/Kiritimati", "America/Adak", "Europe/Berlin"}) {
        qputenv("TZ", zone);
        tzset();
        const QDateTime local(QDate(2024, 2, 1), QTime(10, 20, 30), Qt::LocalTime);
        QCOMPARE(meter_clock_value(wall_time_as_utc(local)), quint32(1706782830));
        QCOMPARE(meter_clock_value(*parse_meter_time("01.02.2024 10:20:30")), quint32(1706782830));
    }
    if (previous.isEmpty())
        qunsetenv("TZ");
    else
        qputenv("TZ", previous);
    tzset();
}

QTEST_APPLESS_MAIN(tst_write_values)
#include "tst_write_values.moc"
