#pragma once

#include "config/port_settings.h"
#include "config/side_settings.h"

#include <QByteArray>
#include <QString>

// The line the program opens: the serial port of settings.txt, or a TCP
// connection to a serial device server. Kept in the side settings file
// (config/side_settings.h), so settings.txt keeps its eight lines and its
// serial port.
struct NetworkSettings
{
    bool chosen = false; // the network line, not the serial port
    QString host;        // as typed, checked in the settings window
    int tcp_port = 0;    // 0: none stored

    bool operator==(const NetworkSettings &other) const
    {
        return chosen == other.chosen && host == other.host && tcp_port == other.tcp_port;
    }
};

// Keys: line (serial or network), host, tcp_port. A damaged value reads as
// none: an unknown line as serial, a port out of 1..65535 as 0.
NetworkSettings network_settings_from(const SideSettings &keys);
SideSettings network_settings_keys(const NetworkSettings &settings);

NetworkSettings load_network_settings(const QString &path);
// Replaces the three keys and keeps the file's other lines.
bool save_network_settings(const QString &path, const NetworkSettings &settings);

// The line in use as the status bar shows it: "COM3 9600 8N1" (data bits,
// parity N/O/E, stop bits), or "TCP 192.0.2.10:4001" for a network line.
QString line_caption(const PortSettings &port, const NetworkSettings &network);
