// "Запуск порта": open, or close and open again, the serial port.
#include "app/mainwindow.h"

#include "link/io_port.h"
#include "ui_mainwindow.h"

void MainWindow::on_start_btn_clicked()
{
    if (port_started)
        port->close_port();
    port_started = true;
    line_echoes = false; // another port, or an adapter plugged in anew
    port_opened = port->open_port(port_settings.port_name, port_settings.baud_rate,
                                  port_settings.stop_bits, port_settings.parity, &port_settings);
    ui->start_btn->setText(port_opened ? tr("Соединение установлено")
                                       : tr("Нет соединения"));
}
