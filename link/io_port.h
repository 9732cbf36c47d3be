#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QSerialPort;
struct PortSettings;

// Names of the serial ports that can be opened right now, in the system's
// order; absent and busy ports are passed over.
QStringList openable_port_names();

// The name an open uses: the configured one, or else the last openable port.
QString choose_port_name(const QString &configured, const QStringList &openable);

// The program's only access to the RS-485 line. It does not frame, time or
// judge anything: it sends whole frames and queues every chunk that arrives,
// and the step sequences take the queue and judge it themselves.
class io_port : public QObject
{
    Q_OBJECT
public:
    explicit io_port(QObject *parent = nullptr);

    // Opens the port with the line parameters and writes back into `record`
    // the values actually used (port name, baud rate, stop bits).
    bool open_port(const QString &name, int baud_rate, int stop_bits, int parity, PortSettings *record);
    void close_port();
    void send(const QByteArray &frame);

    // Moves every queued chunk, oldest first, to the end of `chunks`.
    void take(QList<QByteArray> &chunks);

    bool is_open() const { return opened; }

public slots:
    void serialReceive();

private:
    QSerialPort *port = nullptr;
    bool opened = false;
    QList<QByteArray> queue;
};
