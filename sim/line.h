#pragma once

// The meters' end of the RS-485 line: reads the byte stream from the serial
// device, cuts it into requests, hands them to the meters and writes the
// answers back, spoiled and paced as asked.

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QRandomGenerator>
#include <QSerialPort>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QVector>

#include "fault.h"
#include "meter.h"

namespace sim {

struct line_options
{
    QString port;
    // Instead of a serial device, listen on 127.0.0.1 at this TCP port (0:
    // any free one) and play a serial device server in transparent mode: the
    // frames travel in the connection, and the server keeps the silence
    // between frames on its line. One connection at a time; a new one
    // replaces the old.
    bool tcp = false;
    int tcp_port = 0;
    int baud = 9600;
    int parity = 0; // 0 none, 1 odd, 2 even
    int stop_bits = 1;
    bool wire_time = false;
    int turnaround_ms = 5;
    // The master's end of a pty pair: its termios tell the rate and parity
    // the master sends at (see master_setting()).
    QString master_port;
};

// What a receiver gets of a byte sent at one parity and read at another, at
// the same rate: the data bits, or nothing (a parity or framing error, which
// the master's driver drops). Codes as in line_options.
bool byte_survives(quint8 byte, int sent_parity, int read_parity);

class line : public QObject
{
    Q_OBJECT
public:
    line(const QVector<meter> &meters, const line_options &options, QObject *parent = nullptr);
    ~line() override;

    bool open(QString *error);
    // One control command; returns the reply line ("ok ..." or "error ...").
    QString command(const QString &text);

    // Time one character takes on the wire, in microseconds.
    double char_us() const;
    // The TCP port listened on (tcp only).
    int listening_port() const { return server_.serverPort(); }

signals:
    void quit_requested(int code);

private:
    struct segment
    {
        QByteArray bytes;
        qint64 not_before_us = 0;
        qint64 gap_us = 0; // pause after the previous segment
        bool paced = false;
    };

    void read_bytes();
    void accept_connection();
    void write_out(const QByteArray &bytes);
    void cut_frames();
    void silence();
    bool resync();
    void deliver(const QByteArray &frame, qint64 done_us);
    void process(const QByteArray &frame, qint64 done_us);
    void send(const segment &s);
    void pump();
    qint64 now_us() const { return clock_.nsecsElapsed() / 1000; }
    int silence_ms() const;
    void master_setting(int *baud, int *parity) const;
    bool hears(const meter &m, int baud) const;

    line_options options_;
    QVector<meter> meters_;
    QVector<QVector<fault>> faults_;
    QSerialPort port_;
    QTcpServer server_;
    QTcpSocket *client_ = nullptr;
    QIODevice *io_ = &port_; // the serial port, or the connection
    QRandomGenerator random_;
    QElapsedTimer clock_;
    int valid_requests_ = 0;
    int master_fd_ = -1;

    QByteArray rx_;
    QVector<qint64> rx_done_us_; // when each buffered byte finished crossing the wire
    qint64 wire_end_us_ = 0;
    QTimer silence_timer_;
    bool waiting_ = false; // an incomplete request has been given its grace time

    QList<segment> tx_queue_;
    QTimer tx_timer_;
    qint64 segment_start_us_ = -1;
    int segment_sent_ = 0;
    qint64 last_tx_end_us_ = 0;
};

} // namespace sim
