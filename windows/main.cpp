#include "config/interface_language.h"
#include "windows/main_window/mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QLocale>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
#ifdef Q_OS_WIN
    // The files (settings.txt, addressing.txt, models_counter.csv, the
    // journal) are beside the program, wherever a shortcut or a command
    // prompt starts it from. On Linux the working directory is their place.
    QDir::setCurrent(QCoreApplication::applicationDirPath());
#endif
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
