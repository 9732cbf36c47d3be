#include "collect/service_notify.h"

#include <QDateTime>
#include <QTimer>

#ifdef METER_HAVE_SYSTEMD
#include <systemd/sd-daemon.h>
#endif

namespace collect {

bool making_progress(qint64 since_progress_ms, qint64 now_ms, qint64 next_round_ms, qint64 interval_ms)
{
    if (since_progress_ms < interval_ms)
        return true;
    return next_round_ms >= 0 && now_ms < next_round_ms + interval_ms;
}

ServiceNotify::ServiceNotify(QObject *parent)
    : QObject(parent)
{
    since_progress.start();
#ifdef METER_HAVE_SYSTEMD
    uint64_t usec = 0;
    if (sd_watchdog_enabled(0, &usec) > 0 && usec > 0) {
        interval_ms = qMax<qint64>(1, qint64(usec / 1000));
        // Fed at half the interval, as systemd asks, so one late tick is no restart.
        timer = new QTimer(this);
        timer->setInterval(int(qMax<qint64>(1, interval_ms / 2)));
        connect(timer, &QTimer::timeout, this, &ServiceNotify::tick);
        timer->start();
    }
#endif
}

void ServiceNotify::send(const QString &message)
{
#ifdef METER_HAVE_SYSTEMD
    sd_notify(0, message.toUtf8().constData());
#else
    Q_UNUSED(message)
#endif
}

void ServiceNotify::ready(const QString &text)
{
    send(QStringLiteral("READY=1\nSTATUS=") + text);
    if (timer)
        tick();
}

void ServiceNotify::status(const QString &text)
{
    send(QStringLiteral("STATUS=") + text);
}

void ServiceNotify::stopping()
{
    send(QStringLiteral("STOPPING=1"));
}

void ServiceNotify::progress()
{
    since_progress.restart();
}

void ServiceNotify::round_started()
{
    since_progress.restart();
    next_round_ms = -1;
}

void ServiceNotify::waiting_until(qint64 due_ms)
{
    since_progress.restart();
    next_round_ms = due_ms;
}

void ServiceNotify::tick()
{
    if (making_progress(since_progress.elapsed(), QDateTime::currentMSecsSinceEpoch(), next_round_ms, interval_ms))
        send(QStringLiteral("WATCHDOG=1"));
}

} // namespace collect
