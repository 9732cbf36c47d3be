// "Запуск порта": open, or close and open again, the serial port, or connect
// to the serial device server of a network line.
#include "windows/main_window/mainwindow.h"

#include "link/exchanger.h"
#include "link/io_port.h"
#include "link/network_line.h"
#include "model/outcome_words.h"
#include "ui_mainwindow.h"

#include <QTcpSocket>

void MainWindow::on_start_btn_clicked()
{
    if (line.started)
        line.port->close_port();
    line.started = true;
    line.exchanger->reset_line(); // another port, or an adapter plugged in anew
    line.network->drop();
    if (network_settings.chosen) {
        show_line();
        start_network_line();
        return;
    }
    SerialLine wanted;
    wanted.port_name = port_settings.port_name;
    wanted.baud_rate = port_settings.baud_rate;
    wanted.stop_bits = port_settings.stop_bits;
    wanted.parity = port_settings.parity;
    SerialLine used;
    line.opened = line.port->open_port(wanted, &used);
    port_settings.port_name = used.port_name;
    port_settings.baud_rate = used.baud_rate;
    port_settings.stop_bits = used.stop_bits;
    show_line();
    ui->start_btn->setText(line.opened ? tr("Соединение установлено") : tr("Нет соединения"));
}

// The connection takes a moment (a name to look up, a handshake over the
// network): the window stays live meanwhile, and a run started before it is
// up ends at once with the no-connection message.
void MainWindow::start_network_line()
{
    line.opened = false;
    NetworkEndpoint endpoint;
    endpoint.host = network_settings.host;
    endpoint.tcp_port = network_settings.tcp_port;
    if (check_host(endpoint.host) != EndpointProblem::none || endpoint.tcp_port <= 0) {
        ui->start_btn->setText(tr("Нет соединения"));
        set_status(tr("Сервер линии не задан: укажите адрес и TCP порт в \"Настройка порта\""), "QLabel {color:red;}");
        return;
    }
    ui->start_btn->setText(tr("Подключение..."));
    set_status(tr("Подключение к %1:%2").arg(endpoint.host).arg(endpoint.tcp_port), "QLabel {color:black;}");
    line.network->connect_to(endpoint);
}

void MainWindow::network_connected(int round_trip_ms)
{
    // The server carries the line at the rate and framing configured for its
    // serial side; the answer waits are sized by them, plus the round trip.
    LineTiming timing;
    timing.baud_rate = port_settings.baud_rate;
    timing.parity = port_settings.parity;
    timing.stop_bits = port_settings.stop_bits;
    timing.framed_by_server = true;
    timing.round_trip_ms = round_trip_ms;
    line.port->attach(line.network->socket(), timing);
    line.opened = line.port->is_open();
    ui->start_btn->setText(line.opened ? tr("Соединение установлено") : tr("Нет соединения"));
    set_status(tr("Подключено к %1:%2").arg(network_settings.host).arg(network_settings.tcp_port),
               "QLabel {color:black;}");
}

void MainWindow::network_failed(ConnectFailure why)
{
    line.opened = false;
    ui->start_btn->setText(tr("Нет соединения"));
    NetworkEndpoint server;
    server.host = network_settings.host;
    server.tcp_port = network_settings.tcp_port;
    set_status(connect_failure_words(why, server, network_line::default_connect_ms), "QLabel {color:red;}");
}
