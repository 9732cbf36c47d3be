// The period's consumption from a journal that keeps what the meter sent:
// a record or a poll without a value is never taken as a reading.
#include "journal/consumption.h"
#include "journal/journal_store.h"
#include "link/serial_number.h"
#include "meter/write_values.h"
#include "model/journal_texts.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace journal;

namespace {

// An hourly record `hours` after the period's start, by the meter's clock.
struct Kept
{
    int hours = 0;
    qint64 reading = 0;
    int event = 0;
};

// A poll `minutes` after the period's start, by the computer's clock.
struct Polled
{
    int minutes = 0;
    qint32 volume = 0;
};

const QDateTime period_from(QDate(2024, 3, 1), QTime(0, 0));
const QDateTime period_to(QDate(2024, 3, 2), QTime(0, 0));

// Valid readings an hour either side of both ends: 1.100 at the start, 1.400 at the end.
QList<Kept> around_both_ends()
{
    return {{-1, 1000, 0}, {0, 1100, 0}, {1, 1200, 0}, {23, 1300, 0}, {24, 1400, 0}, {25, 1500, 0}};
}

QList<Kept> with(QList<Kept> records, const Kept &changed)
{
    for (Kept &k : records) {
        if (k.hours == changed.hours)
            k = changed;
    }
    return records;
}

} // namespace

Q_DECLARE_METATYPE(QList<Kept>)
Q_DECLARE_METATYPE(QList<Polled>)

class tst_consumption : public QObject
{
    Q_OBJECT
private slots:
    void readings_without_value_data();
    void readings_without_value();
};

void tst_consumption::readings_without_value_data()
{
    QTest::addColumn<QList<Kept>>("records");
    QTest::addColumn<QList<Polled>>("polls");
    // Start, its source, end, its source, used, marks: as the table shows them.
    QTest::addColumn<QStringList>("shown");

    const QList<Kept> all = around_both_ends();
    QTest::newRow("every record holds a value")
        << all << QList<Polled>{} << QStringList{"1.100", "часовой архив", "1.400", "часовой архив", "0.300", ""};
    // Of two neighbours an hour away the earlier is taken.
    QTest::newRow("no value at the start: the nearest valid record")
        << with(all, {0, -1, 0}) << QList<Polled>{}
        << QStringList{"1.000", "часовой архив", "1.400", "часовой архив", "0.400", ""};
    QTest::newRow("no value at the end: the nearest valid record")
        << with(all, {24, -1, 0}) << QList<Polled>{}
        << QStringList{"1.100", "часовой архив", "1.300", "часовой архив", "0.200", ""};
    QTest::newRow("event 7 at the start")
        << with(all, {0, 99999, 7}) << QList<Polled>{}
        << QStringList{"1.000", "часовой архив", "1.400", "часовой архив", "0.400", ""};
    QTest::newRow("no value inside the period")
        << all + QList<Kept>{{12, -1, 0}} << QList<Polled>{}
        << QStringList{"1.100", "часовой архив", "1.400", "часовой архив", "0.300", ""};
    QTest::newRow("no valid record near the start")
        << with(with(with(all, {-1, -1, 0}), {0, -6800, 0}), {1, -1, 0}) << QList<Polled>{}
        << QStringList{"", "", "1.400", "часовой архив", "", "нет показаний на начало"};
    QTest::newRow("a negative poll is no reading")
        << QList<Kept>{{0, 1100, 0}} << QList<Polled>{{24 * 60, -6800}, {24 * 60 + 30, 1450}}
        << QStringList{"1.100", "часовой архив", "1.450", "опрос", "0.350", ""};
    QTest::newRow("nothing but no values at the end")
        << QList<Kept>{{0, 1100, 0}, {24, -1, 0}} << QList<Polled>{{24 * 60, -1}}
        << QStringList{"1.100", "часовой архив", "", "", "", "нет показаний на конец"};
}

void tst_consumption::readings_without_value()
{
    QFETCH(QList<Kept>, records);
    QFETCH(QList<Polled>, polls);
    QFETCH(QStringList, shown);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    Connection connection;
    connection.backend = Backend::sqlite;
    connection.file = dir.filePath("journal.sqlite");
    Store store(connection);
    QVERIFY2(store.open(), qPrintable(store.detail()));

    const QString serial = QStringLiteral("000100000005");
    ArchiveBatch batch;
    batch.serial = serial;
    batch.protocol_version = 2;
    batch.factor = 0.001;
    batch.decimals = 3;
    batch.read_at = period_to;
    const qint64 start_wall = wall_time_as_utc(period_from).toSecsSinceEpoch();
    for (const Kept &k : records)
        batch.records.append({1, start_wall + k.hours * 3600, k.reading, k.event, 0, 0.001, 3});
    QVERIFY(store.store_archive(batch) >= 0);
    for (const Polled &p : polls) {
        PollValues v;
        v.protocol_version = 2;
        v.model_code = 0x21;
        v.model.end = ModelLookup::End::matched;
        v.model.name = QStringLiteral("Тестовый");
        v.model.factor = 0.001;
        v.model.factor_has_point = true;
        v.model.factor_decimals = 3;
        v.serial = pack_serial_number(serial);
        v.device_address = 5;
        v.volume_units = p.volume;
        QVERIFY(store.store_poll(v, period_from.addSecs(p.minutes * 60), MeterTarget{false, 5, {}}));
    }

    const QList<ConsumptionRow> rows = consumption(store, period_from, period_to);
    QCOMPARE(rows.size(), 1);
    const QStringList texts = consumption_texts(rows.first());
    QCOMPARE((QStringList{texts.at(4), texts.at(6), texts.at(7), texts.at(9), texts.at(10), texts.at(12)}), shown);
}

QTEST_GUILESS_MAIN(tst_consumption)
#include "tst_consumption.moc"
