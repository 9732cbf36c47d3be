// The watch's chart over a whole shift: as many points as it may keep, the
// watch's first and latest among them.
#include "windows/service/watch_window.h"

#include <QtTest>

class tst_watch_chart : public QObject
{
    Q_OBJECT
private slots:
    void stays_bounded_data();
    void stays_bounded();
};

void tst_watch_chart::stays_bounded_data()
{
    QTest::addColumn<int>("rounds");
    QTest::newRow("a short watch keeps every point") << 100;
    QTest::newRow("just past the bound") << WatchChart::max_points + 1;
    QTest::newRow("a shift at one second") << 8 * 3600;
}

void tst_watch_chart::stays_bounded()
{
    QFETCH(int, rounds);
    WatchChart chart;
    for (int i = 0; i < rounds; ++i)
        chart.add_point(i, i * 0.005);
    const QVector<QPointF> &points = chart.points();
    QVERIFY(points.size() <= WatchChart::max_points);
    QCOMPARE(points.size() == rounds, rounds <= WatchChart::max_points);
    QCOMPARE(points.first(), QPointF(0, 0));
    QCOMPARE(points.last(), QPointF(rounds - 1, (rounds - 1) * 0.005));
    for (int i = 1; i < points.size(); ++i)
        QVERIFY(points[i].x() > points[i - 1].x());
}

QTEST_MAIN(tst_watch_chart)
#include "tst_watch_chart.moc"
