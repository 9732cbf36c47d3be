// The poll cycle: reads the meter's identification, parameters and readings.
#include "app/mainwindow.h"

#include <QTimer>

void MainWindow::on_param_btn_clicked()
{
}

void MainWindow::printer()
{
    poll_timer->stop();
}
