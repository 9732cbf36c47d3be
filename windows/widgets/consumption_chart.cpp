#include "windows/widgets/consumption_chart.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr int value_tick_count = 6;
constexpr qint64 lone_point_pad = 1800; // s either side of a single time

} // namespace

consumption_chart::consumption_chart(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void consumption_chart::set_series(const QList<arc::ConsumptionPoint> &points, const QString &unit)
{
    series.clear();
    bars.clear();
    in_order = true;
    closest = 0;
    lowest = highest = 0.0;
    value_unit = unit;
    measure(points);
    update();
}

void consumption_chart::add_points(const QList<arc::ConsumptionPoint> &points)
{
    if (points.isEmpty())
        return;
    measure(points);
    update();
}

void consumption_chart::measure(const QList<arc::ConsumptionPoint> &points)
{
    series += points;
    bars.reserve(bars.size() + points.size());
    for (const arc::ConsumptionPoint &pt : points) {
        Bar bar;
        bar.end = pt.end.toSecsSinceEpoch();
        bar.start = pt.start.isValid() ? pt.start.toSecsSinceEpoch() : 0;
        bar.value = pt.value;
        bar.known = pt.known;
        if (bars.isEmpty()) {
            first_end = last_end = earliest = bar.end;
        } else {
            const qint64 d = bar.end - last_end;
            in_order = in_order && d >= 0;
            if (d > 0 && (closest == 0 || d < closest))
                closest = d;
            first_end = qMin(first_end, bar.end);
            last_end = qMax(last_end, bar.end);
        }
        if (!bar.known && bar.start != 0)
            earliest = qMin(earliest, bar.start);
        if (bar.known) {
            lowest = qMin(lowest, bar.value);
            highest = qMax(highest, bar.value);
        }
        bars.append(bar);
    }
    // Out of order: the closest spacing of the sorted times, measured once.
    if (!in_order) {
        QVector<qint64> times;
        times.reserve(bars.size());
        for (const Bar &bar : qAsConst(bars))
            times.append(bar.end);
        std::sort(times.begin(), times.end());
        closest = 0;
        for (int i = 1; i < times.size(); ++i) {
            const qint64 d = times.at(i) - times.at(i - 1);
            if (d > 0 && (closest == 0 || d < closest))
                closest = d;
        }
    }
}

QSize consumption_chart::sizeHint() const
{
    return QSize(360, 300);
}

QSize consumption_chart::minimumSizeHint() const
{
    return QSize(200, 150);
}

void consumption_chart::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Base));
    p.setPen(palette().color(QPalette::Text));

    if (series.isEmpty()) {
        p.drawText(rect(), Qt::AlignCenter, tr("Нет данных"));
        return;
    }

    // Times: the bars stand on their interval ends, 0.7 of the closest spacing
    // wide; a stretch of unknown intervals shows from its first record on.
    const qint64 gap = closest;
    const qint64 pad = gap > 0 ? gap / 2 + 1 : lone_point_pad;
    const qint64 x_from = qMin(earliest, first_end) - pad;
    const qint64 x_to = last_end + pad;

    // Values: zero is always on the axis, so drops show below it.
    const double v_min = lowest;
    const double v_max = highest;
    const QList<double> v_ticks = arc::value_ticks(v_min, v_max, value_tick_count);
    const double y_from = v_ticks.first();
    const double y_to = v_ticks.last();
    const double step = v_ticks.at(1) - v_ticks.at(0); // there are always two or more
    const int decimals = qBound(0, int(std::ceil(-std::log10(step) - 1e-9)), 6);
    QStringList v_labels;
    for (double v : v_ticks)
        v_labels << QString::number(std::abs(v) < step / 2 ? 0.0 : v, 'f', decimals);

    const QFontMetrics fm = fontMetrics();
    int value_width = 0;
    for (const QString &s : v_labels)
        value_width = qMax(value_width, fm.horizontalAdvance(s));
    const int line = fm.height();
    const QRect plot = rect().adjusted(value_width + 12, line + 8, -12, -(2 * line + 10));
    if (plot.width() < 10 || plot.height() < 10)
        return;

    auto x_of = [&](qint64 t) { return plot.left() + double(t - x_from) * plot.width() / double(x_to - x_from); };
    auto y_of = [&](double v) { return plot.bottom() - (v - y_from) * plot.height() / (y_to - y_from); };

    // Where records are missing there is no bar: the stretch is shaded under
    // the grid so that it is not taken for no consumption.
    const double bar_width = gap > 0 ? qBound(1.0, 0.7 * gap * plot.width() / double(x_to - x_from), 40.0) : 12.0;
    double shaded_to = -1.0; // years of records: a stretch already shaded is not shaded again
    for (const Bar &bar : qAsConst(bars)) {
        if (bar.known)
            continue;
        const double from = qMax(x_of(bar.start != 0 ? bar.start : bar.end) + bar_width / 2, double(plot.left()));
        // At least a pixel wide, so that a missing hour in years of them shows.
        const double to = qMin(qMax(x_of(bar.end) + bar_width / 2, from + 1.0), double(plot.right()));
        if (to > from && to > shaded_to) {
            p.fillRect(QRectF(qMax(from, shaded_to), plot.top(), to - qMax(from, shaded_to), plot.height()),
                       gap_color());
            shaded_to = to;
        }
    }

    const QColor grid_color = palette().color(QPalette::Mid);
    const QColor text_color = palette().color(QPalette::Text);

    // Title, then the value axis: grid lines and labels.
    p.drawText(QRect(4, 0, width() - 4, line + 4), Qt::AlignLeft | Qt::AlignVCenter,
               tr("Расход за интервал, %1").arg(value_unit));
    for (int i = 0; i < v_ticks.size(); ++i) {
        const int y = qRound(y_of(v_ticks.at(i)));
        p.setPen(QPen(grid_color, 0, Qt::DotLine));
        p.drawLine(plot.left(), y, plot.right(), y);
        p.setPen(text_color);
        p.drawText(QRect(0, y - line / 2, value_width + 6, line), Qt::AlignRight | Qt::AlignVCenter, v_labels.at(i));
    }

    // Axes and the zero line under the bars.
    p.setPen(text_color);
    p.drawLine(plot.bottomLeft(), plot.topLeft());
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    const double zero_y = y_of(0.0);
    p.drawLine(QPointF(plot.left(), zero_y), QPointF(plot.right(), zero_y));

    // Bars; at least a pixel tall, so a small flow is told from none. Bars
    // narrower than two pixels share their pixel column: it shows the
    // largest rise and the largest drop that fall in it.
    p.setPen(Qt::NoPen);
    const auto draw_bar = [&](double x, double value) {
        const double height = qMax(std::abs(y_of(value) - zero_y), 1.0);
        p.setBrush(value < 0 ? drop_color() : rise_color());
        p.drawRect(QRectF(x, value < 0 ? zero_y : zero_y - height, bar_width, height));
    };
    if (bar_width >= 2.0) {
        for (const Bar &bar : qAsConst(bars)) {
            if (bar.known && bar.value != 0.0)
                draw_bar(x_of(bar.end) - bar_width / 2, bar.value);
        }
    } else {
        QVector<double> rise(plot.width() + 2, 0.0), drop(plot.width() + 2, 0.0);
        for (const Bar &bar : qAsConst(bars)) {
            if (!bar.known || bar.value == 0.0)
                continue;
            const int column
                = qBound(0, int(std::floor(x_of(bar.end) - bar_width / 2)) - plot.left(), int(rise.size()) - 1);
            if (bar.value > 0)
                rise[column] = qMax(rise[column], bar.value);
            else
                drop[column] = qMin(drop[column], bar.value);
        }
        for (int column = 0; column < rise.size(); ++column) {
            if (rise[column] > 0)
                draw_bar(plot.left() + column, rise[column]);
            if (drop[column] < 0)
                draw_bar(plot.left() + column, drop[column]);
        }
    }
    p.setPen(text_color);
    p.setBrush(Qt::NoBrush);

    // Time axis; the labels at the edges are kept inside the widget.
    const int label_width = fm.horizontalAdvance(QStringLiteral("00.00.0000")) + 8;
    const int label_count = qMax(1, plot.width() / (label_width + 8));
    const arc::TimeTicks t_ticks = arc::time_ticks(QDateTime::fromSecsSinceEpoch(x_from, Qt::UTC),
                                                   QDateTime::fromSecsSinceEpoch(x_to, Qt::UTC), label_count);
    for (const QDateTime &t : t_ticks.ticks) {
        const int x = qRound(x_of(t.toSecsSinceEpoch()));
        p.drawLine(x, plot.bottom(), x, plot.bottom() + 4);
        const int left = qBound(0, x - label_width / 2, width() - label_width);
        p.drawText(QRect(left, plot.bottom() + 5, label_width, 2 * line + 4), Qt::AlignHCenter | Qt::AlignTop,
                   t.toString(t_ticks.format));
    }
}
