#pragma once

#include <QString>

// Where a serial device server listens: a host name or address and a TCP port.
struct NetworkEndpoint
{
    QString host;
    int tcp_port = 0;
};

enum class EndpointProblem { none, host_missing, host_malformed, port_malformed };

constexpr int max_host_length = 253; // the longest DNS name

// The host as typed (spaces around it dropped): a DNS name, an IPv4 address,
// or an IPv6 address, with or without brackets. The port: 1 to 65535.
EndpointProblem check_host(const QString &host);
EndpointProblem check_tcp_port(const QString &text, int *port = nullptr);

// The host as the socket takes it: trimmed, IPv6 brackets dropped.
QString normalized_host(const QString &host);

// How a connection attempt ended, for the status line.
enum class ConnectFailure { none, name_not_found, refused, timed_out, network_unreachable, other };
