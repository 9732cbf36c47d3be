#include "journal/journal_place.h"

#include <QDir>
#include <QUrl>

namespace journal {

std::optional<Connection> parse_place(const QString &text, PlaceError *why)
{
    Connection c;
    if (!text.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)) {
        if (text.trimmed().isEmpty()) {
            *why = PlaceError::empty;
            return std::nullopt;
        }
        c.file = QDir::current().absoluteFilePath(text);
        return c;
    }
    const QUrl url(text, QUrl::StrictMode);
    const QString database = url.path().mid(1);
    if (!url.isValid() || url.host().isEmpty() || url.userName().isEmpty() || database.isEmpty()
        || database.contains(QLatin1Char('/')) || !url.password().isEmpty() || url.hasQuery()) {
        *why = PlaceError::not_a_server;
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
