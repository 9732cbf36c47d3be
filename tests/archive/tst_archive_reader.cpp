// The archive reader against the stand-in's meter: the blocks it asks for,
// by protocol version, and what it hands over.
#include "archive/archive_geometry.h"
#include "archive/archive_reader.h"
#include "archive/records.h"
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

QTEST_MAIN(tst_archive_reader)
#include "tst_archive_reader.moc"
