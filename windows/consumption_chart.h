#pragma once

#include "archive/archive_chart_data.h"

#include <QColor>
#include <QList>
#include <QString>
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
    QList<arc::ConsumptionPoint> series;
    QString value_unit;
};
