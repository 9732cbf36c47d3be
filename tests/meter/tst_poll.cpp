// The poll engine against the stand-in's meter: what it asks, in which
// order, what it makes of the answers, and where a failure ends it.
#include "link/serial_number.h"
#include "meter/model_table.h"
#include "meter/poll.h"
#include "meter_device.h"

#include <QtTest>

Q_DECLARE_METATYPE(std::optional<qint32>)

namespace {

// The repository's table names the built-in meter's model 0x0C15, factor 0.001.
const QStringList models = parse_model_fields("name,code,x,factor\nmeter,0x0C15,,0.001\n");

MeterTarget target(bool by_serial)
{
    MeterTarget t;
    t.by_serial = by_serial;
    t.address = 1;
    if (by_serial)
        t.serial = *pack_serial_number(QStringLiteral("0012345678AB"));
    return t;
}

} // namespace

class tst_poll : public QObject
{
    Q_OBJECT
private slots:
    void reads_the_meter_data();
    void reads_the_meter();
    void archived_reading_without_value_data();
    void archived_reading_without_value();
    void ends_at_the_first_failure_data();
    void ends_at_the_first_failure();
    void unknown_version_is_refused_data();
    void unknown_version_is_refused();
};

void tst_poll::reads_the_meter_data()
{
    QTest::addColumn<bool>("by_serial");
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("requests");
    QTest::addColumn<std::optional<qint32>>("reverse_units");
    QTest::addColumn<QVector<int>>("blank_lines_after"); // requests (0-based) followed by an empty log line

    QTest::newRow("address, version 3") << false << 3 << 31 << std::optional<qint32>(40) << QVector<int>{23};
    // The reverse-flow steps pass without a request; the request after each
    // one ends its log line empty.
    QTest::newRow("address, version 2") << false << 2 << 27 << std::optional<qint32>() << QVector<int>{15, 18, 21, 24};
    QTest::newRow("serial, version 3") << true << 3 << 31 << std::optional<qint32>(40) << QVector<int>{};
    QTest::newRow("serial, version 2") << true << 2 << 27 << std::optional<qint32>() << QVector<int>{};
}

void tst_poll::reads_the_meter()
{
    QFETCH(bool, by_serial);
    QFETCH(int, version);
    QFETCH(int, requests);
    QFETCH(std::optional<qint32>, reverse_units);
    QFETCH(QVector<int>, blank_lines_after);

    QVector<sim::meter> meters{sim::builtin_meter()};
    meters[0].version = version;
    PollEngine poll(target(by_serial), models);
    const QList<ExchangeRequest> sent = run_in_process(poll, meters);
    QVector<int> blank;
    for (int i = 0; i < sent.size(); ++i) {
        if (sent[i].blank_line_after)
            blank << i;
    }
    QVERIFY(poll.complete());
    QCOMPARE(sent.size(), requests);
    QCOMPARE(blank, blank_lines_after);

    const PollValues &v = poll.values();
    QCOMPARE(v.protocol_version, std::optional<quint16>(version));
    QCOMPARE(v.software_version, std::optional<quint16>(0x0105));
    QCOMPARE(v.model.name, QStringLiteral("meter"));
    QCOMPARE(v.scale(), (VolumeScale{0.001, 3}));
    QCOMPARE(v.serial, std::optional<SerialBytes>({0x00, 0x12, 0x34, 0x56, 0x78, 0xab}));
    QCOMPARE(v.volume_units, std::optional<qint32>(12346));
    QCOMPARE(v.reverse_units, reverse_units);
    // 30.01.2024 15:00:00 of the meter's wall time
    QCOMPARE(v.hour.time, std::optional<qint32>(1706626800));
    QCOMPARE(v.month.volume, std::optional<qint32>(12000));
    QVERIFY(v.month.holds_value());
    QCOMPARE(v.compile_time, std::optional<QByteArray>(QByteArray::fromHex("14253000")));
}

// The meter writes a negative volume or the event 7 into an empty slot.
void tst_poll::archived_reading_without_value_data()
{
    QTest::addColumn<std::optional<qint32>>("volume");
    QTest::addColumn<int>("event");
    QTest::addColumn<bool>("holds");

    QTest::newRow("a reading") << std::optional<qint32>(12000) << 0 << true;
    QTest::newRow("zero") << std::optional<qint32>(0) << 1792 << true;
    QTest::newRow("negative volume") << std::optional<qint32>(-1) << 0 << false;
    QTest::newRow("event 7") << std::optional<qint32>(12000) << 7 << false;
    QTest::newRow("volume not read") << std::optional<qint32>() << 0 << false;
}

void tst_poll::archived_reading_without_value()
{
    QFETCH(std::optional<qint32>, volume);
    QFETCH(int, event);
    QFETCH(bool, holds);

    ArchivedReading r;
    r.time = 1706626800;
    r.volume = volume;
    r.event = quint16(event);
    QCOMPARE(r.holds_value(), holds);
}

void tst_poll::ends_at_the_first_failure_data()
{
    QTest::addColumn<int>("silent_from");
    QTest::addColumn<int>("step");

    QTest::newRow("first request") << 0 << 1;
    QTest::newRow("after the model") << 5 << 6;
    QTest::newRow("last request") << 30 << 31;
}

void tst_poll::ends_at_the_first_failure()
{
    QFETCH(int, silent_from);
    QFETCH(int, step);

    QVector<sim::meter> meters{sim::builtin_meter()};
    PollEngine poll(target(false), models);
    const QList<ExchangeRequest> sent = run_in_process(poll, meters, silent_from);
    QCOMPARE(sent.size(), silent_from + 1);
    QVERIFY(poll.finished());
    QVERIFY(!poll.complete());
    QCOMPARE(poll.failure().kind, RunOutcome::Kind::no_answer);
    QCOMPARE(poll.step(), step);
    // What came before the failure stays read.
    QCOMPARE(poll.values().protocol_version, silent_from > 0 ? std::optional<quint16>(3) : std::nullopt);
}

// Only versions 2 and 3 exist: any other answer to the first request is
// bad data, kept nowhere and sizing nothing after it.
void tst_poll::unknown_version_is_refused_data()
{
    QTest::addColumn<int>("version");
    QTest::newRow("0x1205, an identifier's value") << 0x1205;
    QTest::newRow("4") << 4;
    QTest::newRow("0") << 0;
}

void tst_poll::unknown_version_is_refused()
{
    QFETCH(int, version);
    QVector<sim::meter> meters{sim::builtin_meter()};
    meters[0].version = version;
    PollEngine poll(target(false), models);
    QCOMPARE(run_in_process(poll, meters, -1).size(), 1);
    QVERIFY(poll.finished());
    QVERIFY(!poll.complete());
    QCOMPARE(poll.failure().kind, RunOutcome::Kind::bad_answer);
    QVERIFY(!poll.values().protocol_version);
}

QTEST_MAIN(tst_poll)
#include "tst_poll.moc"
