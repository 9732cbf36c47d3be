// "Считать из счетчика архивные показания" against the meter stand-in.
#include "app_on_line.h"
#include "archive/records.h"
#include "model/archive_texts.h"
#include "riser.h"
#include "table_cells.h"
#include "windows/main_window/archive.h"
#include "windows/widgets/consumption_chart.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

const char *const type_names[] = {"", "hourly", "daily", "monthly"};

// Every row of the table holds what the stand-in holds for that record.
void compare_table(AppOnLine &app, int type, int version, int depth, double factor, int decimals)
{
    const QTableView *table = AppOnLine::archive_window()->table(type);
    QCOMPARE(row_count(table), depth);
    QCOMPARE(header_text(table, 0), QStringLiteral("Номер записи"));
    for (int k = 0; k < depth; ++k) {
        const QString reply = app.line().command(QString("record %1 %2").arg(type_names[type]).arg(k));
        QVERIFY2(reply.startsWith("ok "), qPrintable(reply));
        const QByteArray bytes = QByteArray::fromHex(reply.mid(3).toLatin1());
        const QStringList expected = arc::record_row(k, bytes, version, VolumeScale{factor, decimals});
        for (int c = 0; c < arc::column_count; ++c)
            QCOMPARE(cell_text(table, k, c), expected[c]);
    }
}

} // namespace

class tst_e2e_archive : public QObject
{
    Q_OBJECT
private slots:
    void full_read_data();
    void full_read();
    void first_records_as_shown();
    void unknown_meter_named_everywhere();
    void silent_meter();
    void garbled_block_is_asked_again_data();
    void garbled_block_is_asked_again();
    void bad_data_gives_up();
    void failure_in_the_daily_archive();
    void unsupported_version();
    void port_not_started();
    void stopped_read_keeps_what_it_read();
    void version_asked_first_data();
    void version_asked_first();
    void missing_records_in_chart_and_report();
};

void tst_e2e_archive::full_read_data()
{
    QTest::addColumn<bool>("by_serial");
    QTest::addColumn<int>("version");
    QTest::newRow("address, version 2") << false << 2;
    QTest::newRow("address, version 3") << false << 3;
    QTest::newRow("serial, version 2") << true << 2;
    QTest::newRow("serial, version 3") << true << 3;
}

void tst_e2e_archive::full_read()
{
    QFETCH(bool, by_serial);
    QFETCH(int, version);
    AppOnLine app;
    QVERIFY2(app.start({}, QString("version = %1\n").arg(version)), qPrintable(app.error()));
    if (by_serial) {
        app.check("s_num_click");
        app.set_text("sereal_num_line_w", "0012345678AB");
    } else {
        app.check("adr_click");
    }
    // A poll first: it names the model, whose factor scales the archive.
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QString());

    const int polled = app.sent_frames().size();
    app.click("arch_btn");
    QCOMPARE(app.text("arch_btn"), QStringLiteral("Идет чтение архива"));
    QVERIFY(app.wait_idle(120000));
    QCOMPARE(app.text("arch_btn"), QStringLiteral("Архив прочитан"));
    QVERIFY(app.window().findChild<QPushButton *>("arch_btn")->styleSheet().contains("black"));

    const QStringList sent = app.sent_frames().mid(polled);
    QCOMPARE(sent.size(), version == 2 ? 44 : 40);
    if (!by_serial)
        QCOMPARE(sent.first(),
                 version == 2 ? QStringLiteral("01 44 01 00 00 18 f0 33") : QStringLiteral("01 44 01 00 00 11 30 35"));
    const int depths[2][3] = {{512, 384, 128}, {336, 252, 84}};
    for (int type = 1; type <= 3; ++type)
        compare_table(app, type, version, depths[version - 2][type - 1], 0.001, 3);

    // The file names the meter read and when, and has decimal commas.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(AppOnLine::archive_window()->save_to(dir.filePath("a.csv"), nullptr));
    QFile file(dir.filePath("a.csv"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).remove(QChar(0xFEFF)).split("\r\n");
    QCOMPARE(lines.mid(0, 3),
             (QStringList{"Серийный номер;=\"0012345678ab\"", "Модель;" + app.text("model_line"),
                          QString("Версия протокола;%1").arg(version)}));
    const QDateTime read_at
        = QDateTime::fromString(lines.value(3).section(';', 1), QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    QVERIFY2(qAbs(read_at.secsTo(QDateTime::currentDateTime())) < 600, qPrintable(lines.value(3)));
    const QString hourly_first = cell_text(AppOnLine::archive_window()->table(1), 0, 2);
    QVERIFY(hourly_first.contains('.'));
    QCOMPARE(lines.value(7).section(';', 2, 2), QString(hourly_first).replace('.', ','));
}

void tst_e2e_archive::first_records_as_shown()
{
    // Checked by hand against the stand-in's built-in meter.
    AppOnLine app;
    QVERIFY2(app.start({}, "version = 2\n"), qPrintable(app.error()));
    app.check("adr_click");
    app.click("arch_btn");
    QVERIFY(app.wait_idle(120000));
    QCOMPARE(app.text("arch_btn"), QStringLiteral("Архив прочитан"));
    const QTableView *hourly = AppOnLine::archive_window()->table(1);
    // No poll ran: the meter was asked for its version and model, and the
    // volumes are in cubic metres by that model's factor.
    const QStringList first{"0", "30.01.2024 15:00:00", "12.345", "0", "--"};
    for (int c = 0; c < 5; ++c)
        QCOMPARE(cell_text(hourly, 0, c), first[c]);
    QCOMPARE(cell_text(hourly, 1, 1), QStringLiteral("30.01.2024 14:00:00"));
    QCOMPARE(cell_text(hourly, 1, 2), QStringLiteral("12.342"));
    QCOMPARE(cell_text(hourly, 5, 1), QStringLiteral("--")); // record 5 carries event 7
}

// No poll first, by address: the meter is asked its serial number with its
// version and model, and the file, the name offered for it, the journal and
// the window all name it.
void tst_e2e_archive::unknown_meter_named_everywhere()
{
    AppOnLine app;
    QVERIFY2(app.start({}, "version = 3\n"), qPrintable(app.error()));
    app.check("adr_click");
    app.click("arch_btn");
    QVERIFY(app.wait_idle(120000));
    QCOMPARE(app.text("arch_btn"), QStringLiteral("Архив прочитан"));
    const QStringList sent = app.sent_frames();
    QCOMPARE(sent.size(), 3 + 40);
    QCOMPARE(sent.mid(0, 3),
             (QStringList{"01 03 00 09 00 01 54 08", "01 03 00 08 00 01 05 c8", "01 03 00 04 00 03 44 0a"}));

    archive *window = AppOnLine::archive_window();
    QTemporaryDir dir;
    QVERIFY(window->save_to(dir.filePath("a.csv"), nullptr));
    QFile file(dir.filePath("a.csv"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).remove(QChar(0xFEFF)).split("\r\n");
    QCOMPARE(lines.value(0), QStringLiteral("Серийный номер;=\"0012345678ab\""));
    const QString meter = QStringLiteral("с/н 0012345678ab, адрес 1, %1").arg(lines.value(1).section(';', 1));
    QCOMPARE(window->windowTitle(), QString("Архив: %1; время чтения %2").arg(meter, lines.value(3).section(';', 1)));

    // The name the save dialog offers.
    QString offered;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
            answer.stop();
            offered = QFileInfo(dialog->selectedFiles().value(0)).fileName();
            QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
        }
    });
    answer.start(20);
    window->findChild<QPushButton *>("save_btn")->click();
    QVERIFY2(offered.startsWith("archive_0012345678ab_"), qPrintable(offered));

    // Kept in the journal under that number.
    QVERIFY(app.probe().journal()->wait_written(60000));
    QCOMPARE(app.status(), QString());
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "check");
        db.setDatabaseName("readings.sqlite");
        db.setConnectOptions("QSQLITE_OPEN_READONLY");
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec("SELECT DISTINCT serial FROM archive_records"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("0012345678ab"));
        QVERIFY(!q.next());
    }
    QSqlDatabase::removeDatabase("check");
}

void tst_e2e_archive::silent_meter()
{
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    QVERIFY(app.line().command("fault silence").startsWith("ok"));
    app.check("adr_click");
    app.click("arch_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.text("arch_btn"), QStringLiteral("Архив не прочитан"));
    QCOMPARE(app.status(), QStringLiteral("Соединение отсутствует"));
    QCOMPARE(app.status_style(), QStringLiteral("QLabel {color:red;}"));
    QCOMPARE(app.sent_frames().size(), 2);
}

void tst_e2e_archive::garbled_block_is_asked_again_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("bad CRC") << "badcrc";
    QTest::newRow("short") << "short";
    QTest::newRow("long") << "long";
    QTest::newRow("other meter") << "wrongaddr";
    QTest::newRow("split in pieces") << "split 4 5";
}

void tst_e2e_archive::garbled_block_is_asked_again()
{
    QFETCH(QString, fault);
    AppOnLine app;
    QVERIFY2(app.start({}, "version = 3\n"), qPrintable(app.error()));
    // The version, the model and the serial number are asked first: the third block is garbled.
    QVERIFY(app.line().command(QString("fault %1 count=1 after=5").arg(fault)).startsWith("ok"));
    app.check("adr_click");
    app.click("arch_btn");
    QVERIFY(app.wait_idle(120000));
    QCOMPARE(app.text("arch_btn"), QStringLiteral("Архив прочитан"));
    compare_table(app, 1, 3, 336, 0.001, 3); // no gap where the garbled block was
}

void tst_e2e_archive::bad_data_gives_up()
{
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    QVERIFY(app.line().command("fault long").startsWith("ok"));
    app.check("adr_click");
    app.set_text("ver_prot_line", "3");
    app.click("arch_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.text("arch_btn"), QStringLiteral("Некорректные данные архива"));
    QCOMPARE(app.status(), QStringLiteral("Неверные данные"));
    QCOMPARE(row_count(AppOnLine::archive_window()->table(1)), 0);
}

void tst_e2e_archive::failure_in_the_daily_archive()
{
    AppOnLine app;
    QVERIFY2(app.start({}, "version = 3\n"), qPrintable(app.error()));
    // After the version, the model, the serial number and the 20 blocks of the hourly archive.
    QVERIFY(app.line().command("fault silence after=23").startsWith("ok"));
    app.check("adr_click");
    app.click("arch_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.text("arch_btn"), QStringLiteral("Архив не прочитан"));
    QCOMPARE(row_count(AppOnLine::archive_window()->table(1)), 336);
    QVERIFY(!cell_text(AppOnLine::archive_window()->table(1), 335, 0).isEmpty());
    QCOMPARE(row_count(AppOnLine::archive_window()->table(2)), 0);
    QCOMPARE(row_count(AppOnLine::archive_window()->table(3)), 0);
    QCOMPARE(AppOnLine::archive_window()->findChild<QLabel *>("arch_state_label")->text(),
             QStringLiteral("Прочитано записей: 336 из 672"));
}

void tst_e2e_archive::unsupported_version()
{
    AppOnLine app;
    QVERIFY2(app.start({}, "reg 0x0009 = 4\n"), qPrintable(app.error()));
    app.check("adr_click");
    app.click("arch_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.text("arch_btn"), QStringLiteral("Некорректные параметры чтения"));
    QCOMPARE(app.sent_frames().size(), 1); // the version, and nothing after it
}

void tst_e2e_archive::port_not_started()
{
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    {
        MainWindow w;
        MainWindowProbe probe(w);
        w.findChild<QLineEdit *>("ver_prot_line")->setText("3");
        w.findChild<QPushButton *>("arch_btn")->click();
        QVERIFY(QTest::qWaitFor([&] { return !probe.reading_archive(); }, 10000));
        QCOMPARE(w.findChild<QLabel *>("label_31")->text(), QStringLiteral("Порт не открыт"));
        QCOMPARE(w.findChild<QPushButton *>("arch_btn")->text(), QStringLiteral("Архив не прочитан"));
    }
    QDir::setCurrent(previous);
}

void tst_e2e_archive::stopped_read_keeps_what_it_read()
{
    AppOnLine app;
    QVERIFY2(app.start({"--wire-time", "--baud", "9600"}, "version = 3\n"), qPrintable(app.error()));
    app.check("adr_click");
    app.set_text("ver_prot_line", "3");
    app.click("arch_btn");
    auto *progress = app.window().findChild<QProgressBar *>("progress_bar");
    QVERIFY(!progress->isHidden());
    // Stopped in the daily archive, after its first blocks.
    QVERIFY(app.wait_for([&] { return progress->value() >= 23; }));
    // Blocks read of the 40 of a version 3 meter, and the time left.
    const QRegularExpression shown(QStringLiteral("^\\d+ из 40, осталось \\d+ с$"));
    QVERIFY2(shown.match(progress->format()).hasMatch(), qPrintable(progress->format()));
    app.click("stop_btn");
    QVERIFY(!app.probe().reading_archive());
    QVERIFY(progress->isHidden());
    QCOMPARE(app.status(), QStringLiteral("Обмен остановлен"));
    QCOMPARE(app.text("arch_btn"), QStringLiteral("Архив не прочитан"));

    // The hourly archive whole, the daily one as far as it came, the rest of its rows empty.
    const QTableView *daily = AppOnLine::archive_window()->table(2);
    QCOMPARE(row_count(daily), 252);
    QVERIFY(!cell_text(daily, 0, 1).isEmpty());
    QVERIFY(cell_text(daily, 251, 1).isEmpty());
    int read = 0;
    while (read < 252 && !cell_text(daily, read, 1).isEmpty())
        ++read;
    QVERIFY(read >= 3 * 17);
    QCOMPARE(AppOnLine::archive_window()->findChild<QLabel *>("arch_state_label")->text(),
             QString("Прочитано записей: %1 из 672").arg(336 + read));

    // A poll at once: its first request waits for the stopped block's answer
    // still on the line, and says so; that answer ends the wait.
    app.click("param_btn");
    QVERIFY(!progress->isHidden());
    const QRegularExpression waiting(QStringLiteral("^Ожидание тишины на линии, \\d+ с$"));
    QVERIFY2(waiting.match(progress->format()).hasMatch(), qPrintable(progress->format()));
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QString());
    QCOMPARE(app.text("ver_prot_line"), QStringLiteral("3"));
}

void tst_e2e_archive::version_asked_first_data()
{
    QTest::addColumn<bool>("poll_another_meter_first");
    QTest::newRow("nothing read yet") << false;
    // The version shown is the meter at 3's; the archive is read from 17.
    QTest::newRow("another meter polled before") << true;
}

void tst_e2e_archive::version_asked_first()
{
    QFETCH(bool, poll_another_meter_first);
    AppOnLine app;
    QVERIFY2(app.start({}, riser), qPrintable(app.error()));
    app.check("adr_click");
    if (poll_another_meter_first) {
        app.set_text("adr_line", "3");
        app.click("param_btn");
        QVERIFY(app.wait_idle());
        QCOMPARE(app.text("ver_prot_line"), QStringLiteral("3"));
    }
    const int sent_before = app.sent_frames().size();
    app.set_text("adr_line", "17");
    app.click("arch_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.text("arch_btn"), QStringLiteral("Архив прочитан"));
    // The form keeps showing the meter it polled; the archive window is sized
    // by the version meter 17 said.
    QCOMPARE(app.text("ver_prot_line"), poll_another_meter_first ? QStringLiteral("3") : QStringLiteral("2"));
    QCOMPARE(app.sent_frames().at(sent_before), QStringLiteral("11 03 00 09 00 01 56 98"));
    QCOMPARE(row_count(AppOnLine::archive_window()->table(1)), 512);
}

// Records 5, 102, 199 and 296 of the hourly archive and the reading of
// 1 October 2023 in the monthly one are empty slots: the intervals beside
// them have no value, in the chart and in the report's months.
void tst_e2e_archive::missing_records_in_chart_and_report()
{
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    QVERIFY2(!pdftotext.isEmpty(), "pdftotext is not installed (tools/install-deps.sh: poppler-utils)");
    AppOnLine app;
    QVERIFY2(app.start({},
                       "archive.hourly.event7_first = 5\narchive.hourly.event7_every = 97\n"
                       "archive.monthly.event7_first = 3\narchive.monthly.event7_every = 100\n"),
             qPrintable(app.error()));
    app.address_meter(false);
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    app.click("arch_btn");
    QVERIFY(app.wait_idle(120000));
    QCOMPARE(app.text("arch_btn"), QStringLiteral("Архив прочитан"));

    // The hourly reading grows by 3 units (0.003 m3) an hour.
    auto *chart = AppOnLine::archive_window()->findChild<consumption_chart *>();
    QVERIFY(chart);
    QStringList unknown;
    for (const arc::ConsumptionPoint &p : chart->points()) {
        if (p.known)
            QVERIFY2(qAbs(p.value - 0.003) < 1e-9, qPrintable(p.end.toString() + ' ' + QString::number(p.value)));
        else
            unknown << p.start.toString("dd.MM hh:mm") + '-' + p.end.toString("dd.MM hh:mm");
    }
    QCOMPARE(unknown.size(), 4);
    QCOMPARE(unknown.last(), QStringLiteral("30.01 09:00-30.01 11:00"));

    QTemporaryDir dir;
    const QString path = dir.filePath("report.pdf");
    QString error;
    QVERIFY2(app.probe().save_report(path, &error), qPrintable(error));
    QProcess text;
    text.start(pdftotext, {"-layout", path, "-"});
    QVERIFY(text.waitForFinished(30000));
    const QString report = QString::fromUtf8(text.readAllStandardOutput()).simplified();
    // 900 units a month; the reading closing September is missing.
    for (const char *expected : {"08.2023 0.900", "09.2023 —", "10.2023 —", "11.2023 0.900"})
        QVERIFY2(report.contains(QString::fromUtf8(expected)), qPrintable(expected + ("\n---\n" + report)));
}

QTEST_MAIN(tst_e2e_archive)
#include "tst_e2e_archive.moc"
