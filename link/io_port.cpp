#include "link/io_port.h"

#include "app/port_settings.h"

#include <QSerialPort>
#include <QSerialPortInfo>
#include <QTimer>

#include <algorithm>
#include <cmath>

QStringList openable_port_names()
{
    QStringList names;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        QSerialPort probe;
        probe.setPort(info);
        if (probe.open(QIODevice::ReadWrite)) {
            names += probe.portName();
            probe.close();
        }
    }
    return names;
}

QString choose_port_name(const QString &configured, const QStringList &openable)
{
    if (!configured.isEmpty())
        return configured;
    return openable.isEmpty() ? QString() : openable.last();
}

io_port::io_port(QObject *parent)
    : QObject(parent)
    , send_timer(new QTimer(this))
{
    clock.start();
    send_timer->setSingleShot(true);
    send_timer->setTimerType(Qt::PreciseTimer);
    connect(send_timer, &QTimer::timeout, this, &io_port::send_waiting);
}

qint64 io_port::now_us() const
{
    return clock.nsecsElapsed() / 1000;
}

int io_port::ms_until_line_free() const
{
    const qint64 wait_us = line_free_at_us - now_us();
    return wait_us > 0 ? int((wait_us + 999) / 1000) : 0;
}

bool io_port::open_port(const QString &name, int baud_rate, int stop_bits, int parity, PortSettings *record)
{
    const QString chosen = choose_port_name(name, openable_port_names());
    record->port_name = chosen;

    // A new port object per open, so readyRead() is connected exactly once to
    // a live port and nothing of the old one is delivered again.
    delete port;
    port = new QSerialPort(this);
    port->setPortName(chosen);
    port->setDataBits(QSerialPort::Data8);
    port->setFlowControl(QSerialPort::NoFlowControl);

    if (parity == 1)
        port->setParity(QSerialPort::OddParity);
    else if (parity == 2)
        port->setParity(QSerialPort::EvenParity);
    else
        port->setParity(QSerialPort::NoParity);

    const int rate = (baud_rate == 1200 || baud_rate == 2400 || baud_rate == 4800) ? baud_rate : 9600;
    port->setBaudRate(rate);
    record->baud_rate = rate;

    if (stop_bits == 1 || stop_bits == 2) {
        port->setStopBits(stop_bits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
        record->stop_bits = stop_bits;
    } else {
        port->setStopBits(QSerialPort::OneStop);
    }

    line.baud_rate = rate;
    line.parity = (parity == 1 || parity == 2) ? parity : 0;
    line.stop_bits = stop_bits == 2 ? 2 : 1;
    line_free_at_us = 0;

    opened = port->open(QIODevice::ReadWrite);
    connect(port, SIGNAL(readyRead()), this, SLOT(serialReceive()));
    connect(port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError)
            QMetaObject::invokeMethod(this, "port_failed", Qt::QueuedConnection);
    });
    return opened;
}

void io_port::close_port()
{
    if (port)
        port->close();
    opened = false;
    outbox.clear();
    send_timer->stop();
}

// An adapter pulled out, or a line gone: the port would report the same
// error on every turn of the event loop. Close it; the sequences then see no
// answer and end with their messages, and "Запуск порта" opens it anew.
void io_port::port_failed()
{
    if (port && port->isOpen())
        port->close();
    opened = false;
}

void io_port::hold_line(int ms)
{
    line_free_at_us = std::max(line_free_at_us, now_us() + qint64(ms) * 1000);
}

void io_port::send(const QByteArray &frame)
{
    if (outbox.isEmpty() && ms_until_line_free() == 0) {
        write_now(frame);
        return;
    }
    outbox.append(frame);
    if (!send_timer->isActive())
        send_timer->start(ms_until_line_free());
}

void io_port::send_waiting()
{
    while (!outbox.isEmpty()) {
        const int wait_ms = ms_until_line_free();
        if (wait_ms > 0) {
            send_timer->start(wait_ms);
            return;
        }
        write_now(outbox.takeFirst());
    }
}

void io_port::write_now(const QByteArray &frame)
{
    if (!queue.isEmpty()) {
        const QByteArray stale = queued_bytes();
        queue.clear();
        emit stale_bytes_dropped(stale);
    }
    if (port && port->isOpen())
        port->write(frame);
    // The frame takes its wire time to leave, then the line must fall silent.
    line_free_at_us = now_us() + qint64(std::ceil((line.frame_ms(frame.size()) + line.inter_frame_ms()) * 1000));
}

void io_port::take(QList<QByteArray> &chunks)
{
    chunks.append(queue);
    queue.clear();
}

QByteArray io_port::queued_bytes() const
{
    QByteArray bytes;
    for (const QByteArray &chunk : queue)
        bytes += chunk;
    return bytes;
}

void io_port::serialReceive()
{
    if (!port)
        return;
    const QByteArray chunk = port->readAll();
    if (chunk.isEmpty())
        return;
    queue.append(chunk);
    line_free_at_us = std::max(line_free_at_us, now_us() + qint64(std::ceil(line.inter_frame_ms() * 1000)));
    emit bytes_arrived();
}
