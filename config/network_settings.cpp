#include "config/network_settings.h"

#include <QCoreApplication>

NetworkSettings network_settings_from(const SideSettings &keys)
{
    NetworkSettings result;
    result.chosen = keys.value(QStringLiteral("line")) == QLatin1String("network");
    result.host = keys.value(QStringLiteral("host")).trimmed();
    bool ok = false;
    const int port = keys.value(QStringLiteral("tcp_port")).toInt(&ok, 10);
    result.tcp_port = ok && port >= 1 && port <= 65535 ? port : 0;
    return result;
}

SideSettings network_settings_keys(const NetworkSettings &settings)
{
    return {{QStringLiteral("line"), settings.chosen ? QStringLiteral("network") : QStringLiteral("serial")},
            {QStringLiteral("host"), acceptable_side_value(settings.host) ? settings.host : QString()},
            {QStringLiteral("tcp_port"), settings.tcp_port > 0 ? QString::number(settings.tcp_port) : QString()}};
}

NetworkSettings load_network_settings(const QString &path)
{
    return network_settings_from(load_side_settings(path));
}

bool save_network_settings(const QString &path, const NetworkSettings &settings)
{
    return update_side_settings(path, network_settings_keys(settings));
}

QString line_caption(const PortSettings &port, const NetworkSettings &network)
{
    if (network.chosen)
        return QStringLiteral("TCP %1:%2").arg(network.host).arg(network.tcp_port);
    static const char parity[] = {'N', 'O', 'E'};
    // An empty name: the open takes the first port it finds.
    const QString name
        = port.port_name.isEmpty() ? QCoreApplication::translate("MainWindow", "порт не выбран") : port.port_name;
    return QStringLiteral("%1 %2 8%3%4")
        .arg(name)
        .arg(port.baud_rate)
        .arg(QLatin1Char(parity[qBound(0, port.parity, 2)]))
        .arg(port.stop_bits);
}
