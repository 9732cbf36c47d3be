#pragma once

#include "link/line_place.h"
#include "link/line_timing.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QIODevice;
class QTimer;

// Names of the serial ports that can be opened right now, in the system's
// order; absent and busy ports are passed over.
QStringList openable_port_names();

// The name an open uses: the configured one, or else the last openable port.
QString choose_port_name(const QString &configured, const QStringList &openable);

// The program's only access to the RS-485 line. It sends whole frames and
// queues every chunk that arrives; the exchanger takes the queue and judges
// it. The line is any QIODevice: a serial port here, another transport (a
// TCP connection to a serial device server, an in-process meter in tests)
// plugs in through attach(). The one rule of timing it keeps is the line's: a frame
// never starts sooner than 3.5 characters after the last byte on the line, so
// a frame handed over too early waits here, without blocking anyone.
class io_port : public QObject
{
    Q_OBJECT
public:
    explicit io_port(QObject *parent = nullptr);

    // Opens the serial port with the line parameters and writes back into
    // `used` the values actually used (port name, baud rate, stop bits).
    bool open_port(const SerialLine &wanted, SerialLine *used);
    // Why the last open_port() failed.
    enum class OpenError { none, not_found, busy, other };
    OpenError open_error() const { return open_failure; }
    // Takes over an open device (not owned) as the line, timed as `timing` says.
    void attach(QIODevice *device, const LineTiming &timing);
    void close_port();
    // Sets the open serial port to another rate, parity and stop bits
    // without closing it. False when the line is not a serial port opened
    // here (its rate is not the program's to set) or the port refuses.
    bool set_line(const SerialLine &wanted);
    void send(const QByteArray &frame);

    // Moves every queued chunk, oldest first, to the end of `chunks`.
    void take(QList<QByteArray> &chunks);
    // Everything queued, joined, without taking it.
    QByteArray queued_bytes() const;

    bool is_open() const { return opened; }
    const LineTiming &timing() const { return line; }
    // How long a frame handed over now would wait for the line.
    int ms_until_line_free() const;
    // A frame handed over is still waiting for the line.
    bool frames_waiting() const { return !outbox.isEmpty(); }

    // The most bytes kept queued: more than any answer and an echo of its
    // request. A line that sends more before they are taken (a server that
    // floods it, a babbling device) loses the oldest: no answer starts that
    // far back.
    static constexpr int max_queued_bytes = 1024;

signals:
    // A chunk was queued.
    void bytes_arrived();
    // The device failed (an adapter pulled out) and was closed.
    void port_lost();
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

    void use(QIODevice *device);

    QIODevice *device = nullptr;
    QIODevice *owned = nullptr; // the serial port this object opened
    bool opened = false;
    OpenError open_failure = OpenError::none;
    QList<QByteArray> queue;
    int queued_size = 0;

    LineTiming line;
    QElapsedTimer clock;
    qint64 line_free_at_us = 0;
    QList<QByteArray> outbox; // frames waiting for the line to fall silent
    QTimer *send_timer = nullptr;
};
