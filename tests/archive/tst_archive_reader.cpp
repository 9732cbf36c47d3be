// The archive reader against the stand-in's meter: the blocks it asks for,
// by protocol version, and what it hands over.
#include "archive/archive_geometry.h"
#include "archive/archive_reader.h"
#include "archive/records.h"
#include "meter/register_map.h"
#include "meter_device.h"

#include <QtTest>

class tst_archive_reader : public QObject
{
    Q_OBJECT
private slots:
    void reads_every_archive_data();
    void reads_every_archive();
    void unknown_version_reads_nothing_data();
    void unknown_version_reads_nothing();
    void asks_what_it_does_not_know_data();
    void asks_what_it_does_not_know();
};

void tst_archive_reader::reads_every_archive_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("silent_from"); // -1: the meter answers throughout
    QTest::addColumn<int>("requests");
    QTest::addColumn<QVector<int>>("records"); // of each archive handed over, hourly first
    QTest::addColumn<bool>("complete");
    QTest::addColumn<QVector<int>>("types"); // the archives asked for; empty: all

    // Version 2: blocks of 24 records of 512, 384, 128; version 3: 17 of 336, 252, 84.
    QTest::newRow("version 2") << 2 << -1 << 22 + 16 + 6 << QVector<int>{512, 384, 128} << true << QVector<int>{};
    QTest::newRow("version 3") << 3 << -1 << 20 + 15 + 5 << QVector<int>{336, 252, 84} << true << QVector<int>{};
    // What was read of an archive cut short is handed over too.
    QTest::newRow("silent in the daily archive")
        << 3 << 25 << 26 << QVector<int>{336, 5 * 17} << false << QVector<int>{};
    QTest::newRow("silent at the first block") << 3 << 0 << 1 << QVector<int>{} << false << QVector<int>{};
    // Version 0: not known, the meter is asked first (register 0x0009).
    QTest::newRow("version asked first") << 0 << -1 << 1 + 20 + 15 + 5 << QVector<int>{336, 252, 84} << true
                                         << QVector<int>{};
    // Only the archives due: the daily and the monthly.
    QTest::newRow("daily and monthly only") << 3 << -1 << 15 + 5 << QVector<int>{252, 84} << true
                                            << QVector<int>{archive_geometry::daily, archive_geometry::monthly};
}

void tst_archive_reader::reads_every_archive()
{
    QFETCH(int, version);
    QFETCH(int, silent_from);
    QFETCH(int, requests);
    QFETCH(QVector<int>, records);
    QFETCH(bool, complete);
    QFETCH(QVector<int>, types);

    QVector<sim::meter> meters{sim::builtin_meter()};
    meters[0].version = version == 0 ? 3 : version;
    ArchiveReader reader(version, MeterTarget{}, types);
    QCOMPARE(run_in_process(reader, meters, silent_from).size(), requests);
    QCOMPARE(reader.complete(), complete);

    QCOMPARE(reader.version(), meters[0].version);
    QVector<int> handed_over;
    for (const ReadArchive &read : reader.take_completed()) {
        int count = 0;
        for (const QByteArray &frame : read.frames)
            count += (frame.size() - modbus::archive_header_length(false) - 2) / arc::record_length(reader.version());
        handed_over << count;
        QCOMPARE(read.whole, count == archive_geometry::depth(reader.version(), read.type));
    }
    QCOMPARE(handed_over, records);
}

// A version other than 2 or 3, given or answered, sizes no block: nothing
// is asked for after it and nothing is handed over.
void tst_archive_reader::unknown_version_reads_nothing_data()
{
    QTest::addColumn<int>("given");
    QTest::addColumn<int>("requests");
    QTest::newRow("given") << 0x1205 << 0;
    QTest::newRow("answered") << 0 << 1;
}

void tst_archive_reader::unknown_version_reads_nothing()
{
    QFETCH(int, given);
    QFETCH(int, requests);
    QVector<sim::meter> meters{sim::builtin_meter()};
    meters[0].version = 0x1205;
    ArchiveReader reader(given, MeterTarget{});
    QCOMPARE(run_in_process(reader, meters).size(), requests);
    QVERIFY(reader.finished());
    QVERIFY(!reader.complete());
    QCOMPARE(reader.failure().kind, RunOutcome::Kind::bad_answer);
    QVERIFY(reader.take_completed().isEmpty());
}

void tst_archive_reader::asks_what_it_does_not_know_data()
{
    QTest::addColumn<bool>("by_serial");
    QTest::addColumn<QVector<int>>("registers"); // read before the first block
    QTest::addColumn<bool>("serial_read");
    // The version, the model, and the serial number that names the records.
    QTest::newRow("by address") << false << QVector<int>{0x0009, 0x0008, 0x0004} << true;
    // The serial addressing names the meter already.
    QTest::newRow("by serial number") << true << QVector<int>{0x0009, 0x0008} << false;
}

void tst_archive_reader::asks_what_it_does_not_know()
{
    QFETCH(bool, by_serial);
    QFETCH(QVector<int>, registers);
    QFETCH(bool, serial_read);

    QVector<sim::meter> meters{sim::builtin_meter()};
    const SerialBytes serial{0x00, 0x12, 0x34, 0x56, 0x78, 0xab};
    MeterTarget target;
    target.by_serial = by_serial;
    target.address = 1;
    target.serial = serial;
    ArchiveReader reader(target, {QStringLiteral("СВК-15 RS485,0C15,Ду 15 холодная вода,0.001")});
    const QList<ExchangeRequest> sent = run_in_process(reader, meters);
    QVERIFY(reader.complete());
    QCOMPARE(sent.size(), registers.size() + 20 + 15 + 5);
    const int at = modbus::address_part_length(by_serial);
    for (int k = 0; k < registers.size(); ++k)
        QCOMPARE(word_at(sent.at(k).frame, at), quint16(registers.at(k)));
    QCOMPARE(reader.serial().has_value(), serial_read);
    if (serial_read)
        QCOMPARE(*reader.serial(), serial);
    QVERIFY(reader.identified());
}

QTEST_MAIN(tst_archive_reader)
#include "tst_archive_reader.moc"
