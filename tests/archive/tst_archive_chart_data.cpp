#include "archive/archive_chart_data.h"
#include "test_bytes.h"

#include <QtTest>

namespace {

QByteArray record(qint32 time, qint32 reading, quint16 event = 0)
{
    return dword(time) + dword(reading) + char(event >> 8) + char(event);
}

// 30.01.2024 15:00:00 UTC
const qint32 t0 = 1706626800;
const qint32 h = 3600;

QDateTime at(qint32 seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
}

QList<QDateTime> times(const QList<arc::ConsumptionPoint> &points)
{
    QList<QDateTime> ends;
    for (const arc::ConsumptionPoint &p : points)
        ends << p.end;
    return ends;
}

bool near(const QList<double> &a, const QList<double> &b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i)
        if (std::abs(a.at(i) - b.at(i)) > 1e-9)
            return false;
    return true;
}

QString text(const QList<double> &list)
{
    QStringList parts;
    for (double v : list)
        parts << QString::number(v, 'g', 12);
    return parts.join(QLatin1Char(' '));
}

} // namespace

class tst_archive_chart_data : public QObject
{
    Q_OBJECT
private slots:
    void series_data();
    void series();
    void value_ticks_data();
    void value_ticks();
    void time_ticks_data();
    void time_ticks();
};

void tst_archive_chart_data::series_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("version");
    QTest::addColumn<double>("scale");
    QTest::addColumn<QList<QByteArray>>("records");
    QTest::addColumn<QList<QDateTime>>("ends");
    QTest::addColumn<QStringList>("values"); // "—" and the hours it spans: not known

    // As the meter keeps them: the newest first.
    const QList<QByteArray> newest_first{record(t0 + 2 * h, 1500), record(t0 + h, 1200), record(t0, 1000)};
    const QList<QDateTime> two_hours{at(t0 + h), at(t0 + 2 * h)};
    const qint32 d = 24 * h;
    const auto month
        = [](int m) { return qint32(QDateTime(QDate(2024, m, 1), QTime(0, 0), Qt::UTC).toSecsSinceEpoch()); };

    QTest::newRow("newest first, factor applied")
        << 1 << 2 << 0.001 << newest_first << two_hours << QStringList{"0.2", "0.3"};
    QTest::newRow("no factor: counted units")
        << 1 << 2 << 0.0 << newest_first << two_hours << QStringList{"200", "300"};
    QTest::newRow("any order") << 1 << 2 << 0.01
                               << QList<QByteArray>{record(t0 + h, 1200), record(t0 + 2 * h, 1250), record(t0, 1000)}
                               << two_hours << QStringList{"2", "0.5"};
    QTest::newRow("an empty slot: no value across it, no time before 1970")
        << 1 << 2 << 1.0
        << QList<QByteArray>{record(t0 + 2 * h, 30), record(t0 + h, 99999, 7), record(-1, 5), record(t0, 10)}
        << QList<QDateTime>{at(t0 + 2 * h)} << QStringList{"—2h"};
    QTest::newRow("never written slots at the end")
        << 1 << 3 << 1.0
        << QList<QByteArray>{QByteArray(14, char(0xFF)), record(t0 + h, 30) + dword(0), QByteArray(14, char(0xFF)),
                             record(t0, 10) + dword(0)}
        << QList<QDateTime>{at(t0 + h)} << QStringList{"20"};
    QTest::newRow("no reading (-1): no value either side")
        << 1 << 2 << 1.0 << QList<QByteArray>{record(t0 + 2 * h, 9), record(t0 + h, -1), record(t0, 5)} << two_hours
        << QStringList{"—1h", "—1h"};
    QTest::newRow("a record 20 minutes late still follows")
        << 1 << 2 << 1.0 << QList<QByteArray>{record(t0 + h + 1200, 30), record(t0, 10)}
        << QList<QDateTime>{at(t0 + h + 1200)} << QStringList{"20"};
    QTest::newRow("an event other than 7 counts")
        << 1 << 2 << 1.0 << QList<QByteArray>{record(t0 + h, 30, 1792), record(t0, 10)} << QList<QDateTime>{at(t0 + h)}
        << QStringList{"20"};
    QTest::newRow("meter replaced: a drop stays negative")
        << 1 << 2 << 0.001 << QList<QByteArray>{record(t0 + 2 * h, 40), record(t0 + h, 5000), record(t0, 4000)}
        << two_hours << QStringList{"1", "-4.96"};
    QTest::newRow("version 3: reverse flow plays no part")
        << 1 << 3 << 1.0 << QList<QByteArray>{record(t0 + h, 12) + dword(-500), record(t0, 10) + dword(900)}
        << QList<QDateTime>{at(t0 + h)} << QStringList{"2"};
    QTest::newRow("daily: a day missing")
        << 2 << 2 << 1.0 << QList<QByteArray>{record(t0 + 3 * d, 40), record(t0 + d, 20), record(t0, 10)}
        << QList<QDateTime>{at(t0 + d), at(t0 + 3 * d)} << QStringList{"10", "—48h"};
    QTest::newRow("monthly: 29 to 31 days follow, April missing")
        << 3 << 2 << 1.0
        << QList<QByteArray>{record(month(5), 220), record(month(3), 160), record(month(2), 131), record(month(1), 100)}
        << QList<QDateTime>{at(month(2)), at(month(3)), at(month(5))} << QStringList{"31", "29", "—1464h"};
    QTest::newRow("one valid record") << 1 << 2 << 1.0 << QList<QByteArray>{record(t0, 10), record(t0 + h, 20, 7)}
                                      << QList<QDateTime>{} << QStringList{};
    QTest::newRow("no records") << 1 << 2 << 1.0 << QList<QByteArray>{} << QList<QDateTime>{} << QStringList{};
}

void tst_archive_chart_data::series()
{
    QFETCH(int, type);
    QFETCH(int, version);
    QFETCH(double, scale);
    QFETCH(QList<QByteArray>, records);
    QFETCH(QList<QDateTime>, ends);
    QFETCH(QStringList, values);

    const QList<arc::ConsumptionPoint> points = arc::consumption_series(records, type, version, scale);
    QCOMPARE(times(points), ends);
    QStringList shown;
    for (const arc::ConsumptionPoint &p : points) {
        QCOMPARE(p.end.timeSpec(), Qt::UTC);
        shown << (p.known ? QString::number(p.value, 'g', 12)
                          : QStringLiteral("—%1h").arg(p.start.secsTo(p.end) / 3600));
    }
    QCOMPARE(shown, values);
}

void tst_archive_chart_data::value_ticks_data()
{
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::addColumn<int>("max_count");
    QTest::addColumn<QList<double>>("ticks");

    QTest::newRow("whole numbers") << 0.0 << 10.0 << 6 << QList<double>{0, 2, 4, 6, 8, 10};
    QTest::newRow("bounds between ticks") << 0.0 << 9.1 << 6 << QList<double>{0, 2, 4, 6, 8, 10};
    QTest::newRow("thousandths") << 0.0 << 0.0123 << 5 << QList<double>{0, 0.005, 0.01, 0.015};
    QTest::newRow("below zero") << -3.0 << 7.0 << 6 << QList<double>{-5, 0, 5, 10};
    QTest::newRow("large") << 0.0 << 123456.0 << 6 << QList<double>{0, 50000, 100000, 150000};
    QTest::newRow("nothing but zero") << 0.0 << 0.0 << 6 << QList<double>{0, 0.2, 0.4, 0.6, 0.8, 1.0};
}

void tst_archive_chart_data::value_ticks()
{
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(int, max_count);
    QFETCH(QList<double>, ticks);

    const QList<double> got = arc::value_ticks(low, high, max_count);
    QVERIFY2(near(got, ticks), qPrintable(text(got)));
}

void tst_archive_chart_data::time_ticks_data()
{
    QTest::addColumn<QDateTime>("from");
    QTest::addColumn<QDateTime>("to");
    QTest::addColumn<int>("max_count");
    QTest::addColumn<QList<QDateTime>>("ticks");
    QTest::addColumn<QString>("format");

    auto utc = [](int y, int mo, int d, int hh = 0, int mm = 0) {
        return QDateTime(QDate(y, mo, d), QTime(hh, mm), Qt::UTC);
    };

    QTest::newRow("a day of hours") << utc(2024, 1, 30, 0, 30) << utc(2024, 1, 30, 23, 30) << 6
                                    << QList<QDateTime>{utc(2024, 1, 30, 6), utc(2024, 1, 30, 12), utc(2024, 1, 30, 18)}
                                    << "dd.MM\nhh:mm";
    QTest::newRow("two weeks of hours") << utc(2024, 1, 16) << utc(2024, 1, 30) << 8
                                        << QList<QDateTime>{utc(2024, 1, 16), utc(2024, 1, 18), utc(2024, 1, 20),
                                                            utc(2024, 1, 22), utc(2024, 1, 24), utc(2024, 1, 26),
                                                            utc(2024, 1, 28), utc(2024, 1, 30)}
                                        << "dd.MM.yy";
    QTest::newRow("a year of months") << utc(2023, 1, 15) << utc(2024, 1, 15) << 6
                                      << QList<QDateTime>{utc(2023, 3, 1), utc(2023, 5, 1),  utc(2023, 7, 1),
                                                          utc(2023, 9, 1), utc(2023, 11, 1), utc(2024, 1, 1)}
                                      << "MM.yyyy";
    QTest::newRow("under an hour") << utc(2024, 1, 30, 10, 5) << utc(2024, 1, 30, 10, 55) << 5
                                   << QList<QDateTime>{utc(2024, 1, 30, 10, 10), utc(2024, 1, 30, 10, 20),
                                                       utc(2024, 1, 30, 10, 30), utc(2024, 1, 30, 10, 40),
                                                       utc(2024, 1, 30, 10, 50)}
                                   << "dd.MM\nhh:mm";
    QTest::newRow("narrower than any step") << utc(2024, 1, 30, 10, 1) << utc(2024, 1, 30, 10, 2) << 5
                                            << QList<QDateTime>{utc(2024, 1, 30, 10, 1)} << "dd.MM\nhh:mm";
}

void tst_archive_chart_data::time_ticks()
{
    QFETCH(QDateTime, from);
    QFETCH(QDateTime, to);
    QFETCH(int, max_count);
    QFETCH(QList<QDateTime>, ticks);
    QFETCH(QString, format);

    const arc::TimeTicks got = arc::time_ticks(from, to, max_count);
    QCOMPARE(got.ticks, ticks);
    QCOMPARE(got.format, format);
}

QTEST_MAIN(tst_archive_chart_data)
#include "tst_archive_chart_data.moc"
