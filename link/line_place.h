#pragma once

#include "link/network_endpoint.h"

#include <QString>

// The line parameters of a serial port as asked for, and as used once open.
struct SerialLine
{
    QString port_name;
    int baud_rate = 9600;
    int stop_bits = 1;
    int parity = 0; // 0 none, 1 odd, 2 even
};

// Where a line is: a serial port here, or a serial device server's TCP
// endpoint. Behind a server the serial settings are those of the server's
// serial side (they size the answer waits); the port name goes unused.
struct LinePlace
{
    SerialLine serial;
    bool networked = false;
    NetworkEndpoint server;
};

// Why a line did not open.
enum class LineFailure {
    none,
    port_not_found,      // no such serial port
    port_busy,           // another program holds it
    port_failed,         // it would not open for another reason
    name_not_found,      // the server's name is not known
    refused,             // the server refused the connection
    timed_out,           // no connection within the time given
    network_unreachable, // no route to the server
    connect_failed,      // the connection failed otherwise
};
