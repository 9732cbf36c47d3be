// The journal's store against SQLite and, when the test script started one,
// a real PostgreSQL server: what goes in comes back exactly, a re-read adds
// only the new records, an older schema is brought forward, and a file or
// server the journal cannot keep is left as it was.
#include "journal/journal_store.h"
#include "journal/journal_writer.h"
#include "model/journal_texts.h"

#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>

using namespace journal;

namespace {

struct Server
{
    bool up = false;
    QString reason;
    Connection connection;
};

Server postgresql_server()
{
    Server server;
    const QString info = qEnvironmentVariable("METER_PG_INFO");
    QFile file(info);
    if (info.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        server.reason = QStringLiteral("no PostgreSQL server started for this run (METER_PG_INFO)");
        return server;
    }
    const QStringList fields = QString::fromUtf8(file.readAll()).trimmed().split(QLatin1Char(' '));
    if (fields.value(0) == QLatin1String("skip") || fields.size() < 5) {
        server.reason = fields.mid(1).join(QLatin1Char(' '));
        return server;
    }
    server.up = true;
    server.connection.backend = Backend::postgresql;
    server.connection.host = fields[0];
    server.connection.port = fields[1].toInt();
    server.connection.database = fields[2];
    server.connection.user = fields[3];
    server.connection.password = fields[4];
    return server;
}

bool same_bits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

PollValues sample_poll(int version, bool model_known)
{
    PollValues v;
    v.protocol_version = version;
    v.model_code = 0x21;
    if (model_known) {
        v.model.end = ModelLookup::End::matched;
        v.model.name = QStringLiteral("Тестовый");
        v.model.factor = 0.1; // not exact in binary: must still come back bit for bit
        v.model.factor_has_point = true;
        v.model.factor_decimals = 1;
    }
    v.serial = SerialBytes{0x00, 0xa1, 0xb2, 0xc3, 0xd4, 0xe5};
    v.device_address = 17;
    v.event = 5;
    v.clock_seconds = 1780000000;
    v.volume_units = 2147483000;
    if (version == 3)
        v.reverse_units = -42;
    return v;
}

// A version 2 archive record as the meter sends it: 32-bit values low word first.
QByteArray record_bytes(quint32 time, quint32 reading, quint16 event)
{
    QByteArray b;
    for (quint32 v : {time, reading})
        b.append(char(v >> 8)).append(char(v)).append(char(v >> 24)).append(char(v >> 16));
    return b.append(char(event >> 8)).append(char(event));
}

ArchiveRecordRow record(int type, qint64 time, qint64 reading)
{
    return {type, time, reading, 0, 3, 0.001, 3};
}

// Exec each statement on a connection of the test's own.
void exec_all(const Connection &c, const QStringList &statements)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(c.backend == Backend::sqlite ? "QSQLITE" : "QPSQL", "test_side");
        db.setDatabaseName(c.backend == Backend::sqlite ? c.file : c.database);
        db.setHostName(c.host);
        db.setPort(c.port);
        db.setUserName(c.user);
        db.setPassword(c.password);
        QVERIFY2(db.open(), qPrintable(db.lastError().text()));
        for (const QString &s : statements) {
            QSqlQuery q(db);
            QVERIFY2(q.exec(s), qPrintable(s + ": " + q.lastError().text()));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase("test_side");
}

} // namespace

Q_DECLARE_METATYPE(journal::StateKind)

class tst_journal_store : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void postgresql_server_is_up();
    void exported_as_the_archive_data();
    void exported_as_the_archive();
    void poll_stored_exactly_data();
    void poll_stored_exactly();
    void archive_reread_adds_only_new_data();
    void archive_reread_adds_only_new();
    void first_schema_brought_forward_data();
    void first_schema_brought_forward();
    void file_faults_leave_the_file_as_it_was_data();
    void file_faults_leave_the_file_as_it_was();
    void server_faults_data();
    void server_faults();
    void sqlstate_kinds_data();
    void sqlstate_kinds();
    void server_lost_and_back_loses_nothing();
    void cancelled_statement_runs_again();
    void writer_says_once_and_keeps_going();

private:
    void add_backends();
    Connection connection(Backend backend);

    QTemporaryDir dir;
    Server pg;
};

void tst_journal_store::initTestCase()
{
    QVERIFY(dir.isValid());
    pg = postgresql_server();
    if (!pg.up)
        qInfo("PostgreSQL rows skipped: %s", qPrintable(pg.reason));
}

// Every row starts from an empty journal.
void tst_journal_store::init()
{
    QFile::remove(dir.filePath("readings.sqlite"));
    QFile::remove(dir.filePath("readings.sqlite-wal"));
    QFile::remove(dir.filePath("readings.sqlite-shm"));
    if (pg.up)
        exec_all(pg.connection,
                 {"DROP TABLE IF EXISTS journal_meta, meters, readings, archive_records, clock_settings, line_claims"});
}

void tst_journal_store::postgresql_server_is_up()
{
    if (!pg.up)
        QSKIP(qPrintable(pg.reason));
    Store store(pg.connection);
    QVERIFY2(store.open(), qPrintable(store.detail()));
}

void tst_journal_store::add_backends()
{
    QTest::addColumn<int>("backend");
}

Connection tst_journal_store::connection(Backend backend)
{
    if (backend == Backend::postgresql)
        return pg.connection;
    Connection c;
    c.file = dir.filePath("readings.sqlite");
    return c;
}

// What the journal keeps of an archive read, and the rows its export
// writes: numbered from 0, a record with the event 7 kept as the archive
// window keeps it, a slot never written not a record at all.
void tst_journal_store::exported_as_the_archive_data()
{
    QTest::addColumn<QList<QByteArray>>("records");
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<int>("chart_points"); // between readings next to each other in time
    const QByteArray erased(10, char(0xFF));
    // 30.01.2024 15:00:00 and 14:00:00 on the meter's wall.
    const quint32 t0 = 1706626800, t1 = t0 - 3600;
    QTest::newRow("event 7 between two records")
        << QList<QByteArray>{record_bytes(t0, 12345, 0), record_bytes(t1, 12342, 7), record_bytes(t1 - 3600, 12339, 1)}
        << QList<QStringList>{{"0", "30.01.2024 15:00:00", "12.345", "0", "--"},
                              {"1", "--", "--", "--", "--"},
                              {"2", "30.01.2024 13:00:00", "12.339", "1", "--"}}
        << 1;
    QTest::newRow("slots never written left out")
        << QList<QByteArray>{record_bytes(t0, 12345, 0), erased, erased}
        << QList<QStringList>{{"0", "30.01.2024 15:00:00", "12.345", "0", "--"}} << 0;
    // The journal keeps the meter's -1; it shows as no value.
    QTest::newRow("reading without a value kept")
        << QList<QByteArray>{record_bytes(t0, 0xFFFFFFFF, 0), record_bytes(t1, 12342, 0)}
        << QList<QStringList>{{"0", "30.01.2024 15:00:00", "--", "0", "--"},
                              {"1", "30.01.2024 14:00:00", "12.342", "0", "--"}}
        << 1;
    QTest::newRow("event 7 alone") << QList<QByteArray>{record_bytes(t1, 5, 7)}
                                   << QList<QStringList>{{"0", "--", "--", "--", "--"}} << 0;
}

void tst_journal_store::exported_as_the_archive()
{
    QFETCH(QList<QByteArray>, records);
    QFETCH(QList<QStringList>, rows);
    QFETCH(int, chart_points);
    QList<ArchiveRecordRow> kept;
    for (const ArchiveRecordRow &r : archive_rows(records, 1, 2, 0.001, 3))
        kept << r;
    QCOMPARE(archive_record_texts(kept, 2), rows);
    // The chart and the consumption take no reading from an event-7 record.
    QCOMPARE(consumption_points(kept).size(), chart_points);
}

void tst_journal_store::poll_stored_exactly_data()
{
    QTest::addColumn<int>("backend");
    QTest::addColumn<int>("version");
    QTest::addColumn<bool>("model_known");
    QTest::addColumn<bool>("by_serial");
    for (Backend b : {Backend::sqlite, Backend::postgresql}) {
        if (b == Backend::postgresql && !pg.up)
            continue;
        const char *name = b == Backend::sqlite ? "sqlite" : "postgresql";
        QTest::addRow("%s: version 3, factor 0.1, by address", name) << int(b) << 3 << true << false;
        QTest::addRow("%s: version 2, no reverse flow, by serial", name) << int(b) << 2 << true << true;
        QTest::addRow("%s: model unknown, raw counts", name) << int(b) << 3 << false << false;
    }
}

void tst_journal_store::poll_stored_exactly()
{
    QFETCH(int, backend);
    QFETCH(int, version);
    QFETCH(bool, model_known);
    QFETCH(bool, by_serial);
    const PollValues v = sample_poll(version, model_known);
    MeterTarget target;
    target.by_serial = by_serial;
    target.address = 9;
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(1780000123456, Qt::UTC);
    {
        Store store(connection(Backend(backend)));
        QVERIFY2(store.store_poll(v, at, target), qPrintable(store.detail()));
        QVERIFY(store.store_poll(v, at.addSecs(60), target));
    }
    Store store(connection(Backend(backend)));
    const QList<MeterRow> meters = store.meters();
    QCOMPARE(meters.size(), 1);
    QCOMPARE(meters[0].serial, QStringLiteral("00a1b2c3d4e5"));
    QCOMPARE(meters[0].protocol_version, version);
    QCOMPARE(meters[0].model_name, model_known ? v.model.name : QString());
    QCOMPARE(meters[0].address, by_serial ? QString("17") : QString("9"));
    QCOMPARE(meters[0].last_read_at, at.addSecs(60));
    QCOMPARE(meters[0].last_volume_units, std::optional<qint64>(2147483000));
    const QList<ReadingRow> rows = store.readings(QStringLiteral("00a1b2c3d4e5"), at, at.addSecs(1));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].read_at, at);
    QCOMPARE(rows[0].meter_clock, std::optional<qint64>(1780000000));
    QCOMPARE(rows[0].volume_units, std::optional<qint64>(2147483000));
    QCOMPARE(rows[0].reverse_units, version == 3 ? std::optional<qint64>(-42) : std::nullopt);
    QCOMPARE(rows[0].event, 5);
    QVERIFY(same_bits(rows[0].factor, v.scale().factor));
    QCOMPARE(rows[0].decimals, v.scale().decimals);
    QCOMPARE(rows[0].by_serial, by_serial);
}

void tst_journal_store::archive_reread_adds_only_new_data()
{
    QTest::addColumn<int>("backend");
    QTest::addRow("sqlite") << int(Backend::sqlite);
    if (pg.up)
        QTest::addRow("postgresql") << int(Backend::postgresql);
}

// The meter's ring buffer has moved on between the reads: the journal keeps
// what it overwrote and adds only what is new.
void tst_journal_store::archive_reread_adds_only_new()
{
    QFETCH(int, backend);
    Store store(connection(Backend(backend)));
    ArchiveBatch first;
    first.serial = QStringLiteral("00a1b2c3d4e5");
    first.protocol_version = 3;
    first.read_at = QDateTime::currentDateTimeUtc();
    for (int k = 0; k < 1200; ++k)
        first.records.append(record(1, 1700000000 + 3600 * k, 1000 + k));
    first.records.append(record(2, 1700000000, 1000));
    QCOMPARE(store.store_archive(first), 1201);

    ArchiveBatch second = first;
    second.records.clear();
    for (int k = 600; k < 1210; ++k)
        second.records.append(record(1, 1700000000 + 3600 * k, k < 1200 ? 1000 + k : 5000 + k));
    second.records.append(record(2, 1700000000, 999999)); // same key: the first stays
    QCOMPARE(store.store_archive(second), 10);

    const QList<ArchiveRecordRow> hourly = store.archive_records(first.serial, 1, {}, {});
    QCOMPARE(hourly.size(), 1210);
    QCOMPARE(hourly.first().time, qint64(1700000000));
    QCOMPARE(hourly.last().reading, qint64(5000 + 1209));
    QVERIFY(same_bits(hourly.last().factor, 0.001));
    const QList<ArchiveRecordRow> daily = store.archive_records(first.serial, 2, {}, {});
    QCOMPARE(daily.size(), 1);
    QCOMPARE(daily.first().reading, qint64(1000));
    const QDateTime from = QDateTime::fromSecsSinceEpoch(1700000000 + 3600 * 10, Qt::UTC);
    QCOMPARE(store.archive_records(first.serial, 1, from, from.addSecs(3600 * 5)).size(), 5);
}

void tst_journal_store::first_schema_brought_forward_data()
{
    archive_reread_adds_only_new_data();
}

void tst_journal_store::first_schema_brought_forward()
{
    QFETCH(int, backend);
    const Connection c = connection(Backend(backend));
    // The journal as the first version of the program left it.
    exec_all(c,
             {"CREATE TABLE journal_meta (name VARCHAR(32) PRIMARY KEY, value VARCHAR(64) NOT NULL)",
              "CREATE TABLE meters (serial VARCHAR(12) PRIMARY KEY, model_code INTEGER, model_name TEXT,"
              " protocol_version INTEGER, address TEXT, factor DOUBLE PRECISION, decimals INTEGER)",
              "CREATE TABLE readings (serial VARCHAR(12) NOT NULL, read_at BIGINT NOT NULL,"
              " meter_clock BIGINT, volume_units BIGINT, reverse_units BIGINT, event INTEGER,"
              " factor DOUBLE PRECISION, decimals INTEGER, address TEXT, PRIMARY KEY (serial, read_at))",
              "CREATE TABLE archive_records (serial VARCHAR(12) NOT NULL, archive_type INTEGER NOT NULL,"
              " record_time BIGINT NOT NULL, reading BIGINT NOT NULL, event INTEGER NOT NULL,"
              " reverse_flow BIGINT NOT NULL, factor DOUBLE PRECISION, decimals INTEGER, read_at BIGINT NOT NULL,"
              " PRIMARY KEY (serial, archive_type, record_time))",
              "INSERT INTO journal_meta VALUES ('schema_version', '1')",
              "INSERT INTO meters VALUES ('00a1b2c3d4e5', 33, 'old', 2, '5', 0.001, 3)",
              "INSERT INTO readings VALUES ('00a1b2c3d4e5', 1000, 7, 123, NULL, 0, 0.001, 3, '5')"});
    Store store(c);
    QVERIFY2(store.open(), qPrintable(store.detail()));
    QCOMPARE(store.stored_schema_version(), schema_version);
    const QList<ReadingRow> old = store.readings("00a1b2c3d4e5", {}, {});
    QCOMPARE(old.size(), 1);
    QCOMPARE(old[0].volume_units, std::optional<qint64>(123));
    MeterTarget target;
    target.by_serial = true;
    QVERIFY(store.store_poll(sample_poll(3, true), QDateTime::currentDateTimeUtc(), target));
    const QList<ReadingRow> now = store.readings("00a1b2c3d4e5", {}, {});
    QCOMPARE(now.size(), 2);
    QVERIFY(now[1].by_serial);
}

void tst_journal_store::file_faults_leave_the_file_as_it_was_data()
{
    QTest::addColumn<QString>("fault_case");
    QTest::addColumn<int>("fault");
    QTest::newRow("damaged: not a database") << "garbage" << int(Fault::damaged);
    QTest::newRow("damaged: broken pages") << "broken_pages" << int(Fault::damaged);
    QTest::newRow("read-only file") << "read_only" << int(Fault::read_only);
    QTest::newRow("newer schema") << "newer" << int(Fault::newer_schema);
    QTest::newRow("locked by another copy") << "locked" << int(Fault::locked);
}

void tst_journal_store::file_faults_leave_the_file_as_it_was()
{
    QFETCH(QString, fault_case);
    QFETCH(int, fault);
    const Connection c = connection(Backend::sqlite);
    if (fault_case == "garbage") {
        QFile f(c.file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(8192, 'x'));
    } else {
        {
            Store made(c);
            MeterTarget target;
            QVERIFY(made.store_poll(sample_poll(3, true), QDateTime::currentDateTimeUtc(), target));
            for (int k = 0; k < 20; ++k) { // pages beyond the first
                ArchiveBatch b;
                b.serial = QString("%1").arg(k, 12, 10, QLatin1Char('0'));
                for (int r = 0; r < 100; ++r)
                    b.records.append(record(1, r, r));
                QVERIFY(made.store_archive(b) > 0);
            }
        }
        if (fault_case == "newer")
            exec_all(c, {QString("UPDATE journal_meta SET value = '%1'").arg(schema_version + 1)});
        if (fault_case == "broken_pages") {
            QFile f(c.file);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.size() > 8 * 4096);
            f.seek(4096);
            f.write(QByteArray(int(f.size()) - 4096, '\xa5'));
        }
        if (fault_case == "read_only")
            QVERIFY(QFile::setPermissions(c.file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    }
    const QByteArray before = [&] {
        QFile f(c.file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();

    QSqlDatabase holder;
    if (fault_case == "locked") {
        holder = QSqlDatabase::addDatabase("QSQLITE", "holder");
        holder.setDatabaseName(c.file);
        QVERIFY(holder.open());
        QVERIFY(QSqlQuery(holder).exec("BEGIN EXCLUSIVE"));
    }
    {
        Store store(c);
        QVERIFY(!store.open());
        QCOMPARE(int(store.fault()), fault);
        MeterTarget target;
        QVERIFY(!store.store_poll(sample_poll(3, true), QDateTime::currentDateTimeUtc(), target));
        QCOMPARE(int(store.fault()), fault);
    }
    if (fault_case == "locked") {
        QSqlQuery(holder).exec("ROLLBACK");
        holder.close();
        holder = QSqlDatabase();
        QSqlDatabase::removeDatabase("holder");
    }
    QFile after(c.file);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QVERIFY2(after.readAll() == before, "the journal file was changed");
    QFile::setPermissions(c.file, QFile::ReadOwner | QFile::WriteOwner);
}

void tst_journal_store::server_faults_data()
{
    QTest::addColumn<bool>("wrong_password");
    QTest::addColumn<int>("fault");
    QTest::newRow("server down") << false << int(Fault::unreachable);
    QTest::newRow("login refused") << true << int(Fault::refused);
}

void tst_journal_store::server_faults()
{
    QFETCH(bool, wrong_password);
    QFETCH(int, fault);
    if (!pg.up)
        QSKIP(qPrintable(pg.reason));
    Connection c = pg.connection;
    if (wrong_password) {
        c.password = QStringLiteral("not-the-password");
    } else {
        c.port = 1; // nothing listens there
    }
    Store store(c);
    QVERIFY(!store.open());
    QCOMPARE(int(store.fault()), fault);
}

// A journal given up is said once; the reads queued after it return at once.
void tst_journal_store::writer_says_once_and_keeps_going()
{
    const Connection c = connection(Backend::sqlite);
    {
        QFile f(c.file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    }
    Writer writer(c);
    QSignalSpy faults(&writer, &Writer::fault);
    MeterTarget target;
    for (int k = 0; k < 5; ++k)
        writer.record_poll(sample_poll(3, true), QDateTime::currentDateTimeUtc(), target);
    QVERIFY(writer.wait_written(30000));
    QTRY_COMPARE_WITH_TIMEOUT(faults.size(), 1, 30000);
    QCOMPARE(faults.at(0).at(0).value<Fault>(), Fault::damaged);
    QVERIFY(!writer.available());
    QTest::qWait(50);
    QCOMPARE(faults.size(), 1);
}

// The server stopped with reads on their way and started again: the reads
// wait in the queue and are all written once it is back.
// A lost race or a full server is tried again; only a statement the journal
// refuses for good gives it up.
void tst_journal_store::sqlstate_kinds_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<journal::StateKind>("kind");
    QTest::newRow("serialization failure") << "40001" << journal::StateKind::retry;
    QTest::newRow("deadlock") << "40P01" << journal::StateKind::retry;
    QTest::newRow("too many connections") << "53300" << journal::StateKind::retry;
    QTest::newRow("statement timeout") << "57014" << journal::StateKind::retry;
    QTest::newRow("connection broken") << "08006" << journal::StateKind::unreachable;
    QTest::newRow("server shutting down") << "57P01" << journal::StateKind::unreachable;
    QTest::newRow("wrong password") << "28P01" << journal::StateKind::refused;
    QTest::newRow("no such database") << "3D000" << journal::StateKind::refused;
    QTest::newRow("disk full") << "53100" << journal::StateKind::give_up;
    QTest::newRow("no such table") << "42P01" << journal::StateKind::give_up;
}

void tst_journal_store::sqlstate_kinds()
{
    QFETCH(QString, state);
    QFETCH(journal::StateKind, kind);
    QCOMPARE(journal::sqlstate_kind(state), kind);
}

void tst_journal_store::server_lost_and_back_loses_nothing()
{
    if (!pg.up)
        QSKIP(qPrintable(pg.reason));
    const auto server = [](const char *action) {
        return QProcess::execute(PG_SERVER_SH, {action, qEnvironmentVariable("METER_PG_INFO")}) == 0;
    };
    Writer writer(pg.connection);
    QSignalSpy lost(&writer, &Writer::server_lost);
    QSignalSpy back(&writer, &Writer::server_back);
    const QDateTime t0 = QDateTime::currentDateTimeUtc();
    writer.record_poll(sample_poll(3, true), t0, MeterTarget{});
    QVERIFY(writer.wait_written(30000));
    QVERIFY(server("down"));
    for (int k = 1; k <= 3; ++k)
        writer.record_poll(sample_poll(3, true), t0.addSecs(k), MeterTarget{});
    QTRY_COMPARE_WITH_TIMEOUT(lost.size(), 1, 30000);
    QVERIFY(server("up"));
    QVERIFY(writer.wait_written(60000));
    QTRY_COMPARE_WITH_TIMEOUT(back.size(), 1, 60000);
    QCOMPARE(back.at(0).at(0).toInt(), 3);
    QVERIFY(writer.available());
    Store store(pg.connection);
    QCOMPARE(store.readings(QStringLiteral("00a1b2c3d4e5"), QDateTime(), QDateTime()).size(), 4);
}

// A statement cancelled by the server's statement timeout (here: a table
// another session holds locked) is run again, never a reason to give the
// journal up; the reading is kept once the lock is let go.
void tst_journal_store::cancelled_statement_runs_again()
{
    if (!pg.up)
        QSKIP(qPrintable(pg.reason));
    const auto open_as = [&](const QString &name) {
        QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", name);
        db.setDatabaseName(pg.connection.database);
        db.setHostName(pg.connection.host);
        db.setPort(pg.connection.port);
        db.setUserName(pg.connection.user);
        db.setPassword(pg.connection.password);
        return db.open();
    };
    // When the writer's insert, waiting for the lock, began (0: none waits).
    const auto waiting_since = [&] {
        double since = 0;
        {
            if (open_as("watch")) {
                QSqlQuery q(QSqlDatabase::database("watch"));
                if (q.exec(
                        "SELECT extract(epoch FROM query_start) FROM pg_stat_activity WHERE wait_event_type = 'Lock'")
                    && q.next())
                    since = q.value(0).toDouble();
            }
        }
        QSqlDatabase::removeDatabase("watch");
        return since;
    };
    Writer writer(pg.connection);
    QSignalSpy fault(&writer, &Writer::fault);
    QSignalSpy not_kept(&writer, &Writer::not_kept);
    const QDateTime t0 = QDateTime::currentDateTimeUtc();
    writer.record_poll(sample_poll(3, true), t0, MeterTarget{});
    QVERIFY(writer.wait_written(30000));
    {
        QVERIFY(open_as("locker"));
        QSqlDatabase locker = QSqlDatabase::database("locker");
        QVERIFY(locker.transaction());
        QVERIFY(QSqlQuery(locker).exec("LOCK TABLE readings IN ACCESS EXCLUSIVE MODE"));
        writer.record_poll(sample_poll(3, true), t0.addSecs(1), MeterTarget{});
        double first = 0;
        QTRY_VERIFY_WITH_TIMEOUT((first = waiting_since()) > 0, 10000);
        // Cancelled after the timeout, and asked again.
        QTRY_VERIFY_WITH_TIMEOUT(waiting_since() > first, 40000);
        QVERIFY(locker.rollback());
        locker.close();
    }
    QSqlDatabase::removeDatabase("locker");
    QVERIFY(writer.wait_written(30000));
    QVERIFY2(fault.isEmpty() && not_kept.isEmpty(), "the journal was given up");
    Store store(pg.connection);
    QCOMPARE(store.readings(QStringLiteral("00a1b2c3d4e5"), t0, QDateTime()).size(), 2);
}

QTEST_GUILESS_MAIN(tst_journal_store)
#include "tst_journal_store.moc"
