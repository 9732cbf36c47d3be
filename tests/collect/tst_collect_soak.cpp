// The office's round on lines that misbehave: single-meter lines whose
// answers are spoiled, half of them answered after the wait (after a resend,
// after a give-up, into the next request's turn). Round
// after round, whatever a meter was read as, the journal holds only what the
// stand-in holds: its meter row, its readings and its archive records are
// those of a line with no faults. METER_SOAK_ROUNDS sets the rounds and
// METER_SOAK_SPOILED the share of answers spoiled, in percent (the long soak,
// tools/soak.sh collect: 100 rounds of 10 lines, a quarter spoiled).
#include "sim_line.h"
#include "sqlite_column.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>
#include <memory>

namespace {

constexpr int lines_count = 10;
constexpr int fail_ms = 100;

// The answers of a meter's round to spoil: each of its first 48 with the
// chance `percent`, or, when 0, up to three among its first dozen. Half of
// them come later than the program waits, even for a first request.
QStringList spoiled_answers(QRandomGenerator &random, int percent)
{
    static const char *const kinds[]
        = {"silence", "badcrc", "short", "long", "garbage", "wrongaddr", "echo", "split 3 15"};
    QVector<int> spoiled;
    if (percent > 0) {
        for (int i = 0; i < 48; ++i) {
            if (int(random.bounded(100)) < percent)
                spoiled << i;
        }
    } else {
        for (int n = random.bounded(4); n > 0; --n)
            spoiled << random.bounded(12);
    }
    QStringList faults;
    for (int after : spoiled) {
        if (random.bounded(2) == 0)
            faults
                << QString("delay %1 count=1 after=%2").arg(4 * fail_ms + 50 + random.bounded(6 * fail_ms)).arg(after);
        else
            faults << QString("%1 count=1 after=%2").arg(kinds[random.bounded(8)]).arg(after);
    }
    return faults;
}

} // namespace

class tst_collect_soak : public QObject
{
    Q_OBJECT
private slots:
    void only_what_the_meter_holds_is_kept();
};

void tst_collect_soak::only_what_the_meter_holds_is_kept()
{
    const int rounds
        = qEnvironmentVariableIsSet("METER_SOAK_ROUNDS") ? qEnvironmentVariableIntValue("METER_SOAK_ROUNDS") : 4;
    // Line 0 is left alone: what a line with no faults keeps.
    std::vector<std::unique_ptr<SimLine>> sims;
    QStringList entries;
    for (int i = 0; i < lines_count; ++i) {
        sims.push_back(std::make_unique<SimLine>());
        QVERIFY2(sims.back()->start({}, QString("address = 1\nserial = 0000000000%1\n").arg(i + 10)),
                 qPrintable(sims.back()->error()));
        entries << QString(R"({"name": "L%1", "port": "%2", "ok_ms": 100, "fail_ms": %3, "archive_ok_ms": 100,
  "archive_fail_ms": %3, "meters": [{"address": 1, "label": "кв. %1"}]})")
                       .arg(i)
                       .arg(sims.back()->program_port())
                       .arg(fail_ms);
    }
    QTemporaryDir dir;
    QVERIFY(QFile::copy(MODELS_CSV, dir.filePath("models_counter.csv")));
    QFile lines(dir.filePath("lines.json"));
    QVERIFY(lines.open(QIODevice::WriteOnly));
    lines.write(QString(R"({"lines": [%1]})").arg(entries.join(",\n")).toUtf8());
    lines.close();
    const QString journal = dir.filePath("r.sqlite");

    const int percent = qEnvironmentVariableIntValue("METER_SOAK_SPOILED");
    QRandomGenerator random(quint32(qEnvironmentVariableIntValue("METER_SOAK_SEED") + 1));
    int read = 0, spoiled = 0, asked = 0;
    for (int round = 0; round < rounds; ++round) {
        for (int i = 1; i < lines_count; ++i) {
            QCOMPARE(sims[size_t(i)]->command("fault clear"), QString("ok"));
            for (const QString &fault : spoiled_answers(random, percent))
                QCOMPARE(sims[size_t(i)]->command("fault " + fault), QString("ok"));
            sims[size_t(i)]->clear_log();
        }
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(qEnvironmentVariable("METER_COLLECT"), {"lines.json", "--once", "--journal", journal});
        // The stand-ins' logs are read meanwhile: a full pipe would stop them answering.
        QDeadlineTimer deadline(300000);
        while (p.state() != QProcess::NotRunning && !deadline.hasExpired()) {
            p.waitForFinished(20);
            QCoreApplication::processEvents();
        }
        QVERIFY(p.state() == QProcess::NotRunning);
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        for (int i = 1; i < lines_count; ++i) {
            const QStringList log = sims[size_t(i)]->sim_log();
            asked += log.filter(QRegularExpression("^rx ")).size();
            spoiled += log.filter(QRegularExpression("\\(fault ")).size();
        }
        QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() <= 1, qPrintable(out));
        // Every meter read shows what the stand-in holds.
        for (const QString &line : out.split('\n')) {
            const QStringList fields = line.split('\t');
            if (fields.size() < 6 || fields[3].isEmpty())
                continue;
            ++read;
            QVERIFY2(fields[3] == QString("12.346 м3"), qPrintable(line));
        }
        if ((round + 1) % 10 == 0)
            qInfo("round %d: %d meters read so far", round + 1, read);
    }
    const auto reference = [&](const QString &of) {
        return QString("SELECT count(*) FROM %1 WHERE serial <> '000000000010' AND NOT EXISTS (SELECT 1 FROM %1 r"
                       " WHERE r.serial = '000000000010' AND %2)")
            .arg(of);
    };
    const QStringList wrong_meters = column(journal,
                                            "SELECT serial FROM meters WHERE protocol_version <> 3"
                                            " OR model_code <> 3093 OR factor <> 0.001 OR decimals <> 3");
    const QStringList wrong_readings
        = column(journal,
                 reference("readings")
                     .arg("r.volume_units IS readings.volume_units AND r.reverse_units IS "
                          "readings.reverse_units AND r.event IS readings.event AND r.meter_clock IS "
                          "readings.meter_clock AND r.factor IS readings.factor"));
    const QStringList wrong_records
        = column(journal,
                 reference("archive_records")
                     .arg("r.archive_type = archive_records.archive_type AND r.record_time = "
                          "archive_records.record_time AND r.reading = archive_records.reading AND r.event = "
                          "archive_records.event AND r.reverse_flow = archive_records.reverse_flow"));
    const QStringList kept = column(journal, "SELECT count(*) FROM readings");
    const QStringList records = column(journal, "SELECT count(*) FROM archive_records");
    qInfo("%d meter-rounds; %d of %d answers of the faulty lines spoiled; %d meters read, %s readings and %s archive"
          " records kept",
          rounds * lines_count, spoiled, asked, read, qPrintable(kept.value(0)), qPrintable(records.value(0)));
    QCOMPARE(wrong_meters, QStringList());
    QCOMPARE(wrong_readings, QStringList{"0"});
    QCOMPARE(wrong_records, QStringList{"0"});
    if (percent == 0)
        QVERIFY(read > rounds * lines_count / 2); // a few faults leave most meters read
}

QTEST_GUILESS_MAIN(tst_collect_soak)
#include "tst_collect_soak.moc"
