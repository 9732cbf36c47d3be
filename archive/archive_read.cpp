// The archive read: the hourly, daily and monthly archives block by block.
#include "app/mainwindow.h"

#include <QTimer>

void MainWindow::on_arch_btn_clicked()
{
}

void MainWindow::printer_arc()
{
    archive_timer->stop();
}
