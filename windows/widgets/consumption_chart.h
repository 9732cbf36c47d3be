#pragma once

#include "archive/archive_chart_data.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QVector>
#include <QWidget>

// Bars of consumption per archive interval over a time axis. It only draws:
// the points come from arc::consumption_series.
class consumption_chart : public QWidget
{
    Q_OBJECT
public:
    explicit consumption_chart(QWidget *parent = nullptr);

    // `unit` names the values on the value axis ("м3" or counted units).
    void set_series(const QList<arc::ConsumptionPoint> &points, const QString &unit);
    // Points after the last ones: only they are measured, not years of them anew.
    void add_points(const QList<arc::ConsumptionPoint> &points);
    QList<arc::ConsumptionPoint> points() const { return series; }
    QString unit() const { return value_unit; }

    static QColor rise_color() { return QColor(0x2f, 0x6f, 0xb5); }
    static QColor drop_color() { return QColor(0xc8, 0x3a, 0x2e); }
    static QColor gap_color() { return QColor(0xf0, 0xe6, 0xc8); } // intervals beside a missing record

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // The series in seconds, as it is drawn, and its extent: kept as points
    // come, so that a paint never converts or sorts them.
    struct Bar
    {
        qint64 start = 0; // 0: none
        qint64 end = 0;
        double value = 0.0;
        bool known = true;
    };
    void measure(const QList<arc::ConsumptionPoint> &points);

    QList<arc::ConsumptionPoint> series;
    QString value_unit;
    QVector<Bar> bars;
    bool in_order = true; // ends never go back: the closest spacing is that of neighbours
    qint64 first_end = 0, last_end = 0, earliest = 0, closest = 0;
    double lowest = 0.0, highest = 0.0;
};
