#include "windows/widgets/consumption_chart.h"

#include <QImage>
#include <QtTest>

namespace {

int pixels_of(const QImage &image, const QColor &color)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y) == color;
    return count;
}

arc::ConsumptionPoint point(qint64 seconds, double value)
{
    arc::ConsumptionPoint p;
    p.end = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
    p.value = value;
    return p;
}

// Intervals beside a missing record, from `seconds` back to `from`.
arc::ConsumptionPoint unknown(qint64 from, qint64 seconds)
{
    arc::ConsumptionPoint p = point(seconds, 0);
    p.start = QDateTime::fromSecsSinceEpoch(from, Qt::UTC);
    p.known = false;
    return p;
}

const qint64 t0 = 1706626800;

// Five years of hours, more bars than pixels: one reset and one missing
// record among them still show.
QList<arc::ConsumptionPoint> years_of_hours()
{
    QList<arc::ConsumptionPoint> points;
    const int hours = 5 * 365 * 24;
    for (int k = 0; k < hours; ++k)
        points.append(k == hours / 3 ? point(t0 + 3600 * k, -4.9) : point(t0 + 3600 * k, 0.01));
    points[hours / 2] = unknown(t0 + 3600 * (hours / 2 - 2), t0 + 3600 * (hours / 2));
    return points;
}

} // namespace

Q_DECLARE_METATYPE(arc::ConsumptionPoint)

class tst_consumption_chart : public QObject
{
    Q_OBJECT
private slots:
    void bars_by_sign_data();
    void bars_by_sign();
};

void tst_consumption_chart::bars_by_sign_data()
{
    QTest::addColumn<QList<arc::ConsumptionPoint>>("points");
    QTest::addColumn<bool>("rises");
    QTest::addColumn<bool>("drops");
    QTest::addColumn<bool>("gaps");

    QTest::newRow("no data") << QList<arc::ConsumptionPoint>{} << false << false << false;
    QTest::newRow("consumption and a reset")
        << QList<arc::ConsumptionPoint>{point(t0, 0.2), point(t0 + 3600, -4.96), point(t0 + 7200, 0.3)} << true << true
        << false;
    QTest::newRow("only drops") << QList<arc::ConsumptionPoint>{point(t0, -1), point(t0 + 86400, -2)} << false << true
                                << false;
    // A missing record: no bar where it was, the stretch shaded.
    QTest::newRow("a missing record") << QList<arc::ConsumptionPoint>{point(t0, 0.2), unknown(t0, t0 + 7200),
                                                                      point(t0 + 10800, 0.3)}
                                      << true << false << true;
    QTest::newRow("nothing known") << QList<arc::ConsumptionPoint>{unknown(t0, t0 + 7200)} << false << false << true;
    // Degenerate ranges: one time, no spread of values.
    QTest::newRow("a single point") << QList<arc::ConsumptionPoint>{point(t0, 5)} << true << false << false;
    QTest::newRow("years of hours") << years_of_hours() << true << true << true;
    QTest::newRow("all zero, same time") << QList<arc::ConsumptionPoint>{point(t0, 0), point(t0, 0)} << false << false
                                         << false;
}

void tst_consumption_chart::bars_by_sign()
{
    QFETCH(QList<arc::ConsumptionPoint>, points);
    QFETCH(bool, rises);
    QFETCH(bool, drops);
    QFETCH(bool, gaps);

    consumption_chart chart;
    chart.resize(400, 300);
    chart.set_series(points, QStringLiteral("м3"));
    const QImage image = chart.grab().toImage();
    QCOMPARE(pixels_of(image, consumption_chart::rise_color()) > 0, rises);
    QCOMPARE(pixels_of(image, consumption_chart::drop_color()) > 0, drops);
    QCOMPARE(pixels_of(image, consumption_chart::gap_color()) > 0, gaps);
}

QTEST_MAIN(tst_consumption_chart)
#include "tst_consumption_chart.moc"
