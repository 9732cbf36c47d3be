#include "link/io_port.h"

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

bool io_port::open_port(const SerialLine &wanted, SerialLine *used)
{
    *used = wanted;
    const QString chosen = choose_port_name(wanted.port_name, openable_port_names());
    used->port_name = chosen;

    // A new port object per open, so readyRead() is connected exactly once to
    // a live port and nothing of the old one is delivered again.
    close_port();
    delete owned;
    auto *serial = new QSerialPort(this);
    owned = serial;
    serial->setPortName(chosen);
    serial->setDataBits(QSerialPort::Data8);
    serial->setFlowControl(QSerialPort::NoFlowControl);

    if (wanted.parity == 1)
        serial->setParity(QSerialPort::OddParity);
    else if (wanted.parity == 2)
        serial->setParity(QSerialPort::EvenParity);
    else
        serial->setParity(QSerialPort::NoParity);

    const int rate
        = (wanted.baud_rate == 1200 || wanted.baud_rate == 2400 || wanted.baud_rate == 4800) ? wanted.baud_rate : 9600;
    serial->setBaudRate(rate);
    used->baud_rate = rate;

    if (wanted.stop_bits == 1 || wanted.stop_bits == 2)
        serial->setStopBits(wanted.stop_bits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    else
        serial->setStopBits(QSerialPort::OneStop);

    line.baud_rate = rate;
    line.parity = (wanted.parity == 1 || wanted.parity == 2) ? wanted.parity : 0;
    line.stop_bits = wanted.stop_bits == 2 ? 2 : 1;

    open_failure = OpenError::none;
    if (!serial->open(QIODevice::ReadWrite)) {
        switch (serial->error()) {
        case QSerialPort::DeviceNotFoundError: open_failure = OpenError::not_found; break;
        case QSerialPort::PermissionError: open_failure = OpenError::busy; break; // held by another program
        default: open_failure = OpenError::other; break;
        }
    }
    connect(serial, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError)
            QMetaObject::invokeMethod(this, "port_failed", Qt::QueuedConnection);
    });
    use(serial);
    return opened;
}

void io_port::attach(QIODevice *line_device, const LineTiming &timing)
{
    close_port();
    line = timing;
    use(line_device);
}

void io_port::use(QIODevice *line_device)
{
    device = line_device;
    line_free_at_us = 0;
    queue.clear();
    queued_size = 0;
    opened = device->isOpen();
    connect(device, &QIODevice::readyRead, this, &io_port::serialReceive);
    // A connection that ends is a line gone, like an adapter pulled out.
    connect(device, &QIODevice::readChannelFinished, this, &io_port::port_failed, Qt::QueuedConnection);
    connect(device, &QIODevice::aboutToClose, this, &io_port::port_failed, Qt::QueuedConnection);
}

void io_port::close_port()
{
    if (device) {
        disconnect(device, nullptr, this, nullptr);
        if (device == owned)
            device->close();
    }
    device = nullptr;
    opened = false;
    outbox.clear();
    send_timer->stop();
}

// An adapter pulled out, or a line gone: the port would report the same
// error on every turn of the event loop. Close it; the run on the line ends
// with its messages, and "Запуск порта" opens it anew.
void io_port::port_failed()
{
    if (!opened)
        return;
    if (device && device->isOpen())
        device->close();
    opened = false;
    outbox.clear();
    send_timer->stop();
    emit port_lost();
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
        queued_size = 0;
        emit stale_bytes_dropped(stale);
    }
    if (device && device->isOpen())
        device->write(frame);
    if (line.framed_by_server)
        return; // the server keeps the silence on its line
    // The frame takes its wire time to leave, then the line must fall silent.
    line_free_at_us = now_us() + qint64(std::ceil((line.frame_ms(frame.size()) + line.inter_frame_ms()) * 1000));
}

void io_port::take(QList<QByteArray> &chunks)
{
    chunks.append(queue);
    queue.clear();
    queued_size = 0;
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
    if (!device)
        return;
    const QByteArray chunk = device->readAll();
    if (chunk.isEmpty())
        return;
    queue.append(chunk);
    queued_size += chunk.size();
    if (queued_size > max_queued_bytes) {
        const QByteArray newest = queued_bytes().right(max_queued_bytes);
        queue = {newest};
        queued_size = newest.size();
    }
    if (!line.framed_by_server)
        line_free_at_us = std::max(line_free_at_us, now_us() + qint64(std::ceil(line.inter_frame_ms() * 1000)));
    emit bytes_arrived();
}

bool io_port::set_line(const SerialLine &wanted)
{
    auto *serial = qobject_cast<QSerialPort *>(owned);
    if (!opened || !serial || device != owned)
        return false;
    const int parity = (wanted.parity == 1 || wanted.parity == 2) ? wanted.parity : 0;
    const int stop_bits = wanted.stop_bits == 2 ? 2 : 1;
    // Switching parity off keeps the odd flag in termios; going by even
    // first clears it, so the port reads back as it is set.
    if (parity == 0 && serial->parity() == QSerialPort::OddParity)
        serial->setParity(QSerialPort::EvenParity);
    const bool ok = serial->setBaudRate(wanted.baud_rate)
        && serial->setParity(parity == 1       ? QSerialPort::OddParity
                                 : parity == 2 ? QSerialPort::EvenParity
                                               : QSerialPort::NoParity)
        && serial->setStopBits(stop_bits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    line.baud_rate = serial->baudRate();
    line.parity = parity;
    line.stop_bits = stop_bits;
    return ok;
}
