#include "journal/journal_store.h"

#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTcpSocket>
#include <QVariant>
#include <limits>

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

QVariant optional_value(const std::optional<qint32> &value)
{
    return value ? QVariant(qlonglong(*value)) : QVariant();
}

std::optional<qint64> optional_of(const QVariant &value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toLongLong();
}

QDateTime utc_of_ms(const QVariant &ms)
{
    return ms.isNull() ? QDateTime() : QDateTime::fromMSecsSinceEpoch(ms.toLongLong(), Qt::UTC);
}

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

} // namespace

QVector<ArchiveRecordRow> archive_rows(const QList<QByteArray> &records, int type, int version, double factor,
                                       int decimals)
{
    QVector<ArchiveRecordRow> rows;
    rows.reserve(records.size());
    for (const QByteArray &bytes : records) {
        const arc::Record r = arc::decode_record(bytes, version);
        // A slot never written has no time to be kept by. A record the meter
        // wrote with the event 7 is kept, as the archive window shows it.
        if (r.time <= 0)
            continue;
        rows.append({type, r.time, r.reading, r.event, r.reverse_flow, factor, decimals});
    }
    return rows;
}

double volume_of(qint64 units, double factor)
{
    return factor == 0.0 ? double(units) : double(units) * factor;
}

QList<arc::ConsumptionPoint> consumption_points(const QList<ArchiveRecordRow> &records)
{
    QVector<arc::ArchiveReading> readings;
    for (const ArchiveRecordRow &r : records) {
        if (r.event != arc::event_empty)
            readings.append({r.time, r.reading, r.factor});
    }
    return arc::consumption_of(readings, records.isEmpty() ? 0 : records.first().type);
}

QList<QStringList> archive_record_texts(const QList<ArchiveRecordRow> &records, int version)
{
    QList<QStringList> texts;
    for (int k = 0; k < records.size(); ++k) {
        const ArchiveRecordRow &r = records.at(k);
        arc::Record record;
        record.time = qint32(r.time);
        record.reading = qint32(r.reading);
        record.event = quint16(r.event);
        record.reverse_flow = qint32(r.reverse_flow);
        texts.append(arc::record_row(k, record, version, VolumeScale{r.factor, r.decimals}));
    }
    return texts;
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

bool Store::fail(Fault fault, const QString &text)
{
    why = fault;
    why_text = text;
    ready = false;
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
    if (state.startsWith(QLatin1String("28")) || state == QLatin1String("3D000"))
        return fail(Fault::refused, text); // login or database refused
    if (state.startsWith(QLatin1String("08")) || state.startsWith(QLatin1String("57P")))
        return fail(Fault::unreachable, text); // the connection broke, the server shut down
    if (state.isEmpty()) {
        // No SQLSTATE: not the server's refusal of a statement but the
        // connection's trouble. A failed connect to a server that speaks
        // turned the login away; anything else lost the server.
        const bool connecting = error.type() == QSqlError::ConnectionError || !db.isOpen();
        return fail(connecting && server_speaks() ? Fault::refused : Fault::unreachable, text);
    }
    return fail(Fault::failed, text);
}

// A PostgreSQL server answers the request for encryption with one byte, "S"
// or "N"; a port that takes the connection and says nothing is no server.
bool Store::server_speaks() const
{
    QTcpSocket probe;
    probe.connectToHost(settings.host, quint16(settings.port));
    if (!probe.waitForConnected(3000))
        return false;
    probe.write(QByteArray::fromHex("0000000804d2162f"));
    if (!probe.waitForReadyRead(3000))
        return false;
    const QByteArray answer = probe.read(1);
    return answer == "S" || answer == "N";
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
    if (why != Fault::none)
        return false; // a store given up stays so; a new one tries again
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
        // A server that does not answer is given up soon; the line never waits for it.
        db.setConnectOptions(QStringLiteral("connect_timeout=3"));
    }
    if (!db.open())
        return fail_with(db.lastError());

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

bool Store::upsert_meter(const QString &serial, int model_code, const QString &model_name, int version,
                         const QString &address, double factor, int decimals)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral(
        "INSERT INTO meters (serial, model_code, model_name, protocol_version, address, factor, decimals)"
        " VALUES (:serial, :code, :name, :version, :address, :factor, :decimals)"
        " ON CONFLICT (serial) DO UPDATE SET model_code = excluded.model_code, model_name = excluded.model_name,"
        " protocol_version = excluded.protocol_version, address = excluded.address, factor = excluded.factor,"
        " decimals = excluded.decimals"));
    query.bindValue(QStringLiteral(":serial"), serial);
    query.bindValue(QStringLiteral(":code"), model_code);
    query.bindValue(QStringLiteral(":name"), model_name);
    query.bindValue(QStringLiteral(":version"), version);
    query.bindValue(QStringLiteral(":address"), address);
    query.bindValue(QStringLiteral(":factor"), factor);
    query.bindValue(QStringLiteral(":decimals"), decimals);
    if (!query.exec())
        return fail_with(query.lastError());
    return true;
}

bool Store::store_poll(const PollValues &values, const QDateTime &read_at, const MeterTarget &addressing)
{
    if (!ready && !open())
        return false;
    if (values.serial_number.isEmpty())
        return true; // nothing to key it by; a poll always reads it before it completes
    const qint64 at = read_at.toMSecsSinceEpoch();
    const QString address = addressing.by_serial ? values.device_address : QString::number(addressing.address);
    const bool matched = values.model.end == ModelLookup::End::matched;
    if (!begin_write())
        return false;
    if (!upsert_meter(values.serial_number, values.model_code, matched ? values.model.name : QString(),
                      values.protocol_version, address, values.volume_factor, values.factor_decimals))
        return false;
    QSqlQuery query(db);
    query.prepare(QStringLiteral(
        "INSERT INTO readings (serial, read_at, meter_clock, volume_units, reverse_units, event, factor, decimals,"
        " address, by_serial) VALUES (:serial, :at, :clock, :volume, :reverse, :event, :factor, :decimals,"
        " :address, :by_serial) ON CONFLICT (serial, read_at) DO NOTHING"));
    query.bindValue(QStringLiteral(":serial"), values.serial_number);
    query.bindValue(QStringLiteral(":at"), at);
    query.bindValue(QStringLiteral(":clock"), optional_value(values.clock_seconds));
    query.bindValue(QStringLiteral(":volume"), optional_value(values.volume_units));
    query.bindValue(QStringLiteral(":reverse"), optional_value(values.reverse_units));
    bool event_ok = false;
    const int event = values.event.toInt(&event_ok);
    query.bindValue(QStringLiteral(":event"), event_ok ? QVariant(event) : QVariant());
    query.bindValue(QStringLiteral(":factor"), values.volume_factor);
    query.bindValue(QStringLiteral(":decimals"), values.factor_decimals);
    query.bindValue(QStringLiteral(":address"), address);
    query.bindValue(QStringLiteral(":by_serial"), addressing.by_serial ? 1 : 0);
    if (!query.exec())
        return fail_with(query.lastError());
    if (!db.commit())
        return fail_with(db.lastError());
    return true;
}

int Store::store_archive(const ArchiveBatch &batch)
{
    if (!ready && !open())
        return -1;
    if (batch.serial.isEmpty() || batch.records.isEmpty())
        return 0;
    if (!begin_write())
        return -1;
    QSqlQuery meter(db);
    meter.prepare(QStringLiteral("INSERT INTO meters (serial, protocol_version, factor, decimals)"
                                 " VALUES (:serial, :version, :factor, :decimals) ON CONFLICT (serial) DO NOTHING"));
    meter.bindValue(QStringLiteral(":serial"), batch.serial);
    meter.bindValue(QStringLiteral(":version"), batch.protocol_version);
    meter.bindValue(QStringLiteral(":factor"), batch.factor);
    meter.bindValue(QStringLiteral(":decimals"), batch.decimals);
    if (!meter.exec()) {
        fail_with(meter.lastError());
        return -1;
    }
    // Many rows a statement: a server is asked once per hundred records, not once per record.
    constexpr int rows_per_statement = 100;
    const auto statement = [](int rows) {
        QStringList values;
        for (int k = 0; k < rows; ++k)
            values << QStringLiteral("(?, ?, ?, ?, ?, ?, ?, ?, ?)");
        return QStringLiteral("INSERT INTO archive_records (serial, archive_type, record_time, reading, event,"
                              " reverse_flow, factor, decimals, read_at) VALUES ")
            + values.join(QLatin1String(", "))
            + QStringLiteral(" ON CONFLICT (serial, archive_type, record_time) DO NOTHING");
    };
    const qint64 at = batch.read_at.toMSecsSinceEpoch();
    int added = 0;
    QSqlQuery full(db);
    if (batch.records.size() >= rows_per_statement && !full.prepare(statement(rows_per_statement))) {
        fail_with(full.lastError());
        return -1;
    }
    for (int first = 0; first < batch.records.size(); first += rows_per_statement) {
        const int rows = qMin(rows_per_statement, int(batch.records.size()) - first);
        QSqlQuery tail(db);
        QSqlQuery &query = rows == rows_per_statement ? full : tail;
        if (rows != rows_per_statement && !tail.prepare(statement(rows))) {
            fail_with(tail.lastError());
            return -1;
        }
        for (int k = 0; k < rows; ++k) {
            const ArchiveRecordRow &r = batch.records.at(first + k);
            const int p = k * 9;
            query.bindValue(p, batch.serial);
            query.bindValue(p + 1, r.type);
            query.bindValue(p + 2, r.time);
            query.bindValue(p + 3, r.reading);
            query.bindValue(p + 4, r.event);
            query.bindValue(p + 5, r.reverse_flow);
            query.bindValue(p + 6, r.factor);
            query.bindValue(p + 7, r.decimals);
            query.bindValue(p + 8, at);
        }
        if (!query.exec()) {
            fail_with(query.lastError());
            return -1;
        }
        added += qMax(query.numRowsAffected(), 0);
    }
    if (!db.commit()) {
        fail_with(db.lastError());
        return -1;
    }
    return added;
}

bool Store::store_label(const QString &serial, const QString &label, const QString &line)
{
    if (!ready && !open())
        return false;
    if (serial.isEmpty())
        return true;
    QSqlQuery query(db);
    query.prepare(QStringLiteral("INSERT INTO meters (serial, label, line) VALUES (?, ?, ?)"
                                 " ON CONFLICT (serial) DO UPDATE SET label = excluded.label, line = excluded.line"));
    query.bindValue(0, serial);
    query.bindValue(1, label);
    query.bindValue(2, line);
    if (!query.exec())
        return fail_with(query.lastError());
    return true;
}

bool Store::store_clock_setting(const QString &serial, const QDateTime &set_at, qint64 offset_before,
                                std::optional<qint64> offset_after)
{
    if (!ready && !open())
        return false;
    QSqlQuery query(db);
    query.prepare(QStringLiteral("INSERT INTO clock_settings (serial, set_at, offset_before, offset_after)"
                                 " VALUES (?, ?, ?, ?) ON CONFLICT (serial, set_at) DO NOTHING"));
    query.bindValue(0, serial);
    query.bindValue(1, set_at.toMSecsSinceEpoch());
    query.bindValue(2, offset_before);
    query.bindValue(3, offset_after ? QVariant(qlonglong(*offset_after)) : QVariant());
    if (!query.exec())
        return fail_with(query.lastError());
    return true;
}

QHash<QString, QHash<int, qint64>> Store::newest_records()
{
    QHash<QString, QHash<int, qint64>> newest;
    if (!ready && !open())
        return newest;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT serial, archive_type, MAX(record_time) FROM archive_records"
                                   " GROUP BY serial, archive_type"))) {
        fail_with(query.lastError());
        return newest;
    }
    while (query.next())
        newest[query.value(0).toString()].insert(query.value(1).toInt(), query.value(2).toLongLong());
    // Damage met part-way: nothing is handed on as if it were whole.
    if (query.lastError().isValid()) {
        fail_with(query.lastError());
        return {};
    }
    return newest;
}

bool Store::add_lines(const QStringList &lines)
{
    if (!ready && !open())
        return false;
    QSqlQuery query(db);
    query.prepare(QStringLiteral("INSERT INTO line_claims (line, round, lease_until, done) VALUES (?, -1, 0, 0)"
                                 " ON CONFLICT (line) DO NOTHING"));
    for (const QString &line : lines) {
        query.bindValue(0, line);
        if (!query.exec())
            return fail_with(query.lastError());
    }
    return true;
}

std::optional<QString> Store::claim_line(qint64 round, const QString &holder, qint64 now_ms, qint64 lease_until_ms)
{
    if ((!ready && !open()) || !begin_write())
        return std::nullopt;
    // Another collector's claim in progress is passed over, not waited for.
    QSqlQuery pick(db);
    pick.prepare(QStringLiteral("SELECT line FROM line_claims WHERE round < ? OR (round = ? AND done = 0"
                                " AND lease_until < ?) ORDER BY line LIMIT 1 FOR UPDATE SKIP LOCKED"));
    pick.bindValue(0, round);
    pick.bindValue(1, round);
    pick.bindValue(2, now_ms);
    if (!pick.exec()) {
        fail_with(pick.lastError());
        return std::nullopt;
    }
    QString line;
    if (pick.next()) {
        line = pick.value(0).toString();
        QSqlQuery take(db);
        take.prepare(QStringLiteral("UPDATE line_claims SET round = ?, holder = ?, lease_until = ?, done = 0"
                                    " WHERE line = ?"));
        take.bindValue(0, round);
        take.bindValue(1, holder);
        take.bindValue(2, lease_until_ms);
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

bool Store::renew_claims(qint64 round, const QString &holder, qint64 lease_until_ms)
{
    if (!ready && !open())
        return false;
    QSqlQuery query(db);
    query.prepare(QStringLiteral("UPDATE line_claims SET lease_until = ? WHERE round = ? AND holder = ? AND done = 0"));
    query.bindValue(0, lease_until_ms);
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
    query.prepare(QStringLiteral("UPDATE line_claims SET done = 1 WHERE line = ? AND round = ? AND holder = ?"));
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
    query.prepare(QStringLiteral("SELECT count(*) FROM line_claims WHERE round < ? OR (round = ? AND done = 0)"));
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
    query.prepare(QStringLiteral("SELECT count(*) FROM line_claims WHERE round > ? OR (round = ? AND done = 1)"));
    query.bindValue(0, round);
    query.bindValue(1, round);
    if (!query.exec() || !query.next()) {
        fail_with(query.lastError());
        return -1;
    }
    return query.value(0).toInt();
}

QList<MeterRow> Store::meters()
{
    QList<MeterRow> rows;
    if (!ready && !open())
        return rows;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral(
            "SELECT m.serial, m.model_code, m.model_name, m.protocol_version, m.address, m.factor, m.decimals,"
            " r.read_at, r.volume_units, m.label, m.line FROM meters m LEFT JOIN readings r ON r.serial = m.serial"
            " AND r.read_at = (SELECT MAX(read_at) FROM readings WHERE serial = m.serial) ORDER BY m.serial"))) {
        fail_with(query.lastError());
        return rows;
    }
    while (query.next()) {
        MeterRow row;
        row.serial = query.value(0).toString();
        row.model_code = query.value(1).isNull() ? -1 : query.value(1).toInt();
        row.model_name = query.value(2).toString();
        row.protocol_version = query.value(3).isNull() ? -1 : query.value(3).toInt();
        row.address = query.value(4).toString();
        row.factor = query.value(5).toDouble();
        row.decimals = query.value(6).toInt();
        row.last_read_at = utc_of_ms(query.value(7));
        row.last_volume_units = optional_of(query.value(8));
        row.label = query.value(9).toString();
        row.line = query.value(10).toString();
        rows.append(row);
    }
    // Damage met part-way: nothing is handed on as if it were whole.
    if (query.lastError().isValid()) {
        fail_with(query.lastError());
        return {};
    }
    return rows;
}

QList<ReadingRow> Store::readings(const QString &serial, const QDateTime &from, const QDateTime &to)
{
    QList<ReadingRow> rows;
    if (!ready && !open())
        return rows;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT read_at, meter_clock, volume_units, reverse_units, event, factor, decimals,"
                                 " address, by_serial FROM readings WHERE serial = ? AND read_at >= ? AND read_at < ?"
                                 " ORDER BY read_at"));
    query.bindValue(0, serial);
    query.bindValue(1, from.isValid() ? from.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min());
    query.bindValue(2, to.isValid() ? to.toMSecsSinceEpoch() : std::numeric_limits<qint64>::max());
    if (!query.exec()) {
        fail_with(query.lastError());
        return rows;
    }
    while (query.next()) {
        ReadingRow row;
        row.read_at = utc_of_ms(query.value(0));
        row.meter_clock = optional_of(query.value(1));
        row.volume_units = optional_of(query.value(2));
        row.reverse_units = optional_of(query.value(3));
        row.event = query.value(4).isNull() ? -1 : query.value(4).toInt();
        row.factor = query.value(5).toDouble();
        row.decimals = query.value(6).toInt();
        row.address = query.value(7).toString();
        row.by_serial = query.value(8).toInt() != 0;
        rows.append(row);
    }
    // Damage met part-way: nothing is handed on as if it were whole.
    if (query.lastError().isValid()) {
        fail_with(query.lastError());
        return {};
    }
    return rows;
}

QList<ArchiveRecordRow> Store::archive_records(const QString &serial, int type, const QDateTime &from,
                                               const QDateTime &to)
{
    QList<ArchiveRecordRow> rows;
    if (!ready && !open())
        return rows;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT record_time, reading, event, reverse_flow, factor, decimals"
                                 " FROM archive_records WHERE serial = ? AND archive_type = ?"
                                 " AND record_time >= ? AND record_time < ? ORDER BY record_time"));
    query.bindValue(0, serial);
    query.bindValue(1, type);
    query.bindValue(2, from.isValid() ? from.toSecsSinceEpoch() : std::numeric_limits<qint64>::min());
    query.bindValue(3, to.isValid() ? to.toSecsSinceEpoch() : std::numeric_limits<qint64>::max());
    if (!query.exec()) {
        fail_with(query.lastError());
        return rows;
    }
    while (query.next()) {
        ArchiveRecordRow row;
        row.type = type;
        row.time = query.value(0).toLongLong();
        row.reading = query.value(1).toLongLong();
        row.event = query.value(2).toInt();
        row.reverse_flow = query.value(3).toLongLong();
        row.factor = query.value(4).toDouble();
        row.decimals = query.value(5).toInt();
        rows.append(row);
    }
    // Damage met part-way: nothing is handed on as if it were whole.
    if (query.lastError().isValid()) {
        fail_with(query.lastError());
        return {};
    }
    return rows;
}

MeterSpan Store::span(const QString &serial)
{
    MeterSpan span;
    if (!ready && !open())
        return span;
    QSqlQuery records(db);
    records.prepare(QStringLiteral("SELECT MIN(record_time), MAX(record_time) FROM archive_records WHERE serial = ?"));
    records.bindValue(0, serial);
    QSqlQuery readings(db);
    readings.prepare(QStringLiteral("SELECT MIN(read_at), MAX(read_at) FROM readings WHERE serial = ?"));
    readings.bindValue(0, serial);
    if (!records.exec() || !records.next()) {
        fail_with(records.lastError());
        return span;
    }
    if (!readings.exec() || !readings.next()) {
        fail_with(readings.lastError());
        return span;
    }
    span.first_record = optional_of(records.value(0));
    span.last_record = optional_of(records.value(1));
    span.first_reading = utc_of_ms(readings.value(0));
    span.last_reading = utc_of_ms(readings.value(1));
    return span;
}

QPair<QDate, QDate> shown_range(const MeterSpan &span, const QDate &today)
{
    QDate from, to;
    auto take = [&](const QDate &date) {
        if (!date.isValid())
            return;
        from = from.isValid() ? qMin(from, date) : date;
        to = to.isValid() ? qMax(to, date) : date;
    };
    // Records are kept by the meter's wall time as UTC; readings are shown by
    // local days.
    for (const std::optional<qint64> &time : {span.first_record, span.last_record}) {
        if (time)
            take(QDateTime::fromSecsSinceEpoch(*time, Qt::UTC).date());
    }
    for (const QDateTime &time : {span.first_reading, span.last_reading}) {
        if (time.isValid())
            take(time.toLocalTime().date());
    }
    if (!from.isValid())
        return {today.addMonths(-1), today};
    return {from, to};
}

} // namespace journal
