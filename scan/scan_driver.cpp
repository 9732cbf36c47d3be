#include "scan/scan_driver.h"

#include "link/answer_check.h"
#include "link/io_port.h"
#include "log/hex_line.h"

#include <QTimer>

ScanDriver::ScanDriver(io_port *port, bool *line_echoes, QObject *parent)
    : QObject(parent)
    , port(port)
    , line_echoes(line_echoes)
    , wait_timer(new QTimer(this))
{
    wait_timer->setSingleShot(true);
    // Most addresses are empty and cost their whole wait: keep it exact.
    wait_timer->setTimerType(Qt::PreciseTimer);
    connect(wait_timer, &QTimer::timeout, this, &ScanDriver::conclude);
    connect(port, &io_port::bytes_arrived, this, &ScanDriver::answer_arrived);
}

void ScanDriver::start(scan::Settings settings)
{
    if (active)
        return;
    settings.line = port->timing();
    // Bytes queued before the first request answer nothing of this search.
    QList<QByteArray> stale;
    port->take(stale);
    run.emplace(settings);
    active = true;
    send_current();
}

void ScanDriver::stop()
{
    if (active)
        run->stop();
}

void ScanDriver::send_current()
{
    if (!port->is_open()) {
        // The adapter is gone: what was not asked is not known.
        run->stop();
        const scan::LineScan::Step step = run->conclude(QByteArray());
        if (step.meter >= 0)
            emit meter_changed(step.meter);
        finish(End::port_closed);
        return;
    }
    const scan::Exchange &exchange = run->exchange();
    if (exchange.field == scan::protocol_version)
        emit asking(exchange.address);
    // The wait starts now, but the request may first have to wait for the line to fall silent.
    wait_timer->start(exchange.wait_ms + port->ms_until_line_free());
    port->send(exchange.request);
    emit traffic(sent_line(exchange.request));
}

void ScanDriver::answer_arrived()
{
    // Bytes that come before the request has left answer something else.
    if (!active || !wait_timer->isActive() || port->frames_waiting())
        return;
    bool echoes = *line_echoes; // only a look: the take below learns it for good
    if (run->is_answer(strip_echo(port->queued_bytes(), run->exchange().request, &echoes)))
        conclude();
}

void ScanDriver::conclude()
{
    wait_timer->stop();
    QList<QByteArray> chunks;
    port->take(chunks);
    QByteArray received;
    for (const QByteArray &chunk : qAsConst(chunks))
        received += chunk;
    if (!received.isEmpty())
        emit traffic(received_line(received) + QLatin1Char('\n'));

    const scan::LineScan::Step step = run->conclude(strip_echo(received, run->exchange().request, line_echoes));
    if (step.meter >= 0)
        emit meter_changed(step.meter);
    if (run->finished())
        finish(run->stopped() ? End::stopped : End::done);
    else
        send_current();
}

void ScanDriver::finish(End end)
{
    wait_timer->stop();
    active = false;
    emit finished(end);
}
