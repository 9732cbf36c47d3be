#pragma once

#include "link/line_place.h"

#include <QObject>
#include <memory>

class Exchanger;
class io_port;
class network_line;

// One line as the windows and the collector work it: the serial port or the
// TCP connection to a serial device server, opened behind io_port, and the
// exchanger that runs every sequence on it. It says when the line is open,
// why it did not open, and when it is lost; the words are the caller's.
class LineSession : public QObject
{
    Q_OBJECT
public:
    explicit LineSession(QObject *parent = nullptr);
    ~LineSession() override;

    // Closes whatever line there is and opens `place`: a serial port at once
    // (opened() or failed() before this returns), a server's connection
    // within `connect_ms` (opened() or failed() later, never both).
    void open(const LinePlace &place, int connect_ms = default_connect_ms);
    // Closes the line, or ends the connection attempt, at once.
    void close();

    bool is_open() const;
    bool connecting() const;
    // The line last asked for.
    const LinePlace &place() const { return wanted; }
    // The serial port as last opened: the name chosen and the rate used.
    const SerialLine &used() const { return used_line; }
    // The network's round trip measured on connecting; 0 on a serial port.
    int round_trip_ms() const { return round_trip; }

    io_port *port() const { return line_port.get(); }
    Exchanger *exchanger() const { return line_exchanger.get(); }

    static constexpr int default_connect_ms = 5000;

signals:
    void opened();
    void failed(LineFailure why);
    // An open line went away (an adapter pulled out, a connection dropped).
    void lost();

private:
    std::unique_ptr<io_port> line_port;
    std::unique_ptr<Exchanger> line_exchanger;
    network_line *network = nullptr;
    LinePlace wanted;
    SerialLine used_line;
    int round_trip = 0;
};
