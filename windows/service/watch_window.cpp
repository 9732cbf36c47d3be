#include "windows/service/watch_window.h"

#include "archive/archive_export.h"
#include "config/atomic_file.h"
#include "link/exchanger.h"
#include "meter/register_map.h"
#include "model/meter_model.h"
#include "model/outcome_words.h"
#include "model/quantity.h"
#include "model/watch_table.h"
#include "windows/widgets/save_dialog.h"
#include "windows/widgets/screen_fit.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

WatchChart::WatchChart(QWidget *parent)
    : QWidget(parent)
{
    setMinimumHeight(140);
}

void WatchChart::clear()
{
    shown.clear();
    update();
}

void WatchChart::set_unit(const QString &text)
{
    unit = text;
    update();
}

// Past max_points every second point goes (the first and the last stay), so
// a shift-long watch draws as fast and weighs as little as a short one.
void WatchChart::add_point(double seconds, double change)
{
    shown.append(QPointF(seconds, change));
    if (shown.size() > max_points) {
        QVector<QPointF> kept;
        kept.reserve(max_points / 2 + 2);
        for (int i = 0; i < shown.size(); i += 2)
            kept.append(shown[i]);
        if (kept.last() != shown.last())
            kept.append(shown.last());
        shown = kept;
    }
    update();
}

void WatchChart::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    const QFontMetrics fm = p.fontMetrics();
    const QRectF area = QRectF(rect()).adjusted(fm.horizontalAdvance(QStringLiteral("0000.000")) + 8, fm.height() + 4,
                                                -8, -fm.height() - 6);
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(area);
    if (shown.isEmpty())
        return;
    double t0 = shown.first().x(), t1 = shown.last().x();
    double v0 = shown.first().y(), v1 = v0;
    for (const QPointF &pt : shown) {
        v0 = qMin(v0, pt.y());
        v1 = qMax(v1, pt.y());
    }
    if (t1 <= t0)
        t1 = t0 + 1;
    if (v1 <= v0)
        v1 = v0 + 1;
    auto at = [&](const QPointF &pt) {
        return QPointF(area.left() + (pt.x() - t0) / (t1 - t0) * area.width(),
                       area.bottom() - (pt.y() - v0) / (v1 - v0) * area.height());
    };
    p.setPen(palette().color(QPalette::Text));
    p.drawText(QPointF(2, area.top() + fm.ascent()), QString::number(v1, 'g', 6));
    p.drawText(QPointF(2, area.bottom()), QString::number(v0, 'g', 6));
    p.drawText(QPointF(area.left(), fm.ascent()), tr("Изменение с начала, %1").arg(unit));
    p.drawText(QPointF(area.right() - fm.horizontalAdvance(tr("%1 с").arg(std::lround(t1))), height() - 4),
               tr("%1 с").arg(std::lround(t1)));
    QPainterPath path(at(shown.first()));
    for (int i = 1; i < shown.size(); ++i)
        path.lineTo(at(shown[i]));
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x1f, 0x77, 0xb4), 2));
    p.drawPath(path);
}

WatchWindow::WatchWindow(Exchanger *line, TargetSource target, std::function<ExchangeRules()> rules,
                         const QStringList &model_table, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , exchanger(line)
    , target_of_form(std::move(target))
    , rules_of_run(std::move(rules))
    , models(model_table)
{
    setWindowTitle(tr("Наблюдение"));
    timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &WatchWindow::tick);
    rows = new WatchTable(max_rows, this);
    table = new QTableView(this);
    table->setObjectName(QStringLiteral("watch_table"));
    table->setModel(rows);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    chart = new WatchChart(this);
    chart->setObjectName(QStringLiteral("watch_chart"));
    status = new QLabel(this);
    status->setObjectName(QStringLiteral("watch_status"));
    status->setWordWrap(true);
    stop_btn = new QPushButton(tr("Остановить наблюдение"), this);
    stop_btn->setObjectName(QStringLiteral("watch_stop_btn"));
    stop_btn->setEnabled(false);
    connect(stop_btn, &QPushButton::clicked, this, [this] { stop(tr("Наблюдение остановлено")); });
    export_btn = new QPushButton(tr("Сохранить в CSV"), this);
    export_btn->setObjectName(QStringLiteral("watch_export_btn"));
    export_btn->setEnabled(false);
    connect(export_btn, &QPushButton::clicked, this, [this] {
        save_with_dialog(this, tr("Сохранить наблюдение"),
                         arc::export_file_name(QStringLiteral("watch"), watched_serial(), started_at),
                         tr("Файлы CSV (*.csv)"), &last_dir,
                         [this](const QString &path, QString *error) { return save_to(path, error); });
    });
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(stop_btn, 1);
    buttons->addWidget(export_btn);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(table, 3);
    layout->addWidget(chart, 2);
    layout->addWidget(status);
    layout->addLayout(buttons);
    fit_to_screen(this, QSize(900, 560));
}

WatchWindow::~WatchWindow()
{
    if (round && exchanger->sequence() == round.get())
        exchanger->stop();
}

bool WatchWindow::watching() const
{
    return timer->isActive();
}

void WatchWindow::say(const QString &text, bool error)
{
    status->setStyleSheet(error ? QStringLiteral("QLabel {color:red;}") : QString());
    status->setText(text);
}

bool WatchWindow::start(int period_s, QString *why)
{
    if (watching())
        return true;
    const std::optional<MeterTarget> meter = target_of_form(why);
    if (!meter)
        return false;
    target = *meter;
    meter_info.reset();
    rows_added = rounds_failed = ticks_skipped = 0;
    rows->start(VolumeScale());
    export_btn->setEnabled(false);
    chart->clear();
    started_at = QDateTime::currentDateTime();
    since_start.start();
    timer->start(qBound(1, period_s, 3600) * 1000);
    stop_btn->setEnabled(true);
    say(tr("Наблюдение: раз в %1 с").arg(period_s), false);
    emit watching_changed(true);
    tick();
    return true;
}

void WatchWindow::stop(const QString &why)
{
    if (!watching())
        return;
    timer->stop();
    if (round && exchanger->sequence() == round.get())
        exchanger->stop();
    stop_btn->setEnabled(false);
    say(why, why != tr("Наблюдение остановлено"));
    emit watching_changed(false);
}

void WatchWindow::closeEvent(QCloseEvent *event)
{
    stop(tr("Наблюдение остановлено"));
    event->accept();
}

// A round never goes beside another run: while the line is busy (a slow
// meter still answering the last round) the tick passes.
void WatchWindow::tick()
{
    if (exchanger->busy()) {
        ++ticks_skipped;
        return;
    }
    round = std::make_unique<WatchEngine>(target, models, meter_info);
    exchanger->run(round.get(), rules_of_run(), [this](bool over) {
        if (over)
            round_over();
    });
}

void WatchWindow::round_over()
{
    const qint64 at_ms = since_start.elapsed();
    if (round->complete()) {
        meter_info = round->meter_info();
        add_row(round->reading(), at_ms);
        return;
    }
    const RunOutcome &failure = round->failure();
    switch (failure.kind) {
    case RunOutcome::Kind::port_lost: stop(tr("%1: наблюдение окончено").arg(outcome_words(failure))); return;
    case RunOutcome::Kind::stopped: stop(tr("Наблюдение остановлено")); return;
    default: break;
    }
    if (!watching())
        return;
    ++rounds_failed;
    say(tr("%1: %2; пропущено опросов: %3")
            .arg(QTime::currentTime().toString(QStringLiteral("hh:mm:ss")), outcome_words(failure))
            .arg(rounds_failed),
        true);
}

void WatchWindow::add_row(const WatchReading &r, qint64 at_ms)
{
    const VolumeScale scale = meter_info ? meter_info->scale : VolumeScale();
    if (rows_added == 0) {
        rows->start(scale);
        chart->set_unit(quantity::volume_unit(scale));
        first_volume = r.volume;
    }
    std::optional<double> rate;
    if (rows_added > 0)
        rate = flow_per_hour(last_volume, r.volume, at_ms - last_ms, scale.factor);
    rows->add(QDateTime::currentDateTime(), r, rate);
    table->scrollToBottom();
    export_btn->setEnabled(true);
    chart->add_point(at_ms / 1000.0, double(qint64(r.volume) - first_volume) * (scale.known() ? scale.factor : 1.0));
    ++rows_added;
    last_volume = r.volume;
    last_ms = at_ms;
    QString text = rows_added > max_rows
        ? tr("Наблюдение: опросов %1; в таблице последние %2").arg(rows_added).arg(max_rows)
        : tr("Наблюдение: опросов %1").arg(rows_added);
    if (rounds_failed)
        text += tr("; без ответа: %1").arg(rounds_failed);
    say(text, false);
}

// The meter's serial number as its first round read it, or as it was asked by.
QString WatchWindow::watched_serial() const
{
    if (meter_info)
        return quantity::serial_number(meter_info->serial);
    return target.by_serial ? quantity::serial_number(target.serial) : QString();
}

bool WatchWindow::save_to(const QString &path, QString *error)
{
    return write_file_atomically(path,
                                 rows->csv(watched_serial(), meter_info ? meter_info->model_name : QString(),
                                           target.by_serial ? QString() : QString::number(target.address), started_at),
                                 error);
}
