#pragma once

#include "link/network_endpoint.h"

#include <QElapsedTimer>
#include <QObject>

class QTcpSocket;
class QTimer;

// A TCP connection to a serial device server in transparent mode: the RTU
// frames travel unchanged in it. This object connects, with a bounded time,
// and measures the network's round trip on the way (the handshake takes one);
// once connected, io_port takes the socket as its line.
class network_line : public QObject
{
    Q_OBJECT
public:
    explicit network_line(QObject *parent = nullptr);
    ~network_line() override;

    // Drops any connection there is and starts a new one; ends in connected()
    // or failed(), never in both, within connect_ms (name lookup included).
    void connect_to(const NetworkEndpoint &endpoint, int connect_ms = default_connect_ms);
    // Ends the connection, or the attempt, at once.
    void drop();

    // The connected socket (owned here), or null.
    QTcpSocket *socket() const;
    bool connecting() const { return attempt_running; }

    // What bytes a server may leave unread in the socket at once: a server
    // that floods the line holds the socket, not the program's memory.
    static constexpr int read_buffer_bytes = 64 * 1024;
    static constexpr int default_connect_ms = 5000;

signals:
    void connected(int round_trip_ms);
    void failed(ConnectFailure why);

private:
    void fail(ConnectFailure why);

    QTcpSocket *current = nullptr;
    QTimer *deadline = nullptr;
    QElapsedTimer handshake;
    bool attempt_running = false;
};
