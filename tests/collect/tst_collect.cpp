// The collector as the office runs it: the program against stand-ins on
// 127.0.0.1, into an SQLite journal; its output, exit code and journal rows.
#include "journal/journal_store.h"
#include "meter/write_values.h"
#include "sim_line.h"
#include "sqlite_column.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

namespace {

struct Run
{
    int code = -1;
    QString out, err;
};

Run collect(const QStringList &args, const QString &dir)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(qEnvironmentVariable("METER_COLLECT"), args);
    Run r;
    // The stand-in's log is read meanwhile: a full pipe would stop it answering.
    QDeadlineTimer deadline(180000);
    while (p.state() != QProcess::NotRunning && !deadline.hasExpired()) {
        p.waitForFinished(20);
        QCoreApplication::processEvents();
    }
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

bool write_file(const QString &path, const QByteArray &text)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
}

// Meter 2, asked by its serial number, loses two answers far apart: counted
// per run the second would end its first attempt.
const char *const three_meters = "address = 1\nserial = 000000000001\n"
                                 "[meter]\naddress = 2\nserial = 000000000002\nvolume = 5000\n"
                                 "fault = silence count=1 after=3\nfault = silence count=1 after=14\n"
                                 "[meter]\naddress = 3\nserial = 000000000003\nfault = silence\n";

} // namespace

class tst_collect : public QObject
{
    Q_OBJECT
private slots:
    void once_into_sqlite();
    void late_answer_after_give_up_data();
    void late_answer_after_give_up();
    void consumption_over_two_rounds();
    void consumption_takes_no_record_without_value();
    void second_collector_on_sqlite_stops();
    void journal_not_kept_data();
    void journal_not_kept();
    void stopped_mid_round();
    void refused_before_reading_data();
    void refused_before_reading();
};

void tst_collect::once_into_sqlite()
{
    SimLine sim;
    QVERIFY2(sim.start_tcp({}, three_meters), qPrintable(sim.error()));
    QTemporaryDir dir;
    QVERIFY(QFile::copy(MODELS_CSV, dir.filePath("models_counter.csv")));
    QVERIFY(write_file(dir.filePath("lines.json"),
                       QString(R"({"lines": [{"name": "Стояк 1", "host": "127.0.0.1", "tcp_port": %1,
  "meters": [{"address": 1, "label": "кв. 1"}, {"serial": "000000000002", "label": "кв. 2"},
             {"address": 3, "label": "кв. 3"}]}]})")
                           .arg(sim.tcp_port())
                           .toUtf8()));
    const Run run = collect({"lines.json", "--once", "--journal", "r.sqlite", "--set-clock-over", "60"}, dir.path());
    QCOMPARE(run.code, 1);
    const QStringList lines = run.out.split('\n');
    // The stand-in's clocks stand in 2024: both are set, and read back within seconds.
    QVERIFY2(lines.filter(QRegularExpression(
                              "^Стояк 1\tкв. 1\tадрес 1\t12.346 м3\t-\\d+ с\tOK; время установлено,"
                              " смещение [-+]?[0-5] с; архив: 601 записей, пустых ячеек без времени не записано: 71$"))
                     .size()
                 == 1,
             qPrintable(run.out));
    QVERIFY2(lines.filter(QRegularExpression("^Стояк 1\tкв. 2\t000000000002\t5.000 м3\t-\\d+ с\tOK; время установлено"))
                     .size()
                 == 1,
             qPrintable(run.out));
    QVERIFY2(lines.contains("Стояк 1\tкв. 3\tадрес 3\t\t\tСоединение отсутствует"), qPrintable(run.out));
    QVERIFY2(run.out.contains("Круг 1: считано 2 из 3 счетчиков на 1 линиях"), qPrintable(run.out));
    QVERIFY2(run.out.contains("Не считаны:\n  Стояк 1 / кв. 3 (адрес 3): Соединение отсутствует"), qPrintable(run.out));

    const QString db = dir.filePath("r.sqlite");
    const QStringList meters = column(db, "SELECT serial || ' ' || label || ' ' || line FROM meters ORDER BY serial");
    QVERIFY2(meters == (QStringList{"000000000001 кв. 1 Стояк 1", "000000000002 кв. 2 Стояк 1"}),
             qPrintable(meters.join(", ") + "\n" + run.out));
    QCOMPARE(column(db, "SELECT volume_units FROM readings ORDER BY serial"), (QStringList{"12346", "5000"}));
    QCOMPARE(column(db, "SELECT count(*) FROM clock_settings WHERE abs(offset_after) <= 5"), QStringList{"2"});
    const QStringList records = column(db, "SELECT count(*) FROM archive_records GROUP BY serial");
    QCOMPARE(records.size(), 2);
    QCOMPARE(records, (QStringList{"601", "601"})); // as many as the lines above say were kept
    // The meters' clocks now stand in the present, past their archives'
    // newest records: a second round reads them again and adds nothing.
    const Run again = collect({"lines.json", "--once", "--journal", "r.sqlite"}, dir.path());
    QCOMPARE(again.code, 1);
    QCOMPARE(column(db, "SELECT count(*) FROM archive_records GROUP BY serial"), records);
    QCOMPARE(column(db, "SELECT count(*) FROM readings"), QStringList{"4"});
}

// The third request goes unanswered and its resend is answered late, on a
// serial line with short waits: whether that answer comes within the
// resend's wait or after the give-up, no later request takes it for its own,
// and the journal keeps what the meter holds.
void tst_collect::late_answer_after_give_up_data()
{
    QTest::addColumn<int>("late_ms");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("within the resend's wait") << 350 << "OK";
    QTest::newRow("after the give-up") << 600 << "OK, со второго раза";
}

void tst_collect::late_answer_after_give_up()
{
    QFETCH(int, late_ms);
    QFETCH(QString, outcome);
    SimLine sim;
    QVERIFY2(sim.start({},
                       QString("address = 1\nserial = 000000000001\nfault = silence count=1 after=2\n"
                               "fault = delay %1 count=1 after=3\n")
                           .arg(late_ms)),
             qPrintable(sim.error()));
    QTemporaryDir dir;
    QVERIFY(QFile::copy(MODELS_CSV, dir.filePath("models_counter.csv")));
    QVERIFY(write_file(dir.filePath("lines.json"),
                       QString(R"({"lines": [{"name": "A", "port": "%1", "ok_ms": 100, "fail_ms": 100,
  "meters": [{"address": 1, "label": "кв. 1"}]}]})")
                           .arg(sim.program_port())
                           .toUtf8()));
    const Run run = collect({"lines.json", "--once", "--journal", "r.sqlite"}, dir.path());
    QVERIFY2(run.out.startsWith("A\tкв. 1\tадрес 1\t12.346 м3\t"), qPrintable(run.out));
    QVERIFY2(run.out.split('\n').value(0).contains("\t" + outcome
                                                   + "; архив: 601 записей, пустых ячеек без времени не записано: 71"),
             qPrintable(run.out));
    QCOMPARE(run.code, 0);
    QCOMPARE(
        column(dir.filePath("r.sqlite"), "SELECT protocol_version || ' ' || model_code || ' ' || factor FROM meters"),
        QStringList{"3 3093 0.001"});
}

// Two rounds with the stand-ins' volumes moved on between them; the meter
// at 3 falls silent before the second, and the one at 2 keeps its clock of 2024.
void tst_collect::consumption_over_two_rounds()
{
    const QString now = QDateTime::currentDateTime().toString("yyyy-MM-dd hh:mm:ss");
    SimLine sim;
    QVERIFY2(sim.start_tcp({},
                           QString("address = 1\nserial = 000000000001\ntime = %1\nclock = running\n"
                                   "[meter]\naddress = 2\nserial = 000000000002\nvolume = 5000\n"
                                   "[meter]\naddress = 3\nserial = 000000000003\ntime = %1\nclock = running\n")
                               .arg(now)),
             qPrintable(sim.error()));
    QTemporaryDir dir;
    QVERIFY(QFile::copy(MODELS_CSV, dir.filePath("models_counter.csv")));
    QVERIFY(write_file(dir.filePath("lines.json"),
                       QString(R"({"lines": [{"name": "Стояк 1", "host": "127.0.0.1", "tcp_port": %1,
  "meters": [{"address": 1, "label": "кв. 1"}, {"address": 2, "label": "кв. 2"}, {"address": 3, "label": "кв. 3"}]}]})")
                           .arg(sim.tcp_port())
                           .toUtf8()));
    const QString format = "yyyy-MM-dd hh:mm:ss";
    const QString from = QDateTime::currentDateTime().addDays(-1).addSecs(-60).toString(format);
    QCOMPARE(collect({"lines.json", "--once", "--journal", "r.sqlite"}, dir.path()).code, 0);
    // The first round a day ago, the meters' clocks as they were then.
    QVERIFY(column(dir.filePath("r.sqlite"),
                   "UPDATE readings SET read_at = read_at - 86400000,"
                   " meter_clock = meter_clock - 86400")
                .isEmpty());
    QCOMPARE(column(dir.filePath("r.sqlite"),
                    "SELECT count(*) FROM readings WHERE read_at < 1000 * (strftime('%s',"
                    " 'now') - 80000)"),
             QStringList{"3"});
    QVERIFY(sim.command("meter 1 set 0x1002 13346").startsWith("ok"));
    QVERIFY(sim.command("meter 2 set 0x1002 5500").startsWith("ok"));
    QVERIFY(sim.command("meter 3 fault silence").startsWith("ok"));
    QCOMPARE(collect({"lines.json", "--once", "--journal", "r.sqlite"}, dir.path()).code, 1);
    const QString to = QDateTime::currentDateTime().addSecs(60).toString(format);

    const Run report = collect({"--consumption", from, to, "--journal", "r.sqlite", "--out", "period.csv"}, dir.path());
    QCOMPARE(report.code, 0);
    QFile csv(dir.filePath("period.csv"));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QByteArray bytes = csv.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList rows = QString::fromUtf8(bytes.mid(3)).split("\r\n");
    QCOMPARE(rows.value(2),
             QStringLiteral("Метка;Серийный номер;Адрес;Линия;Показания на начало;Взято;Откуда;"
                            "Показания на конец;Взято;Откуда;Расход;Единицы;Отметки"));
    const auto fields = [&](int row) {
        QStringList f = rows.value(row).split(';');
        return f.size() == 13 ? QStringList{f[0], f[1], f[2], f[3], f[4], f[6], f[7], f[9], f[10], f[11], f[12]} : f;
    };
    QCOMPARE(fields(3),
             (QStringList{"кв. 1", "=\"000000000001\"", "1", "Стояк 1", "12,346", "опрос", "13,346", "опрос", "1,000",
                          "м3", ""}));
    QCOMPARE(fields(4),
             (QStringList{"кв. 2", "=\"000000000002\"", "2", "Стояк 1", "5,000", "опрос", "5,500", "опрос", "0,500",
                          "м3", "часы счетчика расходятся более чем на 10 минут"}));
    QCOMPARE(fields(5),
             (QStringList{"кв. 3", "=\"000000000003\"", "3", "Стояк 1", "12,346", "опрос", "", "", "", "м3",
                          "нет показаний на конец"}));
}

// A journal with records the meter wrote without a value (-1) at both ends
// of the period: the report takes the nearest records that hold one.
void tst_collect::consumption_takes_no_record_without_value()
{
    QTemporaryDir dir;
    const QDateTime from(QDate(2024, 3, 1), QTime(0, 0));
    const QDateTime to(QDate(2024, 3, 2), QTime(0, 0));
    {
        journal::Connection c;
        c.file = dir.filePath("r.sqlite");
        journal::Store store(c);
        QVERIFY2(store.open(), qPrintable(store.detail()));
        journal::ArchiveBatch batch;
        batch.serial = "000000000001";
        batch.protocol_version = 2;
        batch.factor = 0.001;
        batch.decimals = 3;
        batch.read_at = to;
        const qint64 start = wall_time_as_utc(from).toSecsSinceEpoch();
        const qint64 hour = 3600;
        for (const auto &r : QList<QPair<qint64, qint64>>{
                 {-hour, 1000}, {0, -1}, {hour, 1200}, {23 * hour, 1300}, {24 * hour, -1}, {25 * hour, 1500}})
            batch.records.append({1, start + r.first, r.second, 0, 0, 0.001, 3});
        QCOMPARE(store.store_archive(batch), 6);
    }
    const QString format = "yyyy-MM-dd hh:mm";
    const Run report
        = collect({"--consumption", from.toString(format), to.toString(format), "--journal", "r.sqlite"}, dir.path());
    QCOMPARE(report.code, 0);
    const QStringList lines = report.out.split('\n');
    const QStringList f = lines.value(1).split('\t');
    QCOMPARE(f.size(), 13);
    QCOMPARE((QStringList{f[1], f[4], f[5], f[6], f[7], f[8], f[10], f[11], f[12]}),
             (QStringList{"000000000001", "1.000", "29.02.2024 23:00:00", "часовой архив", "1.300",
                          "01.03.2024 23:00:00", "0.300", "м3", ""}));
}

// One SQLite journal has one collector: a second says so and reads nothing.
void tst_collect::second_collector_on_sqlite_stops()
{
    SimLine sim;
    QVERIFY2(sim.start_tcp(), qPrintable(sim.error()));
    QTemporaryDir dir;
    QVERIFY(write_file(
        dir.filePath("lines.json"),
        QString(R"({"lines": [{"name": "A", "host": "127.0.0.1", "tcp_port": %1, "meters": [{"address": 1}]}]})")
            .arg(sim.tcp_port())
            .toUtf8()));
    QProcess first;
    first.setWorkingDirectory(dir.path());
    first.start(qEnvironmentVariable("METER_COLLECT"), {"lines.json", "--every", "3600", "--journal", "r.sqlite"});
    const auto stop_first = qScopeGuard([&] {
        first.kill();
        first.waitForFinished();
    });
    QByteArray said;
    QTRY_VERIFY2_WITH_TIMEOUT((said += first.readAllStandardOutput()).contains("Круг 1"),
                              qPrintable(said + first.readAllStandardError()), 30000);
    const Run second = collect({"lines.json", "--once", "--journal", "r.sqlite"}, dir.path());
    QCOMPARE(second.code, 1);
    QVERIFY2(second.out.contains("уже пишет другой сборщик (процесс " + QString::number(first.processId())),
             qPrintable(second.out));
    QVERIFY(!second.out.contains("Круг"));
}

// A journal that cannot be kept is named for what it is, the meters are
// still read, and each reading is named as not kept.
void tst_collect::journal_not_kept_data()
{
    QTest::addColumn<QString>("journal");
    QTest::addColumn<QString>("said");
    QTest::newRow("read-only") << "ro/r.sqlite"
                               << "только для чтения";
    QTest::newRow("a folder") << "folder"
                              << "— папка, а не файл";
    QTest::newRow("damaged") << "damaged.sqlite"
                             << "поврежден";
}

void tst_collect::journal_not_kept()
{
    QFETCH(QString, journal);
    QFETCH(QString, said);
    SimLine sim;
    QVERIFY2(sim.start_tcp({}, "address = 1\nserial = 000000000001\n"), qPrintable(sim.error()));
    QTemporaryDir dir;
    QVERIFY(write_file(
        dir.filePath("lines.json"),
        QString(R"({"lines": [{"name": "A", "host": "127.0.0.1", "tcp_port": %1, "meters": [{"address": 1}]}]})")
            .arg(sim.tcp_port())
            .toUtf8()));
    QVERIFY(QDir(dir.path()).mkpath("folder"));
    QByteArray damaged("SQLite format 3\0", 16);
    damaged += QByteArray(4080, '\x5a');
    QVERIFY(write_file(dir.filePath("damaged.sqlite"), damaged));
    // A journal the collector wrote before, then made read-only with its folder.
    QVERIFY(QDir(dir.path()).mkpath("ro"));
    QCOMPARE(collect({"lines.json", "--once", "--journal", "ro/r.sqlite"}, dir.path()).code, 0);
    QVERIFY(QFile::setPermissions(dir.filePath("ro/r.sqlite"), QFile::ReadOwner | QFile::ReadUser));
    QVERIFY(QFile::setPermissions(dir.filePath("ro"),
                                  QFile::ReadOwner | QFile::ExeOwner | QFile::ReadUser | QFile::ExeUser));
    const auto writable = qScopeGuard(
        [&] { QFile::setPermissions(dir.filePath("ro"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); });

    const Run run = collect({"lines.json", "--once", "--journal", journal}, dir.path());
    QCOMPARE(run.code, 1);
    const QStringList lines = run.out.split('\n');
    QVERIFY2(lines.value(0).startsWith("Журнал " + QDir(dir.path()).filePath(journal) + " " + said),
             qPrintable(run.out));
    QVERIFY2(!run.out.contains("другой сборщик"), qPrintable(run.out));
    QVERIFY2(lines.filter(QRegularExpression("^A\t\tадрес 1\t12346 ед.\t.*\tOK")).size() == 1, qPrintable(run.out));
    QVERIFY2(lines.filter(QRegularExpression("^Не записано в журнал: показания 000000000001 от ")).size() == 1,
             qPrintable(run.out));
}

// Stopped as a service is, with the second meter not yet read: that meter is
// named and the exit code says the round was not whole.
void tst_collect::stopped_mid_round()
{
    SimLine sim;
    QVERIFY2(sim.start_tcp({},
                           "address = 1\nserial = 000000000001\n"
                           "[meter]\naddress = 2\nserial = 000000000002\nfault = delay 200\n"),
             qPrintable(sim.error()));
    QTemporaryDir dir;
    QVERIFY(write_file(dir.filePath("lines.json"),
                       QString(R"({"lines": [{"name": "A", "host": "127.0.0.1", "tcp_port": %1,
  "meters": [{"address": 1, "label": "кв. 1"}, {"address": 2, "label": "кв. 2"}]}]})")
                           .arg(sim.tcp_port())
                           .toUtf8()));
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(qEnvironmentVariable("METER_COLLECT"), {"lines.json", "--once", "--journal", "r.sqlite"});
    const auto kill = qScopeGuard([&] {
        p.kill();
        p.waitForFinished();
    });
    QByteArray out;
    QTRY_VERIFY2_WITH_TIMEOUT((out += p.readAllStandardOutput()).contains("кв. 1"), out.constData(), 30000);
    p.terminate();
    QVERIFY(p.waitForFinished(90000));
    out += p.readAllStandardOutput();
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 1);
    QVERIFY2(out.contains("Круг 1 остановлен: считано 1 из 2 счетчиков\nНе считаны:\n  A / кв. 2 (адрес 2): сбор"
                          " остановлен\n"),
             out.constData());
    QCOMPARE(column(dir.filePath("r.sqlite"), "SELECT serial FROM readings"), QStringList{"000000000001"});
}

void tst_collect::refused_before_reading_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("said");
    const QByteArray good
        = R"({"lines": [{"name": "A", "host": "127.0.0.1", "tcp_port": PORT, "meters": [{"address": 1}]}]})";
    QTest::newRow("unknown key") << QStringList{"lines.json", "--once", "--journal", "r.sqlite"}
                                 << QByteArray(R"({"lines": [{"name": "A", "host": "127.0.0.1", "tcp_port": PORT,
  "meters": [{"adress": 1}]}]})") << "lines.json:2:15: lines[0].meters[0].adress: неизвестный ключ";
    QTest::newRow("not JSON") << QStringList{"lines.json", "--once", "--journal", "r.sqlite"}
                              << QByteArray("{\"lines\": [") << "lines.json:1:12: не JSON";
    QTest::newRow("no --once or --every")
        << QStringList{"lines.json", "--journal", "r.sqlite"} << good << "нужен один из --once и --every";
    QTest::newRow("bad journal") << QStringList{"lines.json", "--once", "--journal", "postgresql://host/db"} << good
                                 << "ожидается postgresql://пользователь@сервер:порт/база";
}

// Nothing is read: the stand-in is never asked and no journal is made.
void tst_collect::refused_before_reading()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, file);
    QFETCH(QString, said);
    SimLine sim;
    QVERIFY2(sim.start_tcp(), qPrintable(sim.error()));
    QTemporaryDir dir;
    QVERIFY(write_file(dir.filePath("lines.json"), file.replace("PORT", QByteArray::number(sim.tcp_port()))));
    const Run run = collect(args, dir.path());
    QCOMPARE(run.code, 2);
    QVERIFY2(run.err.contains(said), qPrintable(run.err));
    QCOMPARE(run.out, QString());
    QVERIFY(!QFile::exists(dir.filePath("r.sqlite")));
    QVERIFY(sim.command("get 0x0009").startsWith("ok")); // the stand-in's log is current
    QVERIFY2(sim.sim_log().filter("tcp connection").isEmpty(), qPrintable(sim.sim_log().join('\n')));
}

QTEST_MAIN(tst_collect)
#include "tst_collect.moc"
