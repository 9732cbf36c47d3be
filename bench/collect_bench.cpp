// The collector's round over many lines: stand-ins on 127.0.0.1, each a
// serial device server with ten meters at 9600 baud and the wire time
// emulated, read by configurator-collect --once into SQLite. Prints the
// round time against the slowest line's bound (the wire time of its
// requests and answers, their gaps and the stand-in's turnaround), the CPU
// time per 1,000 exchanges, the peak memory per line (10 lines against 100),
// and the journal's rows per second in SQLite and, with METER_PG_INFO, in
// PostgreSQL. tools/bench.sh collect [LINES]
#include "journal/journal_store.h"
#include "journal/journal_writer.h"
#include "link/frames.h"
#include "link/line_timing.h"
#include "link/serial_number.h"
#include "meter/register_map.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

namespace {

constexpr int meters_per_line = 10;
constexpr int turnaround_ms = 5; // the stand-in's default

// One meter's poll on the wire: every request and answer with the silence before each.
double poll_wire_ms(const LineTiming &line)
{
    double ms = 0;
    for (int k = 1; k < poll::step_count; ++k) {
        const int answer = modbus::read_answer_length(false, poll::step(k).count);
        ms += line.frame_ms(8) + line.inter_frame_ms() + turnaround_ms + line.frame_ms(answer) + line.inter_frame_ms();
    }
    return ms;
}

struct Stand
{
    std::vector<std::unique_ptr<QProcess>> sims;
    QStringList lines;
};

// The meters' archives are in the journal already: a round is their polls.
bool archives_kept(const journal::Connection &c, int lines)
{
    journal::Store store(c);
    if (!store.open())
        return false;
    const qint64 clock = 1706629330; // the stand-ins' frozen clock
    for (int l = 0; l < lines; ++l) {
        for (int m = 1; m <= meters_per_line; ++m) {
            journal::ArchiveBatch b;
            b.serial = QStringLiteral("%1").arg(l * 100 + m, 12, 10, QLatin1Char('0'));
            b.read_at = QDateTime::currentDateTimeUtc();
            for (int type = 1; type <= 3; ++type)
                b.records.append({type, clock, 1, 0, 0, 0.001, 3});
            if (store.store_archive(b) < 0)
                return false;
        }
    }
    return true;
}

bool start_stand(Stand &stand, int lines, const QString &dir)
{
    const QString sim = qEnvironmentVariable("METER_SIM");
    for (int l = int(stand.sims.size()); l < lines; ++l) {
        QString meters;
        for (int m = 1; m <= meters_per_line; ++m)
            meters += QStringLiteral("[meter]\naddress = %1\nserial = %2\n")
                          .arg(m)
                          .arg(l * 100 + m, 12, 10, QLatin1Char('0'));
        const QString file = QStringLiteral("%1/line%2.meter").arg(dir).arg(l);
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly))
            return false;
        f.write(meters.toUtf8());
        f.close();
        auto p = std::make_unique<QProcess>();
        p->start(sim, {"--tcp", "0", "--config", file, "--wire-time", "--baud", "9600", "--detached"});
        if (!p->waitForStarted())
            return false;
        QByteArray err;
        while (!err.contains("version") && p->waitForReadyRead(10000))
            err += p->readAllStandardError();
        const QRegularExpressionMatch port = QRegularExpression("tcp port (\\d+)").match(QString::fromUtf8(err));
        if (!port.hasMatch())
            return false;
        // Its log is not read from here on: the stand-in must not block on it.
        p->setStandardErrorFile(QProcess::nullDevice());
        p->closeReadChannel(QProcess::StandardError);
        QStringList list;
        for (int m = 1; m <= meters_per_line; ++m)
            list << QStringLiteral("{\"address\": %1}").arg(m);
        stand.lines << QStringLiteral("{\"name\": \"line %1\", \"host\": \"127.0.0.1\", \"tcp_port\": %2,"
                                      " \"meters\": [%3]}")
                           .arg(l)
                           .arg(port.captured(1))
                           .arg(list.join(", "));
        stand.sims.push_back(std::move(p));
    }
    return true;
}

struct Round
{
    double seconds = 0, cpu_s = 0;
    long max_rss_kb = 0;
    int exchanges = 0, read = 0;
};

// One collector --once over the first `lines` lines, into a fresh journal.
bool collect(const Stand &stand, int lines, const QString &dir, Round *out)
{
    const QString journal = QStringLiteral("%1/journal%2.sqlite").arg(dir).arg(lines);
    journal::Connection c;
    c.file = journal;
    if (!archives_kept(c, lines))
        return false;
    QFile f(dir + "/lines.json");
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(QStringLiteral("{\"lines\": [%1]}").arg(stand.lines.mid(0, lines).join(",\n")).toUtf8());
    f.close();
    QProcess p;
    p.start(qEnvironmentVariable("METER_COLLECT"), {dir + "/lines.json", "--once", "--journal", journal});
    if (!p.waitForStarted())
        return false;
    // Its own usage, not the stand-ins': reaped here, not by QProcess.
    const pid_t pid = pid_t(p.processId());
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return false;
    p.waitForFinished(1000);
    const QString said = QString::fromUtf8(p.readAllStandardOutput());
    const QRegularExpressionMatch m
        = QRegularExpression("считано (\\d+) из \\d+ счетчиков на \\d+ линиях за ([0-9.]+) с, запросов (\\d+)")
              .match(said);
    if (!m.hasMatch()) {
        std::printf("%s\n", qPrintable(said.right(2000)));
        return false;
    }
    out->read = m.captured(1).toInt();
    out->seconds = m.captured(2).toDouble();
    out->exchanges = m.captured(3).toInt();
    out->cpu_s
        = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    out->max_rss_kb = usage.ru_maxrss;
    return true;
}

// The collector's writer storing a round's readings.
double rows_per_second(const journal::Connection &c, int rows)
{
    journal::Writer writer(c, rows + 1);
    if (!writer.wait_written(30000) || !writer.available())
        return 0;
    QElapsedTimer clock;
    clock.start();
    for (int k = 0; k < rows; ++k) {
        PollValues v;
        v.protocol_version = 3;
        v.serial = pack_serial_number(QStringLiteral("%1").arg(k, 12, 10, QLatin1Char('0')));
        v.volume_units = k;
        v.clock_seconds = 1706629330;
        writer.record_poll(v, QDateTime::currentDateTimeUtc(), MeterTarget{});
    }
    if (!writer.wait_written(300000) || !writer.available())
        return 0;
    return rows * 1000.0 / qMax<qint64>(1, clock.elapsed());
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int lines = argc > 1 ? QString(argv[1]).toInt() : 100;
    QTemporaryDir dir;
    Stand stand;
    if (lines < 10 || !start_stand(stand, lines, dir.path())) {
        std::printf("the stand-ins did not start (METER_SIM, at least 10 lines)\n");
        return 2;
    }
    LineTiming line;
    const double bound_s = meters_per_line * poll_wire_ms(line) / 1000.0;
    Round small, large;
    if (!collect(stand, 10, dir.path(), &small) || !collect(stand, lines, dir.path(), &large)) {
        std::printf("the collector did not finish its round\n");
        return 2;
    }
    const double ratio = large.seconds / bound_s;
    const double per_1000 = large.cpu_s * 1000.0 / qMax(1, large.exchanges);
    const double kb_per_line = double(large.max_rss_kb - small.max_rss_kb) / (lines - 10);
    std::printf("collector round, %d lines x %d meters at 9600 baud (wire time emulated)\n", lines, meters_per_line);
    std::printf("  meters read                 %d of %d\n", large.read, lines * meters_per_line);
    std::printf("  round                       %.1f s; slowest line's bound %.1f s: %.2fx (goal <= 1.2x) %s\n",
                large.seconds, bound_s, ratio, ratio <= 1.2 ? "ok" : "OVER");
    std::printf("  CPU                         %.2f s for %d exchanges: %.3f s per 1000\n", large.cpu_s,
                large.exchanges, per_1000);
    std::printf("  peak memory                 %ld kB at 10 lines, %ld kB at %d: %.0f kB per line (goal < 200) %s\n",
                small.max_rss_kb, large.max_rss_kb, lines, kb_per_line, kb_per_line < 200 ? "ok" : "OVER");
    journal::Connection sqlite;
    sqlite.file = dir.filePath("rows.sqlite");
    std::printf("  journal, SQLite             %.0f rows/s\n", rows_per_second(sqlite, lines * meters_per_line));
    QFile info(qEnvironmentVariable("METER_PG_INFO"));
    const QStringList pg
        = info.open(QIODevice::ReadOnly) ? QString::fromUtf8(info.readAll()).trimmed().split(' ') : QStringList();
    if (pg.size() >= 5 && pg[0] != "skip") {
        journal::Connection c;
        c.backend = journal::Backend::postgresql;
        c.host = pg[0];
        c.port = pg[1].toInt();
        c.database = pg[2];
        c.user = pg[3];
        c.password = pg[4];
        std::printf("  journal, PostgreSQL         %.0f rows/s\n", rows_per_second(c, lines * meters_per_line));
    }
    for (auto &p : stand.sims) {
        p->kill();
        p->waitForFinished();
    }
    return ratio <= 1.2 && kb_per_line < 200 && large.read == lines * meters_per_line ? 0 : 1;
}
