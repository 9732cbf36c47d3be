// The write sequence: writes the checked items of the write block.
#include "app/mainwindow.h"

#include <QTimer>

void MainWindow::on_write_btn_clicked()
{
}

void MainWindow::write_data()
{
    write_timer->stop();
}
