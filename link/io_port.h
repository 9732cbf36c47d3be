#pragma once

#include "link/line_timing.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QSerialPort;
class QTimer;
struct PortSettings;

// Names of the serial ports that can be opened right now, in the system's
// order; absent and busy ports are passed over.
QStringList openable_port_names();

// The name an open uses: the configured one, or else the last openable port.
QString choose_port_name(const QString &configured, const QStringList &openable);

// The program's only access to the RS-485 line. It sends whole frames and
// queues every chunk that arrives; the step sequences take the queue and
// judge it themselves. The one rule of timing it keeps is the line's: a frame
// never starts sooner than 3.5 characters after the last byte on the line, so
// a frame handed over too early waits here, without blocking anyone.
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
    // Everything queued, joined, without taking it.
    QByteArray queued_bytes() const;

    bool is_open() const { return opened; }
    const LineTiming &timing() const { return line; }
    // How long a frame handed over now would wait for the line.
    int ms_until_line_free() const;
    // Keeps the next frame back for `ms`: after a request that was never
    // answered, a late answer may still be on its way, and must come (and be
    // dropped) before the next request leaves rather than pass for its answer.
    void hold_line(int ms);
    // A frame handed over is still waiting for the line.
    bool frames_waiting() const { return !outbox.isEmpty(); }

signals:
    // A chunk was queued.
    void bytes_arrived();
    // Bytes that nobody took before the next frame left: they cannot be its
    // answer, so they are dropped, and told here for the log.
    void stale_bytes_dropped(const QByteArray &bytes);

public slots:
    void serialReceive();

private slots:
    void send_waiting();
    void port_failed();

private:
    qint64 now_us() const;
    void write_now(const QByteArray &frame);

    QSerialPort *port = nullptr;
    bool opened = false;
    QList<QByteArray> queue;

    LineTiming line;
    QElapsedTimer clock;
    qint64 line_free_at_us = 0;
    QList<QByteArray> outbox; // frames waiting for the line to fall silent
    QTimer *send_timer = nullptr;
};
