#pragma once

// The collector as a systemd service (Type=notify, WatchdogSec=): ready once
// its lines file and journal are checked, a status line, and the watchdog
// fed only while the rounds make progress, so that a collector that hangs is
// restarted. Without systemd (no NOTIFY_SOCKET, or a build without
// libsystemd, as on Windows) it says nothing.

#include <QElapsedTimer>
#include <QObject>
#include <QString>

class QTimer;

namespace collect {

// Whether a collector is still alive for the watchdog: something happened
// within the interval (an exchange ended, a meter finished, a round started),
// or it waits for a round that is not yet overdue by the interval.
// `next_round_ms` < 0: a round is under way.
bool making_progress(qint64 since_progress_ms, qint64 now_ms, qint64 next_round_ms, qint64 interval_ms);

class ServiceNotify : public QObject
{
    Q_OBJECT
public:
    explicit ServiceNotify(QObject *parent = nullptr);

    void ready(const QString &status);
    void status(const QString &status);
    void stopping();
    // An exchange ended, a meter finished.
    void progress();
    void round_started();
    // Between rounds: the next one starts at `due_ms` (ms since the epoch).
    void waiting_until(qint64 due_ms);

private:
    void send(const QString &message);
    void tick();

    QTimer *timer = nullptr;
    QElapsedTimer since_progress;
    qint64 interval_ms = 0; // 0: no watchdog
    qint64 next_round_ms = -1;
};

} // namespace collect
