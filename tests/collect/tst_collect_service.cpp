// The collector as a service: what a supervisor reads from its notify
// socket (ready, the watchdog fed while the rounds go on), and the file
// monitoring reads after a round.
#include "sim_line.h"

#include <QProcess>
#include <QScopeGuard>
#include <QtTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

bool write_file(const QString &path, const QByteArray &text)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
}

QByteArray lines_json(int tcp_port, const QString &meters)
{
    return QString(R"({"lines": [{"name": "Стояк 1", "host": "127.0.0.1", "tcp_port": %1, "ok_ms": 100, "fail_ms": 200,
  "meters": [%2]}]})")
        .arg(tcp_port)
        .arg(meters)
        .toUtf8();
}

// The supervisor's end of NOTIFY_SOCKET: a unix datagram socket.
class NotifySocket
{
public:
    explicit NotifySocket(const QString &path)
    {
        fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        if (fd < 0 || size_t(name.size()) >= sizeof(address.sun_path))
            return;
        memcpy(address.sun_path, name.constData(), size_t(name.size()));
        bound = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0;
    }
    ~NotifySocket()
    {
        if (fd >= 0)
            ::close(fd);
    }
    bool bound = false;

    // The datagrams come since the last call, each with when it was read.
    QList<QPair<qint64, QString>> read(const QElapsedTimer &clock)
    {
        QList<QPair<qint64, QString>> got;
        char buffer[4096];
        ssize_t n;
        while ((n = ::recv(fd, buffer, sizeof(buffer), 0)) > 0)
            got.append({clock.elapsed(), QString::fromUtf8(buffer, int(n))});
        return got;
    }

private:
    int fd = -1;
};

} // namespace

class tst_collect_service : public QObject
{
    Q_OBJECT
private slots:
    void watchdog_fed_while_a_silent_line_goes_on();
    void status_after_a_round();
};

// One line whose only meter never answers: each exchange ends in a timeout,
// the round lasts longer than the watchdog's interval, and then the next
// round is an hour away. systemd would restart a collector whose WATCHDOG=1
// stopped for the interval; this one is fed throughout.
void tst_collect_service::watchdog_fed_while_a_silent_line_goes_on()
{
#ifndef METER_HAVE_SYSTEMD
    QSKIP("built without libsystemd: the collector says nothing to systemd");
#endif
    constexpr qint64 interval_ms = 3000;
    SimLine sim;
    QVERIFY2(sim.start_tcp({}, "address = 1\nserial = 000000000001\n"), qPrintable(sim.error()));
    QTemporaryDir dir;
    QVERIFY(write_file(dir.filePath("lines.json"), lines_json(sim.tcp_port(), R"({"address": 9})")));
    NotifySocket supervisor(dir.filePath("notify"));
    QVERIFY(supervisor.bound);

    QProcess p;
    p.setWorkingDirectory(dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("NOTIFY_SOCKET", dir.filePath("notify"));
    env.insert("WATCHDOG_USEC", QString::number(interval_ms * 1000));
    env.remove("WATCHDOG_PID");
    p.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    p.start(qEnvironmentVariable("METER_COLLECT"), {"lines.json", "--every", "3600", "--journal", "r.sqlite"});
    const auto kill = qScopeGuard([&] {
        p.kill();
        p.waitForFinished();
    });

    QList<QPair<qint64, QString>> said;
    QByteArray out;
    qint64 round_over_at = -1;
    const auto listen = [&] {
        said += supervisor.read(clock);
        out += p.readAllStandardOutput();
        if (round_over_at < 0 && out.contains("Круг 1:"))
            round_over_at = clock.elapsed();
    };
    // Until the first round is over and the wait for the next has gone on
    // for longer than the interval.
    QTRY_VERIFY2_WITH_TIMEOUT((listen(), round_over_at >= 0 && clock.elapsed() > round_over_at + 2 * interval_ms),
                              out.constData(), 120000);
    QCOMPARE(p.state(), QProcess::Running);

    QVERIFY2(!said.isEmpty() && said.first().second.startsWith("READY=1\nSTATUS=Линий 1, счетчиков 1, журнал "),
             qPrintable(said.value(0).second));
    const QRegularExpressionMatch round
        = QRegularExpression("Круг 1: считано 0 из 1 счетчиков на 1 линиях за ([0-9.]+) с").match(out);
    QVERIFY2(round.hasMatch(), out.constData());
    QVERIFY2(round.captured(1).toDouble() * 1000 > interval_ms, out.constData());
    // From READY on, never an interval without WATCHDOG=1.
    qint64 last = said.first().first;
    int fed = 0;
    QStringList statuses;
    for (const auto &datagram : qAsConst(said)) {
        if (datagram.second.startsWith("STATUS="))
            statuses << datagram.second;
        if (datagram.second != "WATCHDOG=1")
            continue;
        QVERIFY2(datagram.first - last < interval_ms,
                 qPrintable(QString("no WATCHDOG=1 from %1 ms to %2 ms").arg(last).arg(datagram.first)));
        last = datagram.first;
        ++fed;
    }
    QVERIFY2(clock.elapsed() - last < interval_ms, qPrintable(QString("the last WATCHDOG=1 at %1 ms").arg(last)));
    QVERIFY(fed >= 4);
    QCOMPARE(statuses, QStringList{"STATUS=Круг 1: считано 0 из 1 счетчиков"});
}

// A --once round with one of the line's two meters missing: the file
// node_exporter reads says so, with nothing left in the journal's queue and
// no round yet whole.
void tst_collect_service::status_after_a_round()
{
    SimLine sim;
    QVERIFY2(sim.start_tcp({}, "address = 1\nserial = 000000000001\n"), qPrintable(sim.error()));
    QTemporaryDir dir;
    QVERIFY(write_file(dir.filePath("lines.json"),
                       lines_json(sim.tcp_port(), R"({"address": 1, "label": "кв. 1"}, {"address": 9})")));
    const qint64 before = QDateTime::currentSecsSinceEpoch();
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(qEnvironmentVariable("METER_COLLECT"),
            {"lines.json", "--once", "--journal", "r.sqlite", "--status", "meter_collect.prom"});
    QVERIFY(p.waitForFinished(120000));
    const QByteArray out = p.readAllStandardOutput();
    QCOMPARE(p.exitCode(), 1);

    QFile file(dir.filePath("meter_collect.prom"));
    QVERIFY2(file.open(QIODevice::ReadOnly), out.constData());
    const QStringList text = QString::fromUtf8(file.readAll()).split('\n');
    const auto sample = [&](const QString &name) {
        const QStringList found = text.filter(QRegularExpression("^" + QRegularExpression::escape(name) + " "));
        return found.size() == 1 ? found.first().section(' ', -1) : QString("%1 samples").arg(found.size());
    };
    QCOMPARE(sample(R"(meter_collect_meters_read{line="Стояк 1"})"), QString("1"));
    QCOMPARE(sample(R"(meter_collect_meters_not_read{line="Стояк 1"})"), QString("1"));
    QCOMPARE(sample("meter_collect_rounds_total"), QString("1"));
    QCOMPARE(sample("meter_collect_journal_queue_depth"), QString("0"));
    QCOMPARE(sample("meter_collect_journal_unkept_total"), QString("0"));
    QCOMPARE(sample("meter_collect_last_complete_round_time_seconds"), QString("0"));
    const qint64 started = sample("meter_collect_round_start_time_seconds").toLongLong();
    QVERIFY2(started >= before && started <= QDateTime::currentSecsSinceEpoch(), qPrintable(text.join('\n')));
    QVERIFY(sample("meter_collect_round_duration_seconds").toDouble() > 0);
    // Written whole under its own name: nothing else left beside it.
    QCOMPARE(QDir(dir.path()).entryList({"meter_collect.prom*"}, QDir::Files), QStringList{"meter_collect.prom"});
}

QTEST_MAIN(tst_collect_service)
#include "tst_collect_service.moc"
