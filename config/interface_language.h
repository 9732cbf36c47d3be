#pragma once

#include <QStringList>

class QCoreApplication;

// The interface is Russian, the program's own language, except on a system
// whose first interface language is English (QLocale::uiLanguages()).
bool wants_english(const QStringList &ui_languages);

// Installs the embedded English translation; false when it is missing.
bool install_english(QCoreApplication *app);

// Installs Qt's own Russian catalogue (qtbase_ru.qm: the buttons of its
// message boxes, its file dialogs): the copy built into the program where the
// build embedded one (the Windows package), else the one in Qt's translations
// folder. False when there is neither: Qt's dialogs then stay English.
bool install_qt_russian(QCoreApplication *app);

// The interface language for `ui_languages`, Qt's own dialogs included.
void install_interface_language(QCoreApplication *app, const QStringList &ui_languages);
