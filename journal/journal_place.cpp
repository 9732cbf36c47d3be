#include "journal/journal_place.h"

#include <QCoreApplication>
#include <QDir>
#include <QUrl>

namespace journal {

std::optional<Connection> parse_place(const QString &text, QString *error)
{
    Connection c;
    if (!text.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)) {
        if (text.trimmed().isEmpty()) {
            *error = QCoreApplication::translate("collect", "журнал не указан");
            return std::nullopt;
        }
        c.file = QDir::current().absoluteFilePath(text);
        return c;
    }
    const QUrl url(text, QUrl::StrictMode);
    const QString database = url.path().mid(1);
    if (!url.isValid() || url.host().isEmpty() || url.userName().isEmpty() || database.isEmpty()
        || database.contains(QLatin1Char('/')) || !url.password().isEmpty() || url.hasQuery()) {
        *error = QCoreApplication::translate("collect",
                                             "%1: ожидается postgresql://пользователь@сервер:порт/база, пароль в %2")
                     .arg(text, QLatin1String(password_variable));
        return std::nullopt;
    }
    c.backend = Backend::postgresql;
    c.host = url.host();
    c.port = url.port(5432);
    c.user = url.userName();
    c.database = database;
    return c;
}

} // namespace journal

QString journal_place(const journal::Connection &c)
{
    if (c.backend == journal::Backend::sqlite)
        return QDir::toNativeSeparators(c.file);
    return QStringLiteral("%1@%2:%3/%4").arg(c.user, c.host).arg(c.port).arg(c.database);
}

QString journal_fault_text(journal::Fault fault, const journal::Connection &c)
{
    const QString place = journal_place(c);
    switch (fault) {
    case journal::Fault::damaged:
        return QCoreApplication::translate("MainWindow",
                                           "Журнал %1 поврежден и оставлен как есть; показания не записываются")
            .arg(place);
    case journal::Fault::read_only:
        return QCoreApplication::translate("MainWindow", "Журнал %1 только для чтения; показания не записываются")
            .arg(place);
    case journal::Fault::folder:
        return QCoreApplication::translate("MainWindow", "Журнал %1 — папка, а не файл; показания не записываются")
            .arg(place);
    case journal::Fault::newer_schema:
        return QCoreApplication::translate("MainWindow",
                                           "Журнал %1 создан более новой версией программы; показания не записываются")
            .arg(place);
    case journal::Fault::locked:
        return QCoreApplication::translate("MainWindow",
                                           "Журнал %1 занят другой копией программы; показания не записываются")
            .arg(place);
    case journal::Fault::unreachable:
        return QCoreApplication::translate("MainWindow", "Сервер журнала %1 недоступен; показания не записываются")
            .arg(place);
    case journal::Fault::refused:
        return QCoreApplication::translate("MainWindow", "Сервер журнала %1 отклонил вход; показания не записываются")
            .arg(place);
    case journal::Fault::failed:
    case journal::Fault::none: break;
    }
    return QCoreApplication::translate("MainWindow", "Ошибка журнала %1; показания больше не записываются").arg(place);
}
