#include "config/interface_language.h"

#include <QCoreApplication>
#include <QTranslator>

bool wants_english(const QStringList &ui_languages)
{
    return !ui_languages.isEmpty() && ui_languages.first().startsWith(QLatin1String("en"), Qt::CaseInsensitive);
}

static void init_translation_resource()
{
#ifdef METER_HAS_TRANSLATIONS
    // The resource lives in a static library: it must be pulled in by name.
    Q_INIT_RESOURCE(translations);
#endif
}

bool install_english(QCoreApplication *app)
{
    init_translation_resource();
    auto *translator = new QTranslator(app);
    if (!translator->load(QStringLiteral(":/translations/configurator_en.qm"))) {
        delete translator;
        return false;
    }
    return app->installTranslator(translator);
}
