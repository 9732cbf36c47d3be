// The write engine against the stand-in's meter: which items reach it, in
// which order, and where a refusal ends the write.
#include "meter/write.h"
#include "meter_device.h"

#include <QtTest>

namespace {

quint16 register_of(const QByteArray &frame)
{
    return quint16(quint8(frame[2]) << 8 | quint8(frame[3]));
}

} // namespace

class tst_write : public QObject
{
    Q_OBJECT
private slots:
    void writes_the_checked_items_data();
    void writes_the_checked_items();
};

void tst_write::writes_the_checked_items_data()
{
    QTest::addColumn<QVector<int>>("items");       // write_item values that are set
    QTest::addColumn<quint32>("save_date");        // 1..31 confirmed, anything else refused
    QTest::addColumn<QVector<quint16>>("written"); // registers asked to write, in order
    QTest::addColumn<QVector<int>>("confirmed");
    QTest::addColumn<int>("exception"); // 0: the write succeeded

    const int address = write_item::address, exchange_rate = write_item::exchange_rate, parity = write_item::parity,
              save_date = write_item::save_date, clock = write_item::clock;
    QTest::newRow("nothing checked") << QVector<int>{} << 1u << QVector<quint16>{} << QVector<int>{} << 0;
    QTest::newRow("all five") << QVector<int>{address, exchange_rate, parity, save_date, clock} << 5u
                              << QVector<quint16>{0x0300, 0x0301, 0x0302, 0x0303, 0x1000}
                              << QVector<int>{address, exchange_rate, parity, save_date, clock} << 0;
    QTest::newRow("gaps cost nothing") << QVector<int>{parity, clock} << 5u << QVector<quint16>{0x0302, 0x1000}
                                       << QVector<int>{parity, clock} << 0;
    // A refused item ends the write; the items before it stay written.
    QTest::newRow("refused save date") << QVector<int>{address, save_date, clock} << 40u
                                       << QVector<quint16>{0x0300, 0x0303} << QVector<int>{address} << 3;
}

void tst_write::writes_the_checked_items()
{
    QFETCH(QVector<int>, items);
    QFETCH(quint32, save_date);
    QFETCH(QVector<quint16>, written);
    QFETCH(QVector<int>, confirmed);
    QFETCH(int, exception);

    WriteValues values;
    for (int item : items)
        values[size_t(item)] = item == write_item::save_date ? save_date : item == write_item::exchange_rate ? 3u : 1u;
    QVector<sim::meter> meters{sim::builtin_meter()};
    WriteEngine write(MeterTarget{}, values, true);
    QVector<quint16> registers;
    for (const ExchangeRequest &request : run_in_process(write, meters))
        registers << register_of(request.frame);

    QCOMPARE(registers, written);
    QCOMPARE(write.confirmed_items(), confirmed);
    QCOMPARE(write.succeeded(), exception == 0);
    QCOMPARE(write.refusal().exception_code, exception);
    if (write.succeeded() && values[write_item::save_date])
        QCOMPARE(meters[0].read(0x0303), quint16(save_date));
}

QTEST_MAIN(tst_write)
#include "tst_write.moc"
