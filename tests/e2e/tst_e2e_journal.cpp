// The readings journal behind a real poll and archive read against the meter
// stand-in, in SQLite and, when the test script started one, in PostgreSQL:
// the database holds what the main window showed, the journal window shows it
// again and saves it as the archive window does.
#include "app_on_line.h"
#include "journal/journal_store.h"
#include "table_cells.h"
#include "windows/journal_windows/consumption_window.h"
#include "windows/journal_windows/journal_window.h"
#include "windows/line/scan_window.h"
#include "windows/main_window/archive.h"
#include "windows/widgets/consumption_chart.h"

#include <QFile>
#include <QSet>
#include <QSpinBox>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The record rows of a saved CSV, per section, without the record numbers
// (the meter numbers from its newest, the journal in time order) and without
// empty slots.
QMap<QString, QSet<QString>> csv_records(const QString &path, QStringList *head)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QStringList lines = QString::fromUtf8(file.readAll().mid(3)).split("\r\n");
    *head = lines.mid(0, 3);
    QMap<QString, QSet<QString>> sections;
    QString section;
    for (int k = 5; k < lines.size(); ++k) {
        const QStringList fields = lines[k].split(';');
        if (fields.size() == 1 && !fields[0].isEmpty() && (k == 5 || lines[k - 1].isEmpty())) {
            section = fields[0];
            sections[section];
        } else if (fields.size() == 5 && fields[1] != QLatin1String("Время") && !fields[1].isEmpty()) {
            sections[section].insert(fields.mid(1).join(';'));
        }
    }
    return sections;
}

// The records the journal keeps of an archive table: every row up to the last
// one with a time (the meter's blank slots come after its records; a record
// with the event 7 shows "--" and is kept all the same).
int kept_rows(const QTableView *table)
{
    int rows = 0;
    for (int r = 0; r < row_count(table); ++r) {
        const QString time = cell_text(table, r, 1);
        if (!time.isEmpty() && time != QLatin1String("--"))
            rows = r + 1;
    }
    return rows;
}

QString cell(QTableView *table, int row, int column)
{
    return table->model()->index(row, column).data().toString();
}

} // namespace

class tst_e2e_journal : public QObject
{
    Q_OBJECT
private slots:
    void poll_and_archive_kept_data();
    void poll_and_archive_kept();
    void server_away_reads_go_on_data();
    void server_away_reads_go_on();
    void window_open_on_years_of_records();
};

void tst_e2e_journal::poll_and_archive_kept_data()
{
    QTest::addColumn<QStringList>("server");
    QTest::newRow("sqlite") << QStringList();
    QFile info(qEnvironmentVariable("METER_PG_INFO"));
    const QStringList fields = info.open(QIODevice::ReadOnly)
        ? QString::fromUtf8(info.readAll()).trimmed().split(' ')
        : QStringList{"skip", "no PostgreSQL server started for this run"};
    if (fields.size() >= 5 && fields[0] != QLatin1String("skip"))
        QTest::newRow("postgresql") << fields;
    else
        qInfo("PostgreSQL row skipped: %s", qPrintable(fields.mid(1).join(' ')));
}

void tst_e2e_journal::poll_and_archive_kept()
{
    QFETCH(QStringList, server);
    AppOnLine app;
    if (!server.isEmpty()) {
        app.set_side_settings(QString("journal=postgresql\njournal_host=%1\njournal_port=%2\njournal_database=%3\n"
                                      "journal_user=%4\n")
                                  .arg(server[0], server[1], server[2], server[3])
                                  .toUtf8());
        qputenv("METER_JOURNAL_PASSWORD", server[4].toUtf8());
        QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", "clean");
        db.setHostName(server[0]);
        db.setPort(server[1].toInt());
        db.setDatabaseName(server[2]);
        db.setUserName(server[3]);
        db.setPassword(server[4]);
        QVERIFY(db.open());
        QVERIFY(QSqlQuery(db).exec(
            "DROP TABLE IF EXISTS journal_meta, meters, readings, archive_records, clock_settings, line_claims"));
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("clean");
    }
    QVERIFY2(app.start({}, "version = 3\n"), qPrintable(app.error()));
    app.check("adr_click");
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    app.click("arch_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.text("arch_btn"), QStringLiteral("Архив прочитан"));
    QVERIFY(app.probe().journal()->wait_written(60000));
    QVERIFY(app.probe().journal()->available());
    QCOMPARE(app.status(), QString());

    app.click("journal_btn");
    auto *journal = app.window().findChild<JournalWindow *>();
    QVERIFY(journal);
    QVERIFY(app.wait_for([&] { return !journal->busy(); }));
    QVERIFY2(journal->state_text().startsWith("Журнал: "), qPrintable(journal->state_text()));
    journal->set_range(QDate(2000, 1, 1), QDate(2100, 1, 1));
    QVERIFY(app.wait_for([&] { return !journal->busy(); }));
    QTableView *meters = journal->meters_table();
    QCOMPARE(meters->model()->rowCount(), 1);
    QCOMPARE(cell(meters, 0, 0), app.text("serial_num_line"));
    QCOMPARE(cell(meters, 0, 1), app.text("model_line"));
    QCOMPARE(cell(meters, 0, 2), QStringLiteral("3"));
    QCOMPARE(cell(meters, 0, 4), app.text("real_state_lin"));
    QTableView *readings = journal->readings_table();
    QCOMPARE(readings->model()->rowCount(), 1);
    QCOMPARE(cell(readings, 0, 1), app.text("real_time_line"));
    QCOMPARE(cell(readings, 0, 2), app.text("real_state_lin"));
    QCOMPARE(cell(readings, 0, 3), app.text("real_obr_line"));
    QCOMPARE(cell(readings, 0, 4), app.text("real_event_line"));

    int records = 0;
    for (int type = 1; type <= 3; ++type) {
        app.window().findChild<QComboBox *>("journal_archive_type")->setCurrentIndex(type - 1);
        QVERIFY(app.wait_for([&] { return !journal->busy(); }));
        const int shown = kept_rows(AppOnLine::archive_window()->table(type));
        QVERIFY(shown > 0);
        QCOMPARE(journal->archive_table()->model()->rowCount(), shown);
        records += shown;
    }
    QVERIFY(!journal->chart()->points().isEmpty());

    // "Расход за период" over today: the one reading stands for the end of
    // the day it is nearer to, and the other end is marked missing.
    journal->set_range(QDate::currentDate(), QDate::currentDate());
    app.window().findChild<QPushButton *>("journal_consumption_btn")->click();
    QVERIFY(app.wait_for([&] { return !journal->busy() && journal->consumption_view(); }));
    const QTableView *period = journal->consumption_view()->table();
    QCOMPARE(row_count(period), 1);
    QCOMPARE(cell_text(period, 0, 1), app.text("serial_num_line"));
    const bool at_start = !cell_text(period, 0, 4).isEmpty();
    QCOMPARE(cell_text(period, 0, at_start ? 4 : 7), app.text("real_state_lin"));
    // The stand-in's clock stands in 2024: marked too.
    QCOMPARE(cell_text(period, 0, 12),
             QString("нет показаний на %1, часы счетчика расходятся более чем на 10 минут")
                 .arg(at_start ? "конец" : "начало"));
    journal->set_range(QDate(2000, 1, 1), QDate(2100, 1, 1));
    QVERIFY(app.wait_for([&] { return !journal->busy(); }));

    QTemporaryDir out;
    QString error;
    QVERIFY2(journal->save_to(out.filePath("journal.csv"), &error), qPrintable(error));
    QVERIFY2(AppOnLine::archive_window()->save_to(out.filePath("archive.csv"), &error), qPrintable(error));
    QStringList journal_head, archive_head;
    const auto from_journal = csv_records(out.filePath("journal.csv"), &journal_head);
    const auto from_archive = csv_records(out.filePath("archive.csv"), &archive_head);
    QCOMPARE(journal_head, archive_head);
    QCOMPARE(from_journal.keys(), from_archive.keys());
    QCOMPARE(from_journal, from_archive);

    // The database itself, opened beside the running program.
    QSqlDatabase db = QSqlDatabase::addDatabase(server.isEmpty() ? "QSQLITE" : "QPSQL", "check");
    if (server.isEmpty()) {
        db.setDatabaseName("readings.sqlite");
        db.setConnectOptions("QSQLITE_OPEN_READONLY");
    } else {
        db.setHostName(server[0]);
        db.setPort(server[1].toInt());
        db.setDatabaseName(server[2]);
        db.setUserName(server[3]);
        db.setPassword(server[4]);
    }
    QVERIFY(db.open());
    {
        QSqlQuery q(db);
        QVERIFY(q.exec("SELECT count(*) FROM readings"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 1);
        QVERIFY(q.exec("SELECT count(*) FROM archive_records"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), records);
    }
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase("check");

    // Read again: nothing new to add. What the first read reported is handed
    // over first, so the spy sees the second one only.
    QCoreApplication::processEvents();
    QSignalSpy written(app.probe().journal(), &journal::Writer::written);
    app.click("arch_btn");
    QVERIFY(app.wait_idle());
    QTRY_VERIFY_WITH_TIMEOUT(!written.isEmpty(), 60000);
    QCOMPARE(written.last().at(1).toInt(), 0);
    qunsetenv("METER_JOURNAL_PASSWORD");
}

void tst_e2e_journal::server_away_reads_go_on_data()
{
    QTest::addColumn<bool>("hung");
    QTest::newRow("server down") << false;
    QTest::newRow("server that never answers") << true;
}

// The journal's server is away: the poll and the archive read go on as
// always, and the status line says once that the journal is not kept.
void tst_e2e_journal::server_away_reads_go_on()
{
    QFETCH(bool, hung);
    int port = 1; // nothing listens there
    int listener = -1;
    if (hung) {
        // Takes the connection and never says a word.
        listener = ::socket(AF_INET, SOCK_STREAM, 0);
        QVERIFY(listener >= 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        QVERIFY(::bind(listener, reinterpret_cast<sockaddr *>(&address), length) == 0);
        QVERIFY(::listen(listener, 4) == 0);
        QVERIFY(::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) == 0);
        port = ntohs(address.sin_port);
    }
    AppOnLine app;
    app.set_side_settings(QString("journal=postgresql\njournal_host=127.0.0.1\njournal_port=%1\n"
                                  "journal_database=readings\njournal_user=meter\n")
                              .arg(port)
                              .toUtf8());
    qputenv("METER_JOURNAL_PASSWORD", "x");
    QVERIFY2(app.start({}, "version = 3\n"), qPrintable(app.error()));
    app.check("adr_click");
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    const QString volume = app.text("real_state_lin");
    QVERIFY(!volume.isEmpty());
    app.click("arch_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.text("arch_btn"), QStringLiteral("Архив прочитан"));
    // The reads are done, whatever the journal's thread is still waiting for;
    // then the journal is given up, and the button keeps saying so.
    const QString said
        = QString("Сервер журнала meter@127.0.0.1:%1/readings недоступен; показания не записываются").arg(port);
    QTRY_COMPARE_WITH_TIMEOUT(app.window().findChild<QPushButton *>("journal_btn")->toolTip(), said, 30000);
    QVERIFY(!app.probe().journal()->available());
    // Said once: the next poll's outcome is not followed by it again.
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.text("real_state_lin"), volume);
    QCOMPARE(app.status(), QString());
    qunsetenv("METER_JOURNAL_PASSWORD");
    if (listener >= 0)
        ::close(listener);
}

// With the journal window open on five years of one meter's hourly records,
// a poll and "Считать все" go on as always: the window's thread keeps turning
// while the journal is asked, and the window shows each new reading.
void tst_e2e_journal::window_open_on_years_of_records()
{
    AppOnLine app;
    QVERIFY2(app.start({}, "version = 3\n"), qPrintable(app.error()));
    app.check("adr_click");
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QVERIFY(app.probe().journal()->wait_written(60000));
    const QString serial = app.text("serial_num_line");
    const int years_of_hours = 5 * 365 * 24;
    {
        journal::Connection where;
        where.file = QDir::current().absoluteFilePath("readings.sqlite");
        journal::Store store(where);
        QVERIFY(store.open());
        journal::ArchiveBatch batch;
        batch.serial = serial;
        batch.protocol_version = 3;
        batch.factor = 0.001;
        batch.decimals = 3;
        batch.read_at = QDateTime::currentDateTimeUtc();
        const qint64 last = QDateTime(QDate(2024, 1, 30), QTime(15, 0), Qt::UTC).toSecsSinceEpoch();
        for (int k = years_of_hours - 1; k >= 0; --k)
            batch.records.append({1, last - 3600 * k, 100000 - k, 0, 0, 0.001, 3});
        QCOMPARE(store.store_archive(batch), years_of_hours);
    }

    app.click("journal_btn");
    auto *journal = app.window().findChild<JournalWindow *>();
    QVERIFY(journal);
    QVERIFY(app.wait_for([&] { return !journal->busy(); }));
    QCOMPARE(journal->archive_table()->model()->rowCount(), years_of_hours);
    QCOMPARE(journal->readings_table()->model()->rowCount(), 1);

    int turns_while_asking = 0;
    QTimer turn;
    connect(&turn, &QTimer::timeout, this, [&] { turns_while_asking += journal->busy() ? 1 : 0; });
    turn.start(0);

    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QVERIFY(app.probe().journal()->wait_written(60000));
    QVERIFY(app.wait_for([&] { return journal->readings_table()->model()->rowCount() == 2 && !journal->busy(); }));
    QVERIFY(turns_while_asking > 0);
    QCOMPARE(cell(journal->readings_table(), 1, 2), app.text("real_state_lin"));
    QCOMPARE(journal->archive_table()->model()->rowCount(), years_of_hours);

    // "Считать все" over what a search found.
    app.click("scan_btn");
    auto *scan = app.window().findChild<ScanWindow *>();
    QVERIFY(scan);
    app.window().findChild<QSpinBox *>("scan_to_box")->setValue(3);
    app.window().findChild<QSpinBox *>("scan_wait_box")->setValue(100);
    app.click("scan_start_btn");
    QVERIFY(app.wait_for([&] { return !scan->running(); }, 60000));
    turns_while_asking = 0;
    app.click("read_all_btn");
    QVERIFY(app.wait_for([&] { return app.text("riser_status").startsWith("Считано"); }, 60000));
    QVERIFY(app.probe().journal()->wait_written(60000));
    QVERIFY(app.wait_for([&] { return journal->readings_table()->model()->rowCount() == 3 && !journal->busy(); }));
    QVERIFY(turns_while_asking > 0);
    QCOMPARE(cell(journal->meters_table(), 0, 5), cell(journal->readings_table(), 2, 0));
}

QTEST_MAIN(tst_e2e_journal)
#include "tst_e2e_journal.moc"
