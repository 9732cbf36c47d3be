#include "config/interface_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool wants_english(const QStringList &ui_languages)
{
    return !ui_languages.isEmpty() && ui_languages.first().startsWith(QLatin1String("en"), Qt::CaseInsensitive);
}

// The resources live in a static library: they must be pulled in by name.
static void init_translation_resource()
{
#ifdef METER_HAS_TRANSLATIONS
    Q_INIT_RESOURCE(translations);
#endif
}

static void init_qt_catalogue_resource()
{
#ifdef METER_HAS_QT_CATALOGUE
    Q_INIT_RESOURCE(qt_catalogue);
#endif
}

static bool install_from(QCoreApplication *app, const QString &file, const QString &folder = QString())
{
    auto *translator = new QTranslator(app);
    if (!translator->load(file, folder)) {
        delete translator;
        return false;
    }
    return app->installTranslator(translator);
}

bool install_english(QCoreApplication *app)
{
    init_translation_resource();
    return install_from(app, QStringLiteral(":/translations/configurator_en.qm"));
}

bool install_qt_russian(QCoreApplication *app)
{
    init_qt_catalogue_resource();
    if (install_from(app, QStringLiteral(":/qt_catalogue/qtbase_ru.qm")))
        return true;
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#else
    const QString folder = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
#endif
    return install_from(app, QStringLiteral("qtbase_ru"), folder);
}

void install_interface_language(QCoreApplication *app, const QStringList &ui_languages)
{
    if (wants_english(ui_languages))
        install_english(app); // Qt's own texts are English already
    else
        install_qt_russian(app);
}
