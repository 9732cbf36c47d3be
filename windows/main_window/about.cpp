#include "windows/main_window/about.h"

#include <QCoreApplication>

// Set by the build for this file alone (CMakeLists.txt), so that a new
// commit recompiles nothing else.
#ifndef METER_VERSION
#define METER_VERSION "?"
#endif
#ifndef METER_BUILD
#define METER_BUILD __DATE__
#endif

QString about_text()
{
    return QCoreApplication::translate("MainWindow",
                                       "Конфигуратор счётчика воды с RS485\n\n"
                                       "Версия %1\n"
                                       "Сборка %2\n"
                                       "Qt %3 (собрана с Qt %4)\n\n"
                                       "Лицензии: Qt и Qt Serial Port — GNU LGPL 3 (www.qt.io/licensing), "
                                       "их тексты приложены к программе для Windows; "
                                       "SQLite — общественное достояние.")
        .arg(QStringLiteral(METER_VERSION), QStringLiteral(METER_BUILD), QLatin1String(qVersion()),
             QStringLiteral(QT_VERSION_STR));
}
