#pragma once

// The throw-away PostgreSQL server of tests/journal/pg_server.sh, as the
// collector's tests use it: its address, a query's first column, and a
// journal emptied for a test of its own.

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

// "host port database user password", or "skip <why>".
inline QStringList pg_server_info()
{
    QFile info(qEnvironmentVariable("METER_PG_INFO"));
    return info.open(QIODevice::ReadOnly) ? QString::fromUtf8(info.readAll()).trimmed().split(' ')
                                          : QStringList{"skip", "no PostgreSQL server started for this run"};
}

inline bool pg_skipped(const QStringList &server)
{
    return server.size() < 5 || server[0] == "skip";
}

// The first column of every row; nothing when the server or the statement refuses.
inline QVariantList pg_values(const QStringList &server, const QString &statement)
{
    QVariantList found;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", "check");
        db.setHostName(server[0]);
        db.setPort(server[1].toInt());
        db.setDatabaseName(server[2]);
        db.setUserName(server[3]);
        db.setPassword(server[4]);
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(statement)) {
                while (q.next())
                    found << q.value(0);
            }
        }
    }
    QSqlDatabase::removeDatabase("check");
    return found;
}

inline void pg_empty_journal(const QStringList &server)
{
    pg_values(server,
              "DROP TABLE IF EXISTS journal_meta, meters, readings, archive_records, clock_settings, line_claims");
}
