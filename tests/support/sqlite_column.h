#pragma once

// One column of a query on an SQLite journal the program wrote, for a test
// to compare; a file that does not open, or a statement refused, comes back
// as a single value saying so, which the comparison then shows.

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

inline QStringList column(const QString &db_file, const QString &statement)
{
    QStringList values;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "check");
        db.setDatabaseName(db_file);
        // The collector's last checkpoint may still hold the file a moment.
        db.setConnectOptions("QSQLITE_BUSY_TIMEOUT=5000");
        QSqlQuery q(db);
        if (!db.open())
            values << "not opened: " + db.lastError().text();
        else if (!q.exec(statement))
            values << "refused: " + q.lastError().text();
        while (q.next())
            values << q.value(0).toString();
    }
    QSqlDatabase::removeDatabase("check");
    return values;
}
