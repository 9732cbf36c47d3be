#pragma once

#include <QStringList>

class QCoreApplication;

// The interface is Russian, the program's own language, except on a system
// whose first interface language is English (QLocale::uiLanguages()).
bool wants_english(const QStringList &ui_languages);

// Installs the embedded English translation; false when it is missing.
bool install_english(QCoreApplication *app);
