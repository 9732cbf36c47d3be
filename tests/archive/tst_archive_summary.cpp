// What the service report says of an archive: records, time span, and the
// consumption per month.
#include "archive/archive_summary.h"

#include <QtTest>

namespace {

// A version 2 record: time, reading (low register first), event.
QByteArray record(const QString &time, qint32 reading, quint16 event = 0)
{
    QDateTime at = QDateTime::fromString(time, "yyyy-MM-dd hh:mm");
    at.setTimeSpec(Qt::UTC); // the meter's wall time, no zone
    const qint64 t = at.toSecsSinceEpoch();
    QByteArray bytes;
    for (quint32 v : {quint32(t), quint32(reading)}) {
        for (int shift : {8, 0, 24, 16})
            bytes.append(char(v >> shift & 0xFF));
    }
    bytes.append(char(event >> 8)).append(char(event & 0xFF));
    return bytes;
}

} // namespace

class tst_archive_summary : public QObject
{
    Q_OBJECT
private slots:
    void summary_data();
    void summary();
};

void tst_archive_summary::summary_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QList<QByteArray>>("records"); // newest first, as the meter keeps them
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("span");
    QTest::addColumn<QStringList>("months");

    QTest::newRow("monthly readings close the month before")
        << 3
        << QList<QByteArray>{record("2024-03-01 00:00", 3500), record("2024-02-01 00:00", 3000),
                             record("2024-01-01 00:00", 1000)}
        << 3 << "2024-01-01 00:00 2024-03-01 00:00" << QStringList{"01.2024 2.000", "02.2024 0.500"};
    QTest::newRow("hours across a month's end")
        << 1
        << QList<QByteArray>{record("2024-02-01 01:00", 130), record("2024-02-01 00:00", 120),
                             record("2024-01-31 23:00", 100)}
        << 3 << "2024-01-31 23:00 2024-02-01 01:00" << QStringList{"01.2024 0.020", "02.2024 0.010"};
    QTest::newRow("empty slots left out")
        << 3
        << QList<QByteArray>{QByteArray(10, char(0xFF)), record("2024-02-01 00:00", 2000, 7),
                             record("2024-02-01 00:00", 2000), record("2024-01-01 00:00", 1000)}
        << 2 << "2024-01-01 00:00 2024-02-01 00:00" << QStringList{"01.2024 1.000"};
    // The reading of 1 March is missing: neither February nor March is known,
    // and April keeps its own consumption only.
    QTest::newRow("monthly: a missing record")
        << 3
        << QList<QByteArray>{record("2024-05-01 00:00", 3200), record("2024-04-01 00:00", 3000),
                             record("2024-03-01 00:00", 2900, 7), record("2024-02-01 00:00", 1500),
                             record("2024-01-01 00:00", 1000)}
        << 4 << "2024-01-01 00:00 2024-05-01 00:00"
        << QStringList{"01.2024 0.500", "02.2024 —", "03.2024 —", "04.2024 0.200"};
    QTest::newRow("hourly: the last hour of January missing")
        << 1
        << QList<QByteArray>{record("2024-02-01 01:00", 130), record("2024-02-01 00:00", 120),
                             record("2024-01-31 22:00", 100), record("2024-01-31 21:00", 90)}
        << 4 << "2024-01-31 21:00 2024-02-01 01:00" << QStringList{"01.2024 —", "02.2024 0.010"};
    QTest::newRow("nothing read") << 3 << QList<QByteArray>{} << 0 << " " << QStringList{};
}

void tst_archive_summary::summary()
{
    QFETCH(int, type);
    QFETCH(QList<QByteArray>, records);
    QFETCH(int, count);
    QFETCH(QString, span);
    QFETCH(QStringList, months);
    const arc::ArchiveSummary s = arc::summarize_archive(records, type, 2, 0.001);
    QCOMPARE(s.records, count);
    QCOMPARE(s.first.toString("yyyy-MM-dd hh:mm") + ' ' + s.last.toString("yyyy-MM-dd hh:mm"), span);
    QStringList shown;
    for (const arc::MonthConsumption &m : s.months)
        shown << m.month.toString("MM.yyyy") + ' ' + (m.known ? QString::number(m.value, 'f', 3) : QStringLiteral("—"));
    QCOMPARE(shown, months);
}

QTEST_GUILESS_MAIN(tst_archive_summary)
#include "tst_archive_summary.moc"
