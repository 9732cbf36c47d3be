// A collector reading three lines into PostgreSQL (the server of
// tests/journal/pg_server.sh) through a proxy on 127.0.0.1 that holds every
// byte for 40 s half a second into a round: the lines go on being read
// meanwhile, and every reading of that round and of the two begun during the
// hang is kept once the journal answers again.
#include "pg_journal.h"
#include "sim_line.h"

#include <QProcess>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

constexpr int line_count = 3;
constexpr int meters_per_line = 3;
constexpr int period_s = 15;
constexpr int hang_ms = 40000;

// Passes bytes both ways between the collector and the server, or holds
// them all (a journal that hangs: the connections stay up, nothing answers)
// until let go.
class Proxy : public QObject
{
public:
    explicit Proxy(quint16 server_port)
        : target(server_port)
    {
        connect(&listener, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *client = listener.nextPendingConnection()) {
                auto pair = std::make_shared<Pair>();
                pair->client = client;
                pair->server = new QTcpSocket(client);
                connect(client, &QTcpSocket::readyRead, this, [this, pair] { pump(*pair); });
                connect(pair->server, &QTcpSocket::readyRead, this, [this, pair] { pump(*pair); });
                connect(pair->server, &QTcpSocket::connected, this, [this, pair] { pump(*pair); });
                connect(client, &QTcpSocket::disconnected, this, [pair] { pair->server->disconnectFromHost(); });
                connect(pair->server, &QTcpSocket::disconnected, this, [pair] { pair->client->disconnectFromHost(); });
                pair->server->connectToHost(QHostAddress::LocalHost, target);
                pairs.push_back(pair);
            }
        });
    }
    bool listen() { return listener.listen(QHostAddress::LocalHost); }
    quint16 port() const { return listener.serverPort(); }
    void hold(bool on)
    {
        held = on;
        for (const auto &pair : pairs)
            pump(*pair);
    }

private:
    struct Pair
    {
        QTcpSocket *client = nullptr;
        QTcpSocket *server = nullptr;
        QByteArray to_server, to_client;
    };
    void pump(Pair &pair)
    {
        pair.to_server += pair.client->readAll();
        pair.to_client += pair.server->readAll();
        if (held || pair.server->state() != QAbstractSocket::ConnectedState)
            return;
        pair.server->write(pair.to_server);
        pair.client->write(pair.to_client);
        pair.to_server.clear();
        pair.to_client.clear();
    }

    QTcpServer listener;
    quint16 target;
    bool held = false;
    std::vector<std::shared_ptr<Pair>> pairs;
};

} // namespace

class tst_collect_journal_hang : public QObject
{
    Q_OBJECT
private slots:
    void lines_read_while_the_journal_hangs();

private:
    QVariantList values(const QString &statement) { return pg_values(server, statement); }
    QStringList server;
};

void tst_collect_journal_hang::lines_read_while_the_journal_hangs()
{
    server = pg_server_info();
    if (pg_skipped(server))
        QSKIP(qPrintable("no PostgreSQL: " + server.mid(1).join(' ')));
    pg_empty_journal(server);
    Proxy proxy(quint16(server[1].toInt()));
    QVERIFY(proxy.listen());

    std::vector<std::unique_ptr<SimLine>> sims;
    QStringList lines;
    for (int i = 0; i < line_count; ++i) {
        sims.push_back(std::make_unique<SimLine>());
        QStringList meters, listed;
        for (int m = 1; m <= meters_per_line; ++m) {
            meters << QString("address = %1\nserial = %2\n").arg(m).arg(10 * (i + 1) + m, 12, 10, QLatin1Char('0'));
            listed << QString(R"({"address": %1})").arg(m);
        }
        QVERIFY2(sims.back()->start_tcp({"--turnaround", "20"}, meters.join("[meter]\n")),
                 qPrintable(sims.back()->error()));
        lines << QString(R"({"name": "Линия %1", "host": "127.0.0.1", "tcp_port": %2, "meters": [%3]})")
                     .arg(i + 1)
                     .arg(sims.back()->tcp_port())
                     .arg(listed.join(", "));
    }
    QTemporaryDir dir;
    QFile file(dir.filePath("lines.json"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QString("{\"lines\": [%1]}").arg(lines.join(",\n")).toUtf8());
    file.close();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("METER_JOURNAL_PASSWORD", server[4]);
    QProcess collector;
    collector.setProcessEnvironment(env);
    collector.setWorkingDirectory(dir.path());
    collector.start(qEnvironmentVariable("METER_COLLECT"),
                    {"lines.json", "--every", QString::number(period_s), "--journal",
                     QString("postgresql://%1@127.0.0.1:%2/%3").arg(server[3]).arg(proxy.port()).arg(server[2])});
    QByteArray said;
    const auto cleanup = qScopeGuard([&] {
        collector.kill();
        collector.waitForFinished();
        said += collector.readAllStandardOutput();
        if (QTest::currentTestFailed())
            qWarning("%s", said.constData());
    });

    // A round every line of which is read and marked: the next one is caught half a second in.
    QTRY_VERIFY_WITH_TIMEOUT(
        values("SELECT count(*) FROM line_claims WHERE done = 1 GROUP BY round HAVING count(*) = 3").size() > 0,
        3 * period_s * 1000);
    const qint64 first = values("SELECT max(round) FROM line_claims").value(0).toLongLong();
    const qint64 second = first + period_s * 1000;
    QTRY_VERIFY_WITH_TIMEOUT(QDateTime::currentMSecsSinceEpoch() >= second + 500, 2 * period_s * 1000);
    said += collector.readAllStandardOutput();
    QVector<int> asked_before;
    for (const auto &sim : sims)
        asked_before << sim->sim_log().filter(QRegularExpression("^rx [0-9a-fA-F]{2}")).size();
    proxy.hold(true);
    const qint64 held_at = QDateTime::currentMSecsSinceEpoch();
    QTRY_VERIFY_WITH_TIMEOUT(QDateTime::currentMSecsSinceEpoch() >= held_at + hang_ms, hang_ms + 20000);
    QVector<int> asked_during;
    for (size_t i = 0; i < sims.size(); ++i)
        asked_during << sims[i]->sim_log().filter(QRegularExpression("^rx [0-9a-fA-F]{2}")).size()
                - asked_before[int(i)];
    proxy.hold(false);
    qInfo() << "requests to each line during the hang:" << asked_during;
    // Two rounds start during the hang; each reads every meter of its line.
    for (int asked : qAsConst(asked_during))
        QVERIFY2(asked >= 2 * meters_per_line, qPrintable(QString::number(asked)));

    // Every meter read once in the round caught and in the two begun during the hang.
    const auto readings_in = [&](qint64 round) {
        QVector<int> counts;
        for (const QVariant &v : values(QString("SELECT count(*) FROM readings WHERE read_at >= %1 AND read_at < %2"
                                                " GROUP BY serial ORDER BY serial")
                                            .arg(round)
                                            .arg(round + period_s * 1000)))
            counts << v.toInt();
        return counts;
    };
    const QVector<int> once(line_count * meters_per_line, 1);
    for (int r = 0; r < 3; ++r)
        QTRY_COMPARE_WITH_TIMEOUT(readings_in(second + r * period_s * 1000), once, 60000);
    said += collector.readAllStandardOutput();
    QVERIFY2(said.contains("Нет ответа от журнала"), said.constData());
    QVector<int> kept;
    for (int r = 0; r < 4; ++r) {
        kept << 0;
        for (int count : readings_in(first + r * period_s * 1000))
            kept.last() += count;
    }
    qInfo() << "readings kept in the round before the hang, the one caught and the two begun during it:" << kept;
}

QTEST_MAIN(tst_collect_journal_hang)
#include "tst_collect_journal_hang.moc"
