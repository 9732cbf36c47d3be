// The write engine against the stand-in's meter: which items reach it, in
// which order, and where a refusal ends the write.
#include "meter/write.h"
#include "meter_device.h"
#include "model/outcome_words.h"

#include <QtTest>

namespace {

quint16 register_of(const QByteArray &frame)
{
    return quint16(quint8(frame[2]) << 8 | quint8(frame[3]));
}

} // namespace

Q_DECLARE_METATYPE(WriteValues)

class tst_write : public QObject
{
    Q_OBJECT
private slots:
    void writes_the_checked_items_data();
    void writes_the_checked_items();
    void item_results_data();
    void item_results();
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

using Kind = WriteItemResult::Kind;
Q_DECLARE_METATYPE(QVector<Kind>)

void tst_write::item_results_data()
{
    QTest::addColumn<WriteValues>("values");
    QTest::addColumn<int>("silent_from"); // requests from this one on get no answer; -1: none
    QTest::addColumn<QVector<Kind>>("kinds");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QStringList>("next"); // what the next exchange needs

    const Kind no = Kind::not_sent, ok = Kind::confirmed, refused = Kind::refused;
    const QString written = "Записано";
    const QString then = "Записано\nДля следующего обмена: ";

    WriteValues all;
    all[write_item::address] = 7;
    all[write_item::exchange_rate] = 3;
    all[write_item::parity] = 0x0302;
    all[write_item::save_date] = 5;
    all[write_item::clock] = 0;
    QTest::newRow("all five confirmed") << all << -1 << QVector<Kind>{ok, ok, ok, ok, ok}
                                        << QStringList{then + "адрес 7 в поле адреса",
                                                       then + "скорость 9600 в настройках порта",
                                                       then + "стоп-битов 2, проверка на четность в настройках порта",
                                                       written, written}
                                        << QStringList{"адрес 7 в поле адреса", "скорость 9600 в настройках порта",
                                                       "стоп-битов 2, проверка на четность в настройках порта", "", ""};

    // The address written, the save date refused, the clock never sent.
    WriteValues refused_date;
    refused_date[write_item::address] = 12;
    refused_date[write_item::save_date] = 40;
    refused_date[write_item::clock] = 0;
    QTest::newRow("save date refused") << refused_date << -1 << QVector<Kind>{ok, no, no, refused, no}
                                       << QStringList{then + "адрес 12 в поле адреса", "", "",
                                                      "Неверное значение параметра", ""}
                                       << QStringList{"адрес 12 в поле адреса", "", "", "", ""};

    WriteValues line_settings;
    line_settings[write_item::exchange_rate] = 0;
    line_settings[write_item::parity] = 0x0201;
    QTest::newRow("parity not confirmed")
        << line_settings << 1 << QVector<Kind>{no, ok, refused, no, no}
        << QStringList{"", then + "скорость 1200 в настройках порта", "Запись не подтверждена", "", ""}
        << QStringList{"", "скорость 1200 в настройках порта", "", "", ""};

    WriteValues parity_only;
    parity_only[write_item::parity] = 0x0002;
    QTest::newRow("two stop bits, no parity")
        << parity_only << -1 << QVector<Kind>{no, no, ok, no, no}
        << QStringList{"", "", then + "стоп-битов 2, нет проверки в настройках порта", "", ""}
        << QStringList{"", "", "стоп-битов 2, нет проверки в настройках порта", "", ""};
}

void tst_write::item_results()
{
    QFETCH(WriteValues, values);
    QFETCH(int, silent_from);
    QFETCH(QVector<Kind>, kinds);
    QFETCH(QStringList, texts);
    QFETCH(QStringList, next);

    QVector<sim::meter> meters{sim::builtin_meter()};
    WriteEngine write(MeterTarget{}, values, true);
    run_in_process(write, meters, silent_from);
    QVERIFY(write.finished());
    for (int item = 0; item < write_item::count; ++item) {
        const WriteItemResult result = write.item_result(item);
        QCOMPARE(result.kind, kinds[item]);
        QCOMPARE(write_words(result, item), texts[item]);
        QCOMPARE(result.kind == WriteItemResult::Kind::confirmed ? next_exchange_text(item, result.value) : QString(),
                 next[item]);
    }
}

QTEST_MAIN(tst_write)
#include "tst_write.moc"
