// Three collectors sharing one PostgreSQL journal (the server of
// tests/journal/pg_server.sh) over twelve lines of stand-ins on 127.0.0.1:
// each line read once a round, a collector killed mid-round leaves its lines
// to the others in the same round, and the server restarted mid-round loses
// nothing they read. Two collectors whose clocks are 90 s apart agree on the
// rounds and the leases all the same.
#include "pg_journal.h"
#include "sim_line.h"

#include <QDirIterator>
#include <QProcess>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

constexpr int line_count = 12;
constexpr int period_s = 60;

// TCP lines of two meters, each answer 100 ms after its request, and the
// lines file that names them.
bool start_lines(std::vector<std::unique_ptr<SimLine>> *sims, int count, const QString &path)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i) {
        sims->push_back(std::make_unique<SimLine>());
        const QString meters = QString("address = 1\nserial = %1\n[meter]\naddress = 2\nserial = %2\n")
                                   .arg(2 * i, 12, 10, QLatin1Char('0'))
                                   .arg(2 * i + 1, 12, 10, QLatin1Char('0'));
        if (!sims->back()->start_tcp({"--turnaround", "100"}, meters)) {
            qWarning("%s", qPrintable(sims->back()->error()));
            return false;
        }
        lines << QString(R"({"name": "Линия %1", "host": "127.0.0.1", "tcp_port": %2,
                         "meters": [{"address": 1}, {"address": 2}]})")
                     .arg(i)
                     .arg(sims->back()->tcp_port());
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly)
        && file.write(QString("{\"lines\": [%1]}").arg(lines.join(",\n")).toUtf8()) > 0;
}

} // namespace

class tst_collect_shared : public QObject
{
    Q_OBJECT
private slots:
    void three_collectors_share_the_rounds();
    void clocks_apart_share_the_rounds();
    void once_ends_data();
    void once_ends();

private:
    QVariantList values(const QString &statement) { return pg_values(server, statement); }
    QStringList server;
};

void tst_collect_shared::three_collectors_share_the_rounds()
{
    server = pg_server_info();
    if (pg_skipped(server))
        QSKIP(qPrintable("no PostgreSQL: " + server.mid(1).join(' ')));
    pg_empty_journal(server);

    // Two meters a line, each answer 100 ms after its request: a line takes
    // seconds, long enough to be caught mid-round.
    std::vector<std::unique_ptr<SimLine>> sims;
    QTemporaryDir dir;
    QVERIFY(start_lines(&sims, line_count, dir.filePath("lines.json")));

    const QString journal = QString("postgresql://%1@%2:%3/%4").arg(server[3], server[0], server[1], server[2]);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("METER_JOURNAL_PASSWORD", server[4]);
    // Started as a period begins, each round's readings fall within its period.
    QTRY_VERIFY_WITH_TIMEOUT(QDateTime::currentSecsSinceEpoch() % period_s < 2, (period_s + 5) * 1000);
    // Rounds are numbered by their start in milliseconds.
    const qint64 first = QDateTime::currentSecsSinceEpoch() / period_s * period_s * 1000;
    const qint64 second = first + period_s * 1000;
    std::vector<std::unique_ptr<QProcess>> collectors;
    for (int c = 0; c < 3; ++c) {
        collectors.push_back(std::make_unique<QProcess>());
        collectors.back()->setProcessEnvironment(env);
        collectors.back()->setWorkingDirectory(dir.path());
        collectors.back()->start(qEnvironmentVariable("METER_COLLECT"),
                                 {"lines.json", "--every", QString::number(period_s), "--journal", journal});
    }
    const auto cleanup = qScopeGuard([&] {
        for (auto &p : collectors) {
            p->kill();
            p->waitForFinished();
        }
    });

    // The first round: every line read by one collector, every meter once.
    const auto lines_done = [&](qint64 round) {
        return values(
                   QString("SELECT count(*) FROM line_claims WHERE round > %1 OR (round = %1 AND done = 1)").arg(round))
            .value(0)
            .toInt();
    };
    const auto readings_in = [&](qint64 round) {
        QVector<int> counts;
        for (const QVariant &v : values(QString("SELECT count(*) FROM readings WHERE read_at >= %1 AND read_at < %2"
                                                " GROUP BY serial ORDER BY serial")
                                            .arg(round)
                                            .arg(round + period_s * 1000)))
            counts << v.toInt();
        return counts;
    };
    QTRY_COMPARE_WITH_TIMEOUT(lines_done(first), line_count, 60000);
    QTRY_COMPARE_WITH_TIMEOUT(readings_in(first), QVector<int>(2 * line_count, 1), 20000);

    // The next round: the collector holding a line not yet read is killed.
    QTRY_VERIFY_WITH_TIMEOUT(
        values(QString("SELECT count(*) FROM line_claims WHERE round = %1 AND done = 0").arg(second)).value(0).toInt()
            > 0,
        2 * period_s * 1000);
    const QString victim
        = values(QString("SELECT holder FROM line_claims WHERE round = %1 AND done = 0 LIMIT 1").arg(second))
              .value(0)
              .toString();
    const QStringList held = [&] {
        QStringList names;
        for (const QVariant &v : values(QString("SELECT line FROM line_claims WHERE holder = '%1' AND round"
                                                " = %2 AND done = 0")
                                            .arg(victim)
                                            .arg(second)))
            names << v.toString();
        return names;
    }();
    bool killed = false;
    for (auto &p : collectors) {
        if (victim.endsWith(":" + QString::number(p->processId()))) {
            p->kill();
            QVERIFY(p->waitForFinished());
            killed = true;
        }
    }
    QVERIFY2(killed, qPrintable(victim));
    // And the server is restarted while the others read: what they read
    // waits for it and is kept.
    const auto server_do = [](const char *action) {
        return QProcess::execute(PG_SERVER_SH, {action, qEnvironmentVariable("METER_PG_INFO")}) == 0;
    };
    QVERIFY(server_do("down"));
    // Up again whatever the checks below find: the tests after this one need it.
    auto restart = qScopeGuard([&] { server_do("up"); });
    QByteArray said;
    // Said at once by every collector still in the round, reading or not.
    QTRY_VERIFY2_WITH_TIMEOUT(
        [&] {
            for (auto &p : collectors)
                said += p->readAllStandardOutput();
            return said.count("потерян") >= 2;
        }(),
        said.constData(), 30000);
    restart.dismiss();
    QVERIFY(server_do("up"));
    // Its lines are read by the others once its lease has run out, in the same round.
    QTRY_COMPARE_WITH_TIMEOUT(lines_done(second), line_count, 60000);
    for (const QString &line : held) {
        const QString now_held
            = values(QString("SELECT holder FROM line_claims WHERE line = '%1' AND round = %2").arg(line).arg(second))
                  .value(0)
                  .toString();
        QVERIFY2(!now_held.isEmpty() && now_held != victim, qPrintable(line + ": " + now_held));
    }
    // Every meter is read in this round too; only a meter of a line the
    // victim had begun may be read twice.
    QTRY_COMPARE_WITH_TIMEOUT(readings_in(second).size(), 2 * line_count, 20000);
    int extra = 0;
    for (int count : readings_in(second))
        extra += count - 1;
    QVERIFY2(extra <= 2 * held.size(), qPrintable(held.join(", ")));
}

// One collector's clock 90 s ahead (libfaketime, preloaded into that
// process alone): rounds and leases go by the server's clock, so no meter is
// read twice in a round and a killed collector's lines are read by the
// other in the same round, whichever of the two is killed.
void tst_collect_shared::clocks_apart_share_the_rounds()
{
    server = pg_server_info();
    if (pg_skipped(server))
        QSKIP(qPrintable("no PostgreSQL: " + server.mid(1).join(' ')));
    QString faketime;
    for (const QString &root : {QStringLiteral("/usr/lib"), QStringLiteral("/usr/local/lib")}) {
        QDirIterator found(root, {"libfaketimeMT.so.1"}, QDir::Files, QDirIterator::Subdirectories);
        if (faketime.isEmpty() && found.hasNext())
            faketime = found.next();
    }
    if (faketime.isEmpty())
        QSKIP("faketime is not installed (tools/install-deps.sh installs it)");
    pg_empty_journal(server);

    constexpr int lines_n = 4;
    constexpr int every_s = 30;
    std::vector<std::unique_ptr<SimLine>> sims;
    QTemporaryDir dir;
    QVERIFY(start_lines(&sims, lines_n, dir.filePath("lines.json")));

    QTRY_VERIFY_WITH_TIMEOUT(QDateTime::currentSecsSinceEpoch() % every_s < 2, (every_s + 5) * 1000);
    const qint64 first = QDateTime::currentSecsSinceEpoch() / every_s * every_s * 1000;
    std::vector<std::unique_ptr<QProcess>> collectors;
    for (const bool ahead : {false, true}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("METER_JOURNAL_PASSWORD", server[4]);
        if (ahead) {
            env.insert("LD_PRELOAD", faketime);
            env.insert("FAKETIME", "+90s");
            env.insert("FAKETIME_DONT_FAKE_MONOTONIC", "1"); // timers and timeouts run as usual
        }
        collectors.push_back(std::make_unique<QProcess>());
        collectors.back()->setProcessEnvironment(env);
        collectors.back()->setWorkingDirectory(dir.path());
        collectors.back()->start(qEnvironmentVariable("METER_COLLECT"),
                                 {"lines.json", "--every", QString::number(every_s), "--journal",
                                  QString("postgresql://%1@%2:%3/%4").arg(server[3], server[0], server[1], server[2])});
    }
    const auto cleanup = qScopeGuard([&] {
        for (auto &p : collectors) {
            p->kill();
            p->waitForFinished();
        }
    });
    const auto lines_done = [&](qint64 round) {
        return values(
                   QString("SELECT count(*) FROM line_claims WHERE round > %1 OR (round = %1 AND done = 1)").arg(round))
            .value(0)
            .toInt();
    };
    // Readings by serial, whichever clock stamped them.
    const auto readings = [&] {
        QVector<int> counts;
        for (const QVariant &v : values("SELECT count(*) FROM readings GROUP BY serial ORDER BY serial"))
            counts << v.toInt();
        return counts;
    };
    for (int round = 1; round <= 2; ++round) {
        QTRY_COMPARE_WITH_TIMEOUT(lines_done(first + (round - 1) * every_s * 1000), lines_n, 2 * every_s * 1000);
        QTRY_COMPARE_WITH_TIMEOUT(readings(), QVector<int>(2 * lines_n, round), 20000);
    }

    // The third round: the collector holding a line not yet read is killed;
    // its lines are read by the other once the lease has run out.
    const qint64 third = first + 2 * every_s * 1000;
    QTRY_VERIFY_WITH_TIMEOUT(
        values(QString("SELECT count(*) FROM line_claims WHERE round = %1 AND done = 0").arg(third)).value(0).toInt()
            > 0,
        2 * every_s * 1000);
    const QString victim
        = values(QString("SELECT holder FROM line_claims WHERE round = %1 AND done = 0 LIMIT 1").arg(third))
              .value(0)
              .toString();
    QStringList held;
    for (const QVariant &v :
         values(QString("SELECT line FROM line_claims WHERE holder = '%1' AND round = %2 AND done = 0")
                    .arg(victim)
                    .arg(third)))
        held << v.toString();
    bool killed = false;
    for (auto &p : collectors) {
        if (victim.endsWith(":" + QString::number(p->processId()))) {
            p->kill();
            QVERIFY(p->waitForFinished());
            killed = true;
        }
    }
    QVERIFY2(killed, qPrintable(victim));
    // Within a lease (10 s) of its last renewal, and the time to read a line.
    QTRY_COMPARE_WITH_TIMEOUT(lines_done(third), lines_n, 25000);
    // Every meter read a third time; only those of a line the victim had begun twice.
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            const QVector<int> counts = readings();
            return counts.size() == 2 * lines_n && *std::min_element(counts.begin(), counts.end()) >= 3;
        }(),
        20000);
    int extra = 0;
    for (int count : readings())
        extra += count - 3;
    QVERIFY2(extra <= 2 * held.size(), qPrintable(held.join(", ")));
}

// --once always ends: a second one within the same minute reads the line
// again, and a login turned away ends it at once, named.
void tst_collect_shared::once_ends_data()
{
    QTest::addColumn<bool>("password_right");
    QTest::addColumn<bool>("every");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("said");
    QTest::newRow("second within the minute") << true << false << 0 << "Круг 1: считано 1 из 1 счетчиков на 1 линиях";
    QTest::newRow("login refused") << false << false << 1 << "отклонил вход";
    // A service turned away reads its lines all the same, stopped after its first round.
    QTest::newRow("login refused, every round")
        << false << true << 0 << "не принял вход: круг 1 читает все линии без раздачи";
}

void tst_collect_shared::once_ends()
{
    QFETCH(bool, password_right);
    QFETCH(bool, every);
    QFETCH(int, code);
    QFETCH(QString, said);
    server = pg_server_info();
    if (pg_skipped(server))
        QSKIP(qPrintable("no PostgreSQL: " + server.mid(1).join(' ')));
    SimLine sim;
    QVERIFY2(sim.start_tcp(), qPrintable(sim.error()));
    QTemporaryDir dir;
    QFile file(dir.filePath("lines.json"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
        QString(R"({"lines": [{"name": "Once", "host": "127.0.0.1", "tcp_port": %1, "meters": [{"address": 1}]}]})")
            .arg(sim.tcp_port())
            .toUtf8());
    file.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("METER_JOURNAL_PASSWORD", password_right ? server[4] : "not " + server[4]);
    const auto run = [&](QByteArray *out) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(dir.path());
        p.start(qEnvironmentVariable("METER_COLLECT"),
                QStringList{"lines.json", "--journal",
                            QString("postgresql://%1@%2:%3/%4").arg(server[3], server[0], server[1], server[2])}
                    + (every ? QStringList{"--every", "600"} : QStringList{"--once"}));
        // The stand-in's log is read meanwhile: a full pipe would stop it answering.
        QDeadlineTimer deadline(120000);
        while (p.state() != QProcess::NotRunning && !deadline.hasExpired()) {
            p.waitForFinished(20);
            QCoreApplication::processEvents();
            *out += p.readAllStandardOutput();
            if (every && out->contains("Круг 1:"))
                p.terminate();
        }
        if (p.state() != QProcess::NotRunning) {
            p.kill();
            p.waitForFinished();
            return -1;
        }
        *out += p.readAllStandardOutput();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    QByteArray out;
    if (password_right) {
        // Both runs in one minute: the first marks the minute's round read.
        QTRY_VERIFY_WITH_TIMEOUT(QDateTime::currentSecsSinceEpoch() % 60 < 30, 40000);
        QCOMPARE(run(&out), 0);
        out.clear();
    }
    QCOMPARE(run(&out), code);
    QVERIFY2(out.contains(said.toUtf8()), out.constData());
    QVERIFY2(!out.contains("потерян"), out.constData()); // a server that answers is not lost
}

QTEST_MAIN(tst_collect_shared)
#include "tst_collect_shared.moc"
