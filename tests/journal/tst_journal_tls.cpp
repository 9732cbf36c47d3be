// The journal on a PostgreSQL server that speaks only TLS, with a CA the test
// makes (pg_server.sh start-tls): which settings connect, what the operator
// is told when they do not, and the office's roles (docs/journal_roles.sql).
#include "journal/consumption.h"
#include "journal/journal_store.h"
#include "model/journal_texts.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace journal;

namespace {

PollValues sample_poll()
{
    PollValues v;
    v.protocol_version = 3;
    v.model_code = 0x21;
    v.serial = SerialBytes{0x00, 0xa1, 0xb2, 0xc3, 0xd4, 0xe5};
    v.device_address = 17;
    v.clock_seconds = 1780000000;
    v.volume_units = 123456;
    v.reverse_units = 0;
    return v;
}

// What the collector prints for a journal it cannot keep.
QString told(const Store &store, const Connection &c)
{
    return journal_fault_text(store.fault(), c) + QStringLiteral(" (") + store.detail() + QLatin1Char(')');
}

} // namespace

class tst_journal_tls : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void connections_data();
    void connections();
    void roles_data();
    void roles();

private:
    bool server(const QStringList &arguments);
    bool psql(const Connection &as, const QStringList &arguments);
    Connection as(const QString &user, const QString &password) const;

    QTemporaryDir scratch;
    QString info;
    QString skipped;
    Connection owner;
    QString tls_folder;
    QString shown = QStringLiteral("server");
};

bool tst_journal_tls::server(const QStringList &arguments)
{
    return QProcess::execute(PG_SERVER_SH, arguments) == 0;
}

bool tst_journal_tls::psql(const Connection &c, const QStringList &arguments)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PGPASSWORD", c.password);
    env.insert("PGSSLMODE", "verify-full");
    env.insert("PGSSLROOTCERT", c.sslrootcert);
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    const QString bin = qEnvironmentVariable("METER_PG_BIN", "/usr/lib/postgresql/15/bin");
    p.start(bin + "/psql",
            QStringList{"-v", "ON_ERROR_STOP=1", "-q", "-h", c.host, "-p", QString::number(c.port), "-U", c.user, "-d",
                        c.database}
                + arguments);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

Connection tst_journal_tls::as(const QString &user, const QString &password) const
{
    Connection c = owner;
    c.user = user;
    c.password = password;
    return c;
}

void tst_journal_tls::initTestCase()
{
    QVERIFY(scratch.isValid());
    info = scratch.filePath("pg.info");
    QVERIFY(server({"start-tls", info}));
    QFile file(info);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList fields = QString::fromUtf8(file.readAll()).trimmed().split(' ');
    if (fields.value(0) == "skip" || fields.size() < 6) {
        skipped = fields.mid(1).join(' ');
        return;
    }
    owner.backend = Backend::postgresql;
    owner.host = fields[0];
    owner.port = fields[1].toInt();
    owner.database = fields[2];
    owner.user = fields[3];
    owner.password = fields[4];
    owner.sslmode = "verify-full";
    tls_folder = fields[5];
    owner.sslrootcert = tls_folder + "/ca.crt";

    // The owner makes the schema and keeps a reading; then the office's roles.
    Store made(owner);
    QVERIFY2(made.open(), qPrintable(made.detail()));
    QVERIFY(made.store_poll(sample_poll(), QDateTime::currentDateTimeUtc().addSecs(-3600), MeterTarget{}));
    QVERIFY(psql(owner, {"-f", ROLES_SQL}));
    QVERIFY(psql(owner,
                 {"-c", "ALTER ROLE journal_writer PASSWORD 'writer-pw'", "-c",
                  "ALTER ROLE journal_reader PASSWORD 'reader-pw'"}));
}

void tst_journal_tls::cleanupTestCase()
{
    server({"stop", info});
}

void tst_journal_tls::connections_data()
{
    QTest::addColumn<QString>("certificate"); // the one the server shows
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("sslmode");
    QTest::addColumn<QString>("ca");       // a file of the test's TLS folder
    QTest::addColumn<QString>("password"); // empty: the right one
    QTest::addColumn<int>("fault");
    QTest::addColumn<QString>("words"); // in what the operator is told

    const QString untrusted = "сертификат сервера не принят";
    QTest::newRow("verify-full, right CA and host") << "server"
                                                    << "127.0.0.1"
                                                    << "verify-full"
                                                    << "ca.crt"
                                                    << "" << int(Fault::none) << "";
    QTest::newRow("verify-full by name") << "server"
                                         << "localhost"
                                         << "verify-full"
                                         << "ca.crt"
                                         << "" << int(Fault::none) << "";
    QTest::newRow("CA file missing") << "server"
                                     << "127.0.0.1"
                                     << "verify-full"
                                     << "none.crt"
                                     << "" << int(Fault::untrusted) << untrusted;
    QTest::newRow("CA that signed nothing of it") << "server"
                                                  << "127.0.0.1"
                                                  << "verify-ca"
                                                  << "server.crt"
                                                  << "" << int(Fault::untrusted) << untrusted;
    QTest::newRow("no TLS: the server demands it") << "server"
                                                   << "127.0.0.1"
                                                   << "disable"
                                                   << ""
                                                   << "" << int(Fault::refused) << "отклонил вход";
    QTest::newRow("wrong password over TLS") << "server"
                                             << "127.0.0.1"
                                             << "verify-full"
                                             << "ca.crt"
                                             << "Not-The-Password-77" << int(Fault::refused) << "отклонил вход";
    QTest::newRow("certificate of another host") << "other"
                                                 << "127.0.0.1"
                                                 << "verify-full"
                                                 << "ca.crt"
                                                 << "" << int(Fault::untrusted) << untrusted;
    QTest::newRow("another host's, signature only checked") << "other"
                                                            << "127.0.0.1"
                                                            << "verify-ca"
                                                            << "ca.crt"
                                                            << "" << int(Fault::none) << "";
}

void tst_journal_tls::connections()
{
    QFETCH(QString, certificate);
    QFETCH(QString, host);
    QFETCH(QString, sslmode);
    QFETCH(QString, ca);
    QFETCH(QString, password);
    QFETCH(int, fault);
    QFETCH(QString, words);
    if (!skipped.isEmpty())
        QSKIP(qPrintable(skipped));
    if (certificate != shown) {
        QVERIFY(server({"cert", info, certificate}));
        shown = certificate;
    }
    Connection c = owner;
    c.host = host;
    c.sslmode = sslmode;
    c.sslrootcert = ca.isEmpty() ? QString() : tls_folder + "/" + ca;
    if (!password.isEmpty())
        c.password = password;

    Store store(c);
    const bool opened = store.open();
    QCOMPARE(int(store.fault()), fault);
    if (opened) {
        // A reading goes in and comes back.
        const QDateTime at = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch(), Qt::UTC);
        QVERIFY(store.store_poll(sample_poll(), at, MeterTarget{}));
        const QList<ReadingRow> back = store.readings("00a1b2c3d4e5", at, at.addSecs(1));
        QCOMPARE(back.size(), 1);
        QCOMPARE(back.at(0).volume_units, std::optional<qint64>(123456));
        return;
    }
    const QString text = told(store, c);
    QVERIFY2(text.contains(words), qPrintable(text));
    // Neither the password given nor the right one is ever said.
    QVERIFY2(!text.contains(c.password) && !text.contains(owner.password), qPrintable(text));
}

void tst_journal_tls::roles_data()
{
    QTest::addColumn<QString>("role");
    QTest::addColumn<QString>("does");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("the collector runs a round") << "journal_writer"
                                                << "round" << true;
    QTest::newRow("the clerk reads the consumption") << "journal_reader"
                                                     << "consumption" << true;
    QTest::newRow("the clerk cannot write") << "journal_reader"
                                            << "round" << false;
}

void tst_journal_tls::roles()
{
    QFETCH(QString, role);
    QFETCH(QString, does);
    QFETCH(bool, allowed);
    if (!skipped.isEmpty())
        QSKIP(qPrintable(skipped));
    if (shown != "server") {
        QVERIFY(server({"cert", info, "server"}));
        shown = "server";
    }
    Store store(as(role, role == "journal_writer" ? "writer-pw" : "reader-pw"));
    QVERIFY2(store.open(), qPrintable(store.detail()));
    bool done = false;
    if (does == "round") {
        const QDateTime at = QDateTime::currentDateTimeUtc();
        ArchiveBatch batch{"00a1b2c3d4e5", 3, 0.001, 3, at, {ArchiveRecordRow{1, 1780000000, 123000, 0, 0, 0.001, 3}}};
        const qint64 round = at.toMSecsSinceEpoch();
        done = store.store_poll(sample_poll(), at, MeterTarget{}) && store.store_archive(batch) >= 0
            && store.store_label("00a1b2c3d4e5", "кв. 12", "line-1")
            && store.store_clock_setting("00a1b2c3d4e5", at, 5, 0) && store.add_lines({"line-1"})
            && store.claim_line(round, "test:1", 60000) == std::optional<QString>("line-1")
            && store.finish_line(round, "line-1", "test:1");
    } else {
        const QList<ConsumptionRow> rows
            = consumption(store, QDateTime::currentDateTime().addDays(-1), QDateTime::currentDateTime());
        done = store.fault() == Fault::none && rows.size() == 1 && rows.at(0).serial == "00a1b2c3d4e5";
    }
    QVERIFY2(done == allowed, qPrintable(store.detail()));
    if (!allowed)
        QCOMPARE(store.fault(), Fault::failed);
}

QTEST_MAIN(tst_journal_tls)
#include "tst_journal_tls.moc"
