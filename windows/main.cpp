#include "config/interface_language.h"
#include "windows/mainwindow.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    install_interface_language(&app, QLocale::system().uiLanguages());
    int code = 0;
    {
        // The window goes before the application object: its destructor saves settings.txt.
        MainWindow window;
        window.show();
        code = app.exec();
    }
    return code;
}
