#include "link/line_session.h"

#include "link/exchanger.h"
#include "link/io_port.h"
#include "link/network_line.h"

#include <QTcpSocket>

namespace {

LineFailure failure_of(ConnectFailure why)
{
    switch (why) {
    case ConnectFailure::name_not_found: return LineFailure::name_not_found;
    case ConnectFailure::refused: return LineFailure::refused;
    case ConnectFailure::timed_out: return LineFailure::timed_out;
    case ConnectFailure::network_unreachable: return LineFailure::network_unreachable;
    case ConnectFailure::none:
    case ConnectFailure::other: break;
    }
    return LineFailure::connect_failed;
}

LineFailure failure_of(io_port::OpenError why)
{
    switch (why) {
    case io_port::OpenError::not_found: return LineFailure::port_not_found;
    case io_port::OpenError::busy: return LineFailure::port_busy;
    case io_port::OpenError::none:
    case io_port::OpenError::other: break;
    }
    return LineFailure::port_failed;
}

} // namespace

LineSession::LineSession(QObject *parent)
    : QObject(parent)
    , line_port(std::make_unique<io_port>())
    , line_exchanger(std::make_unique<Exchanger>(line_port.get()))
    , network(new network_line(this))
{
    connect(line_port.get(), &io_port::port_lost, this, &LineSession::lost);
    connect(network, &network_line::connected, this, [this](int round_trip_ms) {
        // The server carries the line at the rate and framing of its serial
        // side; the answer waits are sized by them, plus the round trip.
        LineTiming timing;
        timing.baud_rate = wanted.serial.baud_rate;
        timing.parity = wanted.serial.parity;
        timing.stop_bits = wanted.serial.stop_bits;
        timing.framed_by_server = true;
        timing.round_trip_ms = round_trip_ms;
        round_trip = round_trip_ms;
        line_port->attach(network->socket(), timing);
        if (line_port->is_open())
            emit opened();
        else
            emit failed(LineFailure::connect_failed);
    });
    connect(network, &network_line::failed, this, [this](ConnectFailure why) { emit failed(failure_of(why)); });
}

LineSession::~LineSession()
{
    close();
    // The exchanger lets go of the port before the port goes.
    line_exchanger.reset();
}

bool LineSession::is_open() const
{
    return line_port->is_open();
}

bool LineSession::connecting() const
{
    return network->connecting();
}

void LineSession::close()
{
    line_port->close_port();
    network->drop();
}

void LineSession::open(const LinePlace &where, int connect_ms)
{
    close();
    line_exchanger->reset_line(); // another port, or an adapter plugged in anew
    wanted = where;
    round_trip = 0;
    if (wanted.networked) {
        used_line = wanted.serial;
        network->connect_to(wanted.server, connect_ms);
        return;
    }
    if (line_port->open_port(wanted.serial, &used_line))
        emit opened();
    else
        emit failed(failure_of(line_port->open_error()));
}
