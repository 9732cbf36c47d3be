// "Запуск порта": open, or close and open again, the serial port.
#include "app/mainwindow.h"

#include "link/exchanger.h"
#include "link/io_port.h"
#include "ui_mainwindow.h"

void MainWindow::on_start_btn_clicked()
{
    if (port_started)
        port->close_port();
    port_started = true;
    exchanger->reset_line(); // another port, or an adapter plugged in anew
    SerialLine wanted;
    wanted.port_name = port_settings.port_name;
    wanted.baud_rate = port_settings.baud_rate;
    wanted.stop_bits = port_settings.stop_bits;
    wanted.parity = port_settings.parity;
    SerialLine used;
    port_opened = port->open_port(wanted, &used);
    port_settings.port_name = used.port_name;
    port_settings.baud_rate = used.baud_rate;
    port_settings.stop_bits = used.stop_bits;
    ui->start_btn->setText(port_opened ? tr("Соединение установлено") : tr("Нет соединения"));
}
