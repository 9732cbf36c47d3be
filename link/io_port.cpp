#include "link/io_port.h"

#include "app/port_settings.h"

#include <QSerialPort>
#include <QSerialPortInfo>

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
{
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

    opened = port->open(QIODevice::ReadWrite);
    connect(port, SIGNAL(readyRead()), this, SLOT(serialReceive()));
    return opened;
}

void io_port::close_port()
{
    if (port)
        port->close();
    opened = false;
}

void io_port::send(const QByteArray &frame)
{
    if (port && port->isOpen())
        port->write(frame);
}

void io_port::take(QList<QByteArray> &chunks)
{
    chunks.append(queue);
    queue.clear();
}

void io_port::serialReceive()
{
    if (!port)
        return;
    const QByteArray chunk = port->readAll();
    if (!chunk.isEmpty())
        queue.append(chunk);
}
