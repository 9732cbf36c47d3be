// The journal's connection, its faults, its schema and the migrations of older
// ones (journal::Store); the readings in journal_readings.cpp, the claims of
// shared rounds in journal_claims.cpp.
#include "journal/journal_store.h"

#include "journal/journal_place.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTcpSocket>
#include <QVariant>
#include <QtNetwork/qtnetworkglobal.h>
#include <limits>
#if QT_CONFIG(ssl)
#include <QSslConfiguration>
#include <QSslSocket>
#endif

namespace journal {

namespace {

QAtomicInt connection_count;

// The server-wide lock under which the schema is made or brought forward.
constexpr qint64 schema_lock = 0x6d65746572; // "meter"

// Both engines take these statements as they are: BIGINT, DOUBLE PRECISION
// (an 8-byte float in both, so the factor comes back bit for bit) and
// INSERT ... ON CONFLICT.
const char *const meta_table
    = "CREATE TABLE IF NOT EXISTS journal_meta (name VARCHAR(32) PRIMARY KEY, value VARCHAR(64) NOT NULL)";
const char *const meters_table
    = "CREATE TABLE IF NOT EXISTS meters (serial VARCHAR(12) PRIMARY KEY, model_code INTEGER, model_name TEXT,"
      " protocol_version INTEGER, address TEXT, factor DOUBLE PRECISION, decimals INTEGER)";
const char *const readings_table_v1
    = "CREATE TABLE IF NOT EXISTS readings (serial VARCHAR(12) NOT NULL, read_at BIGINT NOT NULL,"
      " meter_clock BIGINT, volume_units BIGINT, reverse_units BIGINT, event INTEGER,"
      " factor DOUBLE PRECISION, decimals INTEGER, address TEXT, PRIMARY KEY (serial, read_at))";
const char *const archive_table
    = "CREATE TABLE IF NOT EXISTS archive_records (serial VARCHAR(12) NOT NULL, archive_type INTEGER NOT NULL,"
      " record_time BIGINT NOT NULL, reading BIGINT NOT NULL, event INTEGER NOT NULL, reverse_flow BIGINT NOT NULL,"
      " factor DOUBLE PRECISION, decimals INTEGER, read_at BIGINT NOT NULL,"
      " PRIMARY KEY (serial, archive_type, record_time))";

// Version 2 keeps how each reading's meter was addressed.
const char *const migrate_1_to_2 = "ALTER TABLE readings ADD COLUMN by_serial INTEGER";
// Version 3: the meter's label, and the clocks the collector set.
const char *const migrate_2_to_3_label = "ALTER TABLE meters ADD COLUMN label TEXT";
const char *const migrate_2_to_3_line = "ALTER TABLE meters ADD COLUMN line TEXT";
const char *const clock_settings_table
    = "CREATE TABLE IF NOT EXISTS clock_settings (serial VARCHAR(12) NOT NULL, set_at BIGINT NOT NULL,"
      " offset_before BIGINT NOT NULL, offset_after BIGINT, PRIMARY KEY (serial, set_at))";
const char *const line_claims_table
    = "CREATE TABLE IF NOT EXISTS line_claims (line TEXT PRIMARY KEY, round BIGINT NOT NULL, holder TEXT,"
      " lease_until BIGINT NOT NULL, done INTEGER NOT NULL)";

// SQLite's primary result codes, as Qt's driver hands them on.
enum : int {
    sqlite_perm = 3,
    sqlite_busy = 5,
    sqlite_locked = 6,
    sqlite_readonly = 8,
    sqlite_corrupt = 11,
    sqlite_cantopen = 14,
    sqlite_notadb = 26
};

// A value as a libpq connection string takes it: quoted, so that a path
// with spaces stays one value.
QString conninfo_value(QString value)
{
    value.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + value + QLatin1Char('\'');
}

// libpq's keys beside host, port, database and login; the driver takes them
// separated by ';'. A server that does not answer is given up soon; the line
// never waits for it. Keepalives find a connection whose server vanished
// without a word.
QString server_options(const Connection &c)
{
    QStringList options{QStringLiteral("connect_timeout=3"), QStringLiteral("keepalives=1"),
                        QStringLiteral("keepalives_idle=10"), QStringLiteral("keepalives_interval=5"),
                        QStringLiteral("keepalives_count=3")};
    if (!c.sslmode.isEmpty())
        options << QStringLiteral("sslmode=") + c.sslmode;
    if (!c.sslrootcert.isEmpty())
        options << QStringLiteral("sslrootcert=") + conninfo_value(c.sslrootcert);
    return options.join(QLatin1Char(';'));
}

// The server's one-byte answer to a request for encryption ("S" or "N"),
// empty when none comes; the socket stays connected for a handshake.
QByteArray ask_for_encryption(QTcpSocket *probe, const Connection &c)
{
    probe->connectToHost(c.host, quint16(c.port));
    if (!probe->waitForConnected(3000))
        return QByteArray();
    probe->write(QByteArray::fromHex("0000000804d2162f"));
    if (!probe->waitForReadyRead(3000))
        return QByteArray();
    return probe->read(1);
}

#if QT_CONFIG(ssl)
// The CA file libpq reads when none is named.
QString libpq_own_ca()
{
#ifdef Q_OS_WIN
    return qEnvironmentVariable("APPDATA") + QStringLiteral("/postgresql/root.crt");
#else
    return QDir::home().filePath(QStringLiteral(".postgresql/root.crt"));
#endif
}
#endif

} // namespace

StateKind sqlstate_kind(const QString &state)
{
    // Class 40: the transaction lost a race and may simply run again; 53300:
    // a connection slot frees up; 57014: the statement outran its timeout.
    if (state == QLatin1String("40001") || state == QLatin1String("40P01") || state == QLatin1String("53300")
        || state == QLatin1String("57014"))
        return StateKind::retry;
    if (state.startsWith(QLatin1String("28")) || state == QLatin1String("3D000"))
        return StateKind::refused; // login or database refused
    if (state.startsWith(QLatin1String("08")) || state.startsWith(QLatin1String("57P")))
        return StateKind::unreachable; // the connection broke, the server shut down
    return StateKind::give_up;
}

int next_backoff_ms(int previous_ms)
{
    return previous_ms <= 0 ? 500 : qMin(2 * previous_ms, 30000);
}

int jittered_ms(int ms)
{
    const int spread = ms / 4;
    return spread > 0 ? ms - spread + int(QRandomGenerator::global()->bounded(2 * spread + 1)) : ms;
}

Store::Store(const Connection &connection)
    : settings(connection)
    , name(QStringLiteral("journal_%1").arg(connection_count.fetchAndAddRelaxed(1)))
{ }

Store::~Store()
{
    if (db.isValid())
        db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
}

void Store::clear_failure()
{
    if (!ready)
        return;
    why = Fault::none;
    why_text.clear();
    retry_state = false;
}

bool Store::fail(Fault fault, const QString &text)
{
    why = fault;
    why_text = text;
    ready = false;
    retry_state = false;
    if (db.isOpen()) {
        // A transaction left open would hold the file's lock.
        db.rollback();
        db.close();
    }
    return false;
}

bool Store::fail_with(const QSqlError &error)
{
    const QString text = error.text();
    if (settings.backend == Backend::sqlite) {
        const int code = error.nativeErrorCode().toInt() & 0xff;
        switch (code) {
        case sqlite_busy:
        case sqlite_locked: return fail(Fault::locked, text);
        case sqlite_perm:
        case sqlite_readonly:
        case sqlite_cantopen: return fail(Fault::read_only, text);
        case sqlite_corrupt:
        case sqlite_notadb: return fail(Fault::damaged, text);
        default: return fail(Fault::failed, text);
        }
    }
    // By SQLSTATE and the driver's kind of error, never by the words: a
    // server set up in Russian says them in Russian.
    const QString state = error.nativeErrorCode();
    switch (state.isEmpty() ? StateKind::give_up : sqlstate_kind(state)) {
    case StateKind::retry:
        // Neither the journal nor the connection is at fault: the caller runs it again.
        if (db.isOpen() && ready)
            db.rollback();
        else
            db.close();
        why = Fault::failed;
        why_text = text;
        retry_state = true;
        return false;
    case StateKind::refused: return fail(Fault::refused, text);
    case StateKind::unreachable: return fail(Fault::unreachable, text);
    case StateKind::give_up: break;
    }
    if (state.isEmpty()) {
        // No SQLSTATE: not the server's refusal of a statement but the
        // connection's trouble. A failed connect to a server that speaks
        // turned the login away; anything else lost the server.
        const bool connecting = error.type() == QSqlError::ConnectionError || !db.isOpen();
        if (connecting && tls_refused())
            return fail(Fault::untrusted, text);
        return fail(connecting && server_speaks() ? Fault::refused : Fault::unreachable, text);
    }
    return fail(Fault::failed, text);
}

// A PostgreSQL server answers the request for encryption with one byte, "S"
// or "N"; a port that takes the connection and says nothing is no server.
bool Store::server_speaks() const
{
    QTcpSocket probe;
    const QByteArray answer = ask_for_encryption(&probe, settings);
    return answer == "S" || answer == "N";
}

// Whether the TLS the settings ask for cannot be made with this server: it
// offers none, or its certificate is not signed by the CA file or does not
// name the host. Asked after a failed connect, by a handshake of our own that
// sends no login, since libpq says why only in words of the client's
// language. Not known (false) without a TLS library.
bool Store::tls_refused() const
{
    const int mode = sslmodes().indexOf(settings.sslmode);
    const int require = sslmodes().indexOf(QStringLiteral("require"));
    if (mode < require)
        return false;
#if !QT_CONFIG(ssl)
    return false;
#else
    if (!QSslSocket::supportsSsl())
        return false;
    QSslSocket probe;
    const QByteArray answer = ask_for_encryption(&probe, settings);
    if (answer == "N")
        return true;
    if (answer != "S" || mode == require)
        return false;
    const QString ca_file = settings.sslrootcert.isEmpty() ? libpq_own_ca() : settings.sslrootcert;
    const QList<QSslCertificate> authorities = QSslCertificate::fromPath(ca_file);
    if (authorities.isEmpty())
        return true;
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setCaCertificates(authorities);
    tls.setPeerVerifyMode(QSslSocket::VerifyPeer);
    probe.setSslConfiguration(tls);
    probe.setPeerVerifyName(settings.host);
    bool rejected = false;
    QObject::connect(&probe, qOverload<const QList<QSslError> &>(&QSslSocket::sslErrors), &probe,
                     [&](const QList<QSslError> &errors) {
                         for (const QSslError &e : errors) {
                             // verify-ca checks the signature, not the name.
                             if (e.error() == QSslError::HostNameMismatch
                                 && settings.sslmode == QLatin1String("verify-ca"))
                                 continue;
                             rejected = true;
                         }
                         if (!rejected)
                             probe.ignoreSslErrors(errors);
                     });
    probe.startClientEncryption();
    probe.waitForEncrypted(3000);
    return rejected;
#endif
}

bool Store::run(const QString &statement)
{
    QSqlQuery query(db);
    if (!query.exec(statement))
        return fail_with(query.lastError());
    return true;
}

bool Store::begin_write()
{
    // SQLite takes the write lock at once, so that a file another copy is
    // writing shows as locked here and not halfway through.
    if (settings.backend == Backend::sqlite)
        return run(QStringLiteral("BEGIN IMMEDIATE"));
    if (!db.transaction())
        return fail_with(db.lastError());
    return true;
}

bool Store::open()
{
    if (ready)
        return true;
    if (why != Fault::none && !retry_state)
        return false; // a store given up stays so; a new one tries again
    why = Fault::none;
    retry_state = false;
    if (settings.backend == Backend::sqlite) {
        const QFileInfo file(settings.file);
        if (file.isDir())
            return fail(Fault::folder, settings.file);
        if (file.exists()) {
            // The permissions as the owner set them, root or not: a journal
            // made read-only is kept read-only.
            const QFileDevice::Permissions allowed = file.permissions();
            if (!(allowed & QFileDevice::WriteOwner) || !(allowed & QFileDevice::WriteUser))
                return fail(Fault::read_only, settings.file);
            QFile head(settings.file);
            if (!head.open(QIODevice::ReadOnly))
                return fail(Fault::read_only, head.errorString());
            const QByteArray magic = head.read(16);
            if (file.size() > 0 && (file.size() < 100 || magic != QByteArray("SQLite format 3\0", 16)))
                return fail(Fault::damaged, settings.file);
        }
        // The write-ahead log and its index are made beside the file.
        if (!QFileInfo(file.absolutePath()).isWritable())
            return fail(Fault::read_only, file.absolutePath());
    }

    const QString driver = settings.backend == Backend::sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL");
    if (!QSqlDatabase::isDriverAvailable(driver))
        return fail(settings.backend == Backend::sqlite ? Fault::failed : Fault::unreachable,
                    QStringLiteral("no Qt SQL driver %1").arg(driver));
    if (settings.backend == Backend::postgresql && !settings.sslmode.isEmpty()
        && !sslmodes().contains(settings.sslmode))
        return fail(Fault::untrusted, QStringLiteral("sslmode=%1: %2").arg(settings.sslmode, sslmodes().join(", ")));
    if (!db.isValid()) // opened again after a failure worth retrying: the same connection's name
        db = QSqlDatabase::addDatabase(driver, name);
    if (settings.backend == Backend::sqlite) {
        db.setDatabaseName(settings.file);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=1000"));
    } else {
        db.setHostName(settings.host);
        db.setPort(settings.port);
        db.setDatabaseName(settings.database);
        db.setUserName(settings.user);
        db.setPassword(settings.password);
        db.setConnectOptions(server_options(settings));
    }
    if (!db.open())
        return fail_with(db.lastError());
    // No statement holds its thread past this; a cancelled one is run again.
    if (settings.backend == Backend::postgresql && !run(QStringLiteral("SET statement_timeout = 15000")))
        return false;

    if (settings.backend == Backend::sqlite) {
        // Broken pages are found now, not half-way through a table shown as if whole.
        QSqlQuery check(db);
        if (!check.exec(QStringLiteral("PRAGMA quick_check")))
            return fail_with(check.lastError());
        if (!check.next() || check.value(0).toString() != QLatin1String("ok"))
            return fail(Fault::damaged, check.value(0).toString());
    }
    const int found = stored_schema_version();
    if (found < 0)
        return false;
    if (found > schema_version)
        return fail(Fault::newer_schema, QString::number(found));
    if (settings.backend == Backend::sqlite) {
        // Nothing half-written survives a crash: the log is committed or not at all.
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
            return fail_with(query.lastError());
        if (!query.next() || query.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
            return fail(Fault::locked, QStringLiteral("journal_mode"));
        if (!run(QStringLiteral("PRAGMA synchronous=FULL")))
            return false;
    }
    // The write lock taken once even when there is nothing to bring forward:
    // a file another copy is writing shows here, not at the first reading.
    if (!begin_write())
        return false;
    // Two programs creating the schema at once: the second waits for the
    // first under the lock and finds it made. (A server's CREATE TABLE IF NOT
    // EXISTS is not safe side by side without it.)
    if (settings.backend == Backend::postgresql
        && !run(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(schema_lock)))
        return false;
    const int under_lock = stored_schema_version();
    if (under_lock < 0)
        return false;
    if (under_lock > schema_version)
        return fail(Fault::newer_schema, QString::number(under_lock));
    if (under_lock < schema_version && !create_or_migrate(under_lock))
        return false;
    if (!db.commit())
        return fail_with(db.lastError());
    ready = true;
    return true;
}

int Store::stored_schema_version()
{
    const QStringList tables = db.tables();
    if (db.lastError().isValid()) {
        fail_with(db.lastError());
        return -1;
    }
    if (!tables.contains(QLatin1String("journal_meta")))
        return 0;
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT value FROM journal_meta WHERE name = 'schema_version'"))) {
        fail_with(query.lastError());
        return -1;
    }
    if (!query.next())
        return 0;
    bool ok = false;
    const int version = query.value(0).toString().toInt(&ok);
    if (!ok) {
        fail(Fault::damaged, query.value(0).toString());
        return -1;
    }
    return version;
}

bool Store::create_or_migrate(int found)
{
    if (found == 0) {
        for (const char *statement : {meta_table, meters_table, readings_table_v1, archive_table}) {
            if (!run(QLatin1String(statement)))
                return false;
        }
        if (!run(QStringLiteral("INSERT INTO journal_meta (name, value) VALUES ('schema_version', '1')")))
            return false;
        found = 1;
    }
    if (found == 1) {
        if (!run(QLatin1String(migrate_1_to_2)))
            return false;
        found = 2;
    }
    if (found == 2) {
        if (!run(QLatin1String(migrate_2_to_3_label)) || !run(QLatin1String(migrate_2_to_3_line))
            || !run(QLatin1String(clock_settings_table)) || !run(QLatin1String(line_claims_table)))
            return false;
    }
    return run(
        QStringLiteral("UPDATE journal_meta SET value = '%1' WHERE name = 'schema_version'").arg(schema_version));
}

} // namespace journal
