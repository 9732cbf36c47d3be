#include "journal/journal_place.h"

#include <QDir>
#include <QUrl>
#include <QUrlQuery>

namespace journal {

namespace {

// The first query item not taken, or none: each key once, known values only.
std::optional<QPair<QString, QString>> first_refused(const QUrlQuery &query, PlaceError *why)
{
    QStringList seen;
    for (const QPair<QString, QString> &item : query.queryItems(QUrl::FullyDecoded)) {
        const bool known = item.first == QLatin1String("sslmode") || item.first == QLatin1String("sslrootcert");
        if (!known || seen.contains(item.first)) {
            *why = PlaceError::unknown_key;
            return item;
        }
        seen << item.first;
        if (item.first == QLatin1String("sslmode") ? !sslmodes().contains(item.second) : item.second.isEmpty()) {
            *why = PlaceError::bad_value;
            return item;
        }
    }
    return std::nullopt;
}

} // namespace

QStringList sslmodes()
{
    return {QStringLiteral("disable"), QStringLiteral("allow"),     QStringLiteral("prefer"),
            QStringLiteral("require"), QStringLiteral("verify-ca"), QStringLiteral("verify-full")};
}

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
        || database.contains(QLatin1Char('/')) || !url.password().isEmpty()) {
        *why = PlaceError::not_a_server;
        return std::nullopt;
    }
    const QUrlQuery query(url);
    if (first_refused(query, why))
        return std::nullopt;
    c.backend = Backend::postgresql;
    c.host = url.host();
    c.port = url.port(5432);
    c.user = url.userName();
    c.database = database;
    c.sslmode = query.queryItemValue(QStringLiteral("sslmode"), QUrl::FullyDecoded);
    const QString ca = query.queryItemValue(QStringLiteral("sslrootcert"), QUrl::FullyDecoded);
    if (!ca.isEmpty())
        c.sslrootcert = QDir::current().absoluteFilePath(ca);
    return c;
}

QPair<QString, QString> refused_item(const QString &text)
{
    PlaceError why = PlaceError::empty;
    return first_refused(QUrlQuery(QUrl(text)), &why).value_or(QPair<QString, QString>());
}

} // namespace journal
