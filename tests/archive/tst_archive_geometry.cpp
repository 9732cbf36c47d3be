#include "archive/archive_geometry.h"

#include <QtTest>

using namespace archive_geometry;

class tst_archive_geometry : public QObject
{
    Q_OBJECT
private slots:
    void blocks_data();
    void blocks();
    void unsupported_versions();
};

void tst_archive_geometry::blocks_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("requests");
    QTest::addColumn<int>("records");
    QTest::addColumn<QList<int>>("short_block"); // index, size; empty when every block is full

    QTest::newRow("v2 hourly") << 2 << int(hourly) << 22 << 512 << QList<int>{504, 8};
    QTest::newRow("v2 daily") << 2 << int(daily) << 16 << 384 << QList<int>{};
    QTest::newRow("v2 monthly") << 2 << int(monthly) << 6 << 128 << QList<int>{120, 8};
    QTest::newRow("v3 hourly") << 3 << int(hourly) << 20 << 336 << QList<int>{323, 13};
    QTest::newRow("v3 daily") << 3 << int(daily) << 15 << 252 << QList<int>{238, 14};
    QTest::newRow("v3 monthly") << 3 << int(monthly) << 5 << 84 << QList<int>{68, 16};
}

void tst_archive_geometry::blocks()
{
    QFETCH(int, version);
    QFETCH(int, type);
    QFETCH(int, requests);
    QFETCH(int, records);
    QFETCH(QList<int>, short_block);

    // Walk the archive as the read does: ask, advance by a full step.
    int sent = 0;
    int asked = 0;
    QList<int> shorter;
    for (int index = 0; !is_complete(version, type, index); index += block_step(version)) {
        const int size = block_size(version, type, index);
        QVERIFY(size > 0);
        if (size != block_step(version))
            shorter << index << size;
        asked += size;
        ++sent;
    }
    QCOMPARE(sent, requests);
    QCOMPARE(asked, records);
    QCOMPARE(shorter, short_block);
}

void tst_archive_geometry::unsupported_versions()
{
    for (int version : {0, 1, 4}) {
        QVERIFY(!is_supported_version(version));
        QVERIFY(is_complete(version, hourly, 0));
    }
    QVERIFY(is_complete(2, 4, 0));
}

QTEST_APPLESS_MAIN(tst_archive_geometry)
#include "tst_archive_geometry.moc"
