// The lines of a round shared by collectors on one server (journal::Store,
// journal_store.h).
#include "journal/journal_store.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace journal {

namespace {

// The server's clock in milliseconds, read as the statement runs (not as its
// transaction began); SQLite, one collector, has the computer's.
QString clock_ms(Backend backend)
{
    return backend == Backend::postgresql
        ? QStringLiteral("(extract(epoch from clock_timestamp()) * 1000)::bigint")
        : QStringLiteral("CAST((julianday('now') - 2440587.5) * 86400000 AS INTEGER)");
}

} // namespace

bool Store::add_lines(const QStringList &lines)
{
    if (!ready && !open())
        return false;
    QSqlQuery query(db);
    if (!query.prepare(QStringLiteral("INSERT INTO line_claims (line, round, lease_until, done) VALUES (?, -1, 0, 0)"
                                      " ON CONFLICT (line) DO NOTHING")))
        return fail_with(query.lastError());
    for (const QString &line : lines) {
        query.bindValue(0, line);
        if (!query.exec())
            return fail_with(query.lastError());
    }
    return true;
}

std::optional<QString> Store::claim_line(qint64 round, const QString &holder, qint64 lease_ms)
{
    if ((!ready && !open()) || !begin_write())
        return std::nullopt;
    // Another collector's claim in progress is passed over, not waited for.
    QSqlQuery pick(db);
    if (!pick.prepare(QStringLiteral("SELECT line FROM line_claims WHERE round < ? OR (round = ? AND done = 0"
                                     " AND lease_until < %1) ORDER BY line LIMIT 1 FOR UPDATE SKIP LOCKED")
                          .arg(clock_ms(settings.backend)))) {
        fail_with(pick.lastError());
        return std::nullopt;
    }
    pick.bindValue(0, round);
    pick.bindValue(1, round);
    if (!pick.exec()) {
        fail_with(pick.lastError());
        return std::nullopt;
    }
    QString line;
    if (pick.next()) {
        line = pick.value(0).toString();
        QSqlQuery take(db);
        if (!take.prepare(QStringLiteral("UPDATE line_claims SET round = ?, holder = ?, lease_until = %1 + ?, done = 0"
                                         " WHERE line = ?")
                              .arg(clock_ms(settings.backend)))) {
            fail_with(take.lastError());
            return std::nullopt;
        }
        take.bindValue(0, round);
        take.bindValue(1, holder);
        take.bindValue(2, lease_ms);
        take.bindValue(3, line);
        if (!take.exec()) {
            fail_with(take.lastError());
            return std::nullopt;
        }
    }
    if (!db.commit()) {
        fail_with(db.lastError());
        return std::nullopt;
    }
    return line;
}

bool Store::renew_claims(qint64 round, const QString &holder, qint64 lease_ms)
{
    if (!ready && !open())
        return false;
    QSqlQuery query(db);
    if (!query.prepare(
            QStringLiteral("UPDATE line_claims SET lease_until = %1 + ? WHERE round = ? AND holder = ? AND done = 0")
                .arg(clock_ms(settings.backend))))
        return fail_with(query.lastError());
    query.bindValue(0, lease_ms);
    query.bindValue(1, round);
    query.bindValue(2, holder);
    if (!query.exec())
        return fail_with(query.lastError());
    return true;
}

bool Store::finish_line(qint64 round, const QString &line, const QString &holder)
{
    if (!ready && !open())
        return false;
    QSqlQuery query(db);
    if (!query.prepare(QStringLiteral("UPDATE line_claims SET done = 1 WHERE line = ? AND round = ? AND holder = ?")))
        return fail_with(query.lastError());
    query.bindValue(0, line);
    query.bindValue(1, round);
    query.bindValue(2, holder);
    if (!query.exec())
        return fail_with(query.lastError());
    return true;
}

int Store::lines_left(qint64 round)
{
    if (!ready && !open())
        return -1;
    QSqlQuery query(db);
    // A line already claimed for a later round was read in this one.
    if (!query.prepare(
            QStringLiteral("SELECT count(*) FROM line_claims WHERE round < ? OR (round = ? AND done = 0)"))) {
        fail_with(query.lastError());
        return -1;
    }
    query.bindValue(0, round);
    query.bindValue(1, round);
    if (!query.exec() || !query.next()) {
        fail_with(query.lastError());
        return -1;
    }
    return query.value(0).toInt();
}

int Store::lines_read_in(qint64 round)
{
    if (!ready && !open())
        return -1;
    QSqlQuery query(db);
    if (!query.prepare(
            QStringLiteral("SELECT count(*) FROM line_claims WHERE round > ? OR (round = ? AND done = 1)"))) {
        fail_with(query.lastError());
        return -1;
    }
    query.bindValue(0, round);
    query.bindValue(1, round);
    if (!query.exec() || !query.next()) {
        fail_with(query.lastError());
        return -1;
    }
    return query.value(0).toInt();
}

qint64 Store::server_time_ms()
{
    if (settings.backend == Backend::sqlite)
        return QDateTime::currentMSecsSinceEpoch();
    if (!ready && !open())
        return -1;
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT ") + clock_ms(settings.backend)) || !query.next()) {
        fail_with(query.lastError());
        return -1;
    }
    return query.value(0).toLongLong();
}

} // namespace journal
