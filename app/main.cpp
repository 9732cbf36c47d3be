#include "app/mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    int code = 0;
    {
        // The window goes before the application object: its destructor saves settings.txt.
        MainWindow window;
        window.show();
        code = app.exec();
    }
    return code;
}
