// "Запуск порта": open, or close and open again, the serial port, or connect
// to the serial device server of a network line.
#include "windows/main_window/mainwindow.h"

#include "link/line_session.h"
#include "model/outcome_words.h"
#include "ui_mainwindow.h"

namespace {

LinePlace place_of(const PortSettings &port, const NetworkSettings &network)
{
    LinePlace place;
    place.serial.port_name = port.port_name;
    place.serial.baud_rate = port.baud_rate;
    place.serial.stop_bits = port.stop_bits;
    place.serial.parity = port.parity;
    place.networked = network.chosen;
    place.server.host = network.host;
    place.server.tcp_port = network.tcp_port;
    return place;
}

} // namespace

void MainWindow::on_start_btn_clicked()
{
    if (line.started)
        line.session->close();
    line.started = true;
    if (network_settings.chosen) {
        show_line();
        start_network_line();
        return;
    }
    // A serial port opens at once: the button is set before this returns.
    line.session->open(place_of(port_settings, network_settings));
    port_settings.port_name = line.session->used().port_name;
    port_settings.baud_rate = line.session->used().baud_rate;
    port_settings.stop_bits = line.session->used().stop_bits;
    show_line();
}

// The connection takes a moment (a name to look up, a handshake over the
// network): the window stays live meanwhile, and a run started before it is
// up ends at once with the no-connection message.
void MainWindow::start_network_line()
{
    line.opened = false;
    const LinePlace place = place_of(port_settings, network_settings);
    if (check_host(place.server.host) != EndpointProblem::none || place.server.tcp_port <= 0) {
        ui->start_btn->setText(tr("Нет соединения"));
        set_status(tr("Сервер линии не задан: укажите адрес и TCP порт в \"Настройка порта\""), "QLabel {color:red;}");
        return;
    }
    ui->start_btn->setText(tr("Подключение..."));
    set_status(tr("Подключение к %1:%2").arg(place.server.host).arg(place.server.tcp_port), "QLabel {color:black;}");
    line.session->open(place);
}

void MainWindow::line_opened()
{
    line.opened = true;
    ui->start_btn->setText(tr("Соединение установлено"));
    const LinePlace &place = line.session->place();
    if (place.networked)
        set_status(tr("Подключено к %1:%2").arg(place.server.host).arg(place.server.tcp_port), "QLabel {color:black;}");
}

// A serial port that does not open is told by the button alone, as it always
// was; a server not reached is told with what to check.
void MainWindow::line_failed(LineFailure why)
{
    line.opened = false;
    ui->start_btn->setText(tr("Нет соединения"));
    if (line.session->place().networked)
        set_status(line_failure_words(why, line.session->place(), LineSession::default_connect_ms),
                   "QLabel {color:red;}");
}
