// "Считать все" and "Установить время всем" against the stand-in playing a
// riser: three meters, one of them gone quiet since the search, and a device
// that answers garbage.
#include "app_on_line.h"
#include "journal/journal_store.h"
#include "link/frames.h"
#include "link/serial_number.h"
#include "meter/poll.h"
#include "meter/write_values.h"
#include "model/meter_model.h"
#include "model/quantity.h"
#include "riser.h"
#include "scan/line_readout.h"
#include "windows/line/scan_window.h"
#include "windows/service/watch_window.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QtTest>

Q_DECLARE_METATYPE(MeterTarget)
Q_DECLARE_METATYPE(PollValues)

namespace {

// The stand-ins' frozen clock, 30.01.2024 15:42:10 on the meters' wall.
const qint32 riser_clock = 1706629330;

QTableView *riser_table(AppOnLine &app)
{
    return app.window().findChild<QTableView *>("riser_table");
}

QStringList row(AppOnLine &app, int r)
{
    const QAbstractItemModel *model = riser_table(app)->model();
    QStringList cells;
    for (int c = 0; c < model->columnCount(); ++c)
        cells << model->index(r, c).data().toString();
    return cells;
}

// A cell of the table as the CSV file and the clipboard give it to a
// spreadsheet: a decimal comma, the serial number as text, no "--".
QString spreadsheet_value(int column, const QString &shown)
{
    if (column == 1)
        return shown.isEmpty() ? shown : QStringLiteral("=\"%1\"").arg(shown);
    if (shown == QStringLiteral("--"))
        return QString();
    return QRegularExpression("^-?[0-9]+\\.[0-9]+$").match(shown).hasMatch() ? QString(shown).replace('.', ',') : shown;
}

// The offset shown is the meter's clock less the computer's when it was
// read, some time between `from` and `to`.
bool offset_between(const QString &shown, qint32 meter_seconds, const QDateTime &from, const QDateTime &to)
{
    bool ok = false;
    const qint64 value = shown.toLongLong(&ok);
    return ok && value >= scan::clock_offset_s(meter_seconds, to) - 1
        && value <= scan::clock_offset_s(meter_seconds, from) + 1 && (value <= 0 || shown.startsWith('+'));
}

qint64 stand_in_clock(AppOnLine &app, int meter)
{
    const auto reg = [&](const char *r) {
        return app.line().command(QStringLiteral("meter %1 get %2").arg(meter).arg(r)).mid(3).toLongLong();
    };
    return reg("0x1000") | reg("0x1001") << 16;
}

int first_request_to(const QStringList &frames, int address, int from = 0)
{
    const QString head = QStringLiteral("%1").arg(address, 2, 16, QLatin1Char('0'));
    for (int i = from; i < frames.size(); ++i)
        if (frames[i].startsWith(head))
            return i;
    return -1;
}

// Presses a save button and answers its file dialog with `name` in the
// folder it offers; the name it offered goes to `offered`. Returns the path
// saved to, empty when nothing was saved there.
QString save_through_dialog(AppOnLine &app, const char *button, const QString &name, QString *offered)
{
    if (!app.window().findChild<QPushButton *>(button)->isEnabled())
        return QString();
    QString path;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        answer.stop();
        *offered = QFileInfo(dialog->selectedFiles().value(0)).fileName();
        path = dialog->directory().filePath(name);
        // Typed as the operator types it: selectFile() leaves a focused name field as it is.
        dialog->findChild<QLineEdit *>("fileNameEdit")->setText(name);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
    answer.start(20);
    app.click(button);
    return QFile::exists(path) ? path : QString();
}

// A saved CSV file's lines, each split at the separator (no field here holds one).
QList<QStringList> csv_lines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        return {};
    QList<QStringList> lines;
    for (const QString &line : QString::fromUtf8(bytes.mid(3)).split("\r\n"))
        lines << line.split(';');
    return lines;
}

} // namespace

class tst_e2e_riser : public QObject
{
    Q_OBJECT
private slots:
    void reads_the_line_and_sets_every_clock();
};

void tst_e2e_riser::reads_the_line_and_sets_every_clock()
{
    AppOnLine app;
    QVERIFY2(app.start({}, riser), qPrintable(app.error()));
    app.click("scan_btn");
    auto *window = app.window().findChild<ScanWindow *>();
    QVERIFY(window);
    app.window().findChild<QSpinBox *>("scan_to_box")->setValue(200);
    // Wait enough for a loaded machine: a meter missed by the search is not in the pass.
    app.window().findChild<QSpinBox *>("scan_wait_box")->setValue(100);
    app.click("scan_start_btn");
    QVERIFY(app.wait_for([&] { return !window->running(); }, 120000));
    QCOMPARE(app.window().findChild<QTableView *>("scan_table")->model()->rowCount(), 4);

    // The journal knows meter 17 by its apartment.
    {
        journal::Connection journal;
        journal.file = QDir::current().absoluteFilePath("readings.sqlite");
        journal::Store store(journal);
        QVERIFY(store.open() && store.store_label("00a1b2c3d405", "кв. 17", "Стояк"));
    }
    // The meter at 3 has been taken off the line since the search.
    QVERIFY(app.line().command("meter 1 fault silence").startsWith("ok"));
    const int frames_before = app.sent_frames().size();
    qRegisterMetaType<MeterTarget>();
    qRegisterMetaType<PollValues>();
    QSignalSpy read(window, &ScanWindow::meter_read);
    const QDateTime read_from = QDateTime::currentDateTime();
    app.click("read_all_btn");
    // Meters done of the meters to do, in the status bar as for every run.
    auto *progress = app.window().findChild<QProgressBar *>("progress_bar");
    QVERIFY(!progress->isHidden());
    QCOMPARE(progress->format(), QStringLiteral("0 из 4"));
    QVERIFY(app.wait_for([&] { return app.text("riser_status").startsWith("Считано"); }, 120000));

    QCOMPARE(app.text("riser_status"), QStringLiteral("Считано 2 из 4"));
    QVERIFY(progress->isHidden());
    const QDateTime read_to = QDateTime::currentDateTime();
    const QStringList meter_3 = row(app, 0), meter_17 = row(app, 1), garbage = row(app, 2), meter_200 = row(app, 3);
    // A meter that failed keeps the serial number the search found.
    QCOMPARE(meter_3, (QStringList{"3", "0012345678ab", "", "", "", "", "", "", "", "", "Соединение отсутствует", ""}));
    QCOMPARE(meter_17.mid(0, 9),
             (QStringList{"17", "00a1b2c3d405", "c16 СВГ-15 RS485", "2", "12.346", "нет", "м3", "0",
                          "30.01.2024 15:42:10"}));
    QVERIFY2(offset_between(meter_17[9], riser_clock, read_from, read_to), qPrintable(meter_17[9]));
    QCOMPARE(meter_17[10], QStringLiteral("OK"));
    QCOMPARE(meter_17[11], QStringLiteral("кв. 17")); // the journal's label
    QCOMPARE(garbage, (QStringList{"100", "", "", "", "", "", "", "", "", "", "Некорректные данные", ""}));
    // A model the table does not know: its volumes are counted units, and its
    // row says so.
    QCOMPARE(meter_200.mid(0, 9),
             (QStringList{"200", "0031415926f0", "7777 неизвестная", "3", "12346", "40", "ед.", "0",
                          "30.01.2024 15:42:10"}));
    QCOMPARE(meter_200[10], QStringLiteral("OK"));
    const QAbstractItemModel *table = riser_table(app)->model();
    QCOMPARE(table->index(0, 10).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
    QCOMPARE(table->headerData(4, Qt::Horizontal).toString(), QStringLiteral("Показания"));
    QCOMPARE(table->headerData(6, Qt::Horizontal).toString(), QStringLiteral("Единица"));

    // Saved as shown, the serial numbers as text a spreadsheet keeps whole.
    QString riser_name;
    const QString riser_file = save_through_dialog(app, "riser_export_btn", "riser.csv", &riser_name);
    QVERIFY(!riser_file.isEmpty());
    const QList<QStringList> saved = csv_lines(riser_file);
    QCOMPARE(saved.value(0).value(0), QStringLiteral("Время чтения"));
    QCOMPARE(saved.value(1), (QStringList{"Итог", "Считано 2 из 4"}));
    QCOMPARE(saved.size(), 9); // the last line ended
    // Ctrl+C over the whole table gives a spreadsheet what the file gives it.
    riser_table(app)->selectAll();
    QTest::keySequence(riser_table(app), QKeySequence::Copy);
    const QStringList copied = QApplication::clipboard()->text().split('\n');
    QCOMPARE(copied.size(), 5); // the last line ended
    // The table, the file and the clipboard agree cell by cell.
    for (int r = 0; r < 4; ++r) {
        const QStringList shown = row(app, r);
        const QStringList pasted = copied.value(r).split('\t');
        QCOMPARE(saved.value(4 + r).size(), shown.size());
        QCOMPARE(pasted.size(), shown.size());
        for (int c = 0; c < shown.size(); ++c) {
            QCOMPARE(saved.value(4 + r).value(c), spreadsheet_value(c, shown[c]));
            QCOMPARE(pasted.value(c), spreadsheet_value(c, shown[c]));
        }
    }
    QCOMPARE(saved.value(5).mid(4, 3), (QStringList{"12,346", "нет", "м3"}));
    QCOMPARE(saved.value(7).mid(4, 3), (QStringList{"12346", "40", "ед."}));
    QCOMPARE(saved.value(3).value(4), QStringLiteral("Показания"));

    // The two that failed were asked again after the others.
    const QStringList frames = app.sent_frames().mid(frames_before);
    const int to_200 = first_request_to(frames, 200);
    QVERIFY(to_200 > 0);
    QVERIFY(first_request_to(frames, 3, to_200) > to_200);
    QVERIFY(first_request_to(frames, 100, to_200) > to_200);

    // The seam for whoever keeps the readings: each meter read whole, once.
    QCOMPARE(read.size(), 2);
    QCOMPARE(read[0][0].value<MeterTarget>().address, quint8(17));
    QCOMPARE(read[0][1].value<PollValues>().serial, pack_serial_number(QStringLiteral("00a1b2c3d405")));
    QCOMPARE(read[1][1].value<PollValues>().volume_units, std::optional<qint32>(12346));

    // And the journal keeps them: the file opened beside the running program.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "check");
        db.setDatabaseName("readings.sqlite");
        db.setConnectOptions("QSQLITE_OPEN_READONLY");
        QVERIFY(db.open());
        const auto kept = [&db] {
            QStringList rows;
            QSqlQuery q(db);
            q.exec("SELECT serial, address, volume_units FROM readings ORDER BY serial");
            while (q.next())
                rows << q.value(0).toString() + " " + q.value(1).toString() + " " + q.value(2).toString();
            return rows;
        };
        QTRY_COMPARE_WITH_TIMEOUT(kept(), (QStringList{"0031415926f0 200 12346", "00a1b2c3d405 17 12346"}), 20000);
        db.close();
    }
    QSqlDatabase::removeDatabase("check");

    // Asked first: cancelled, nothing is sent.
    const int frames_before_sync = app.sent_frames().size();
    app.answer_questions(QMessageBox::Cancel);
    app.click("sync_all_btn");
    QCOMPARE(app.text("riser_status"), QStringLiteral("Установка времени отменена"));
    QCOMPARE(app.sent_frames().size(), frames_before_sync);
    QVERIFY2(app.questions().value(0).contains("Ответивших счетчиков: 2, из них расходятся с компьютером более чем "
                                               "на 10 с: 2."),
             qPrintable(app.questions().value(0)));

    // Only the meters that answered have their clock set, both off by years.
    app.answer_questions(QStringLiteral("sync_off_btn"));
    const QDateTime sync_from = QDateTime::currentDateTime();
    app.click("sync_all_btn");
    QVERIFY(app.wait_for([&] { return app.text("riser_status").startsWith("Время установлено"); }, 60000));
    QCOMPARE(app.text("riser_status"), QStringLiteral("Время установлено на 2 из 2"));
    const QDateTime sync_to = QDateTime::currentDateTime();
    // The stand-ins' clocks are frozen at what was written: a time of the sync,
    // and the offset read back is the time since then, to the second.
    for (int meter : {2, 3}) {
        const int r = meter == 2 ? 1 : 3;
        QCOMPARE(row(app, r)[10], QStringLiteral("Время установлено"));
        const qint64 written = stand_in_clock(app, meter);
        QVERIFY2(written >= meter_clock_value(wall_time_as_utc(sync_from)) - 1
                     && written <= meter_clock_value(wall_time_as_utc(sync_to)) + 1,
                 qPrintable(QString::number(written)));
        QVERIFY2(offset_between(row(app, r)[9], qint32(written), sync_from, sync_to), qPrintable(row(app, r)[9]));
        QVERIFY(row(app, r)[9].toInt() <= 0);
    }
    QCOMPARE(stand_in_clock(app, 1), qint64(riser_clock));
    QCOMPARE(row(app, 0)[10], QStringLiteral("Соединение отсутствует"));

    // The report lists the clock writes as it does the single write's.
    const QList<SessionWrite> &writes = app.probe().meter().writes();
    QCOMPARE(writes.size(), 2);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(writes[i].meter, i == 0 ? QStringLiteral("адрес 17") : QStringLiteral("адрес 200"));
        QCOMPARE(writes[i].what, QStringLiteral("Время"));
        QCOMPARE(writes[i].value, quantity::clock(qint32(stand_in_clock(app, i == 0 ? 2 : 3))));
        QCOMPARE(writes[i].outcome, QStringLiteral("подтверждено"));
    }

    // A watch of the meter at 17, its rows saved under its serial number.
    app.check("adr_click");
    app.set_text("adr_line", "17");
    app.window().findChild<QSpinBox *>("watch_period_box")->setValue(1);
    app.click("watch_btn");
    auto *watch = app.window().findChild<WatchWindow *>();
    QVERIFY(watch);
    const QAbstractItemModel *watch_table = watch->findChild<QTableView *>("watch_table")->model();
    QVERIFY(app.wait_for([&] { return watch_table->rowCount() >= 2; }, 60000));
    app.click("watch_btn");
    QVERIFY(app.wait_idle());
    QString watch_name;
    const QString watch_file = save_through_dialog(app, "watch_export_btn", "watch.csv", &watch_name);
    QVERIFY(!watch_file.isEmpty());
    const QList<QStringList> watched = csv_lines(watch_file);
    QCOMPARE(watched.value(0), (QStringList{"Серийный номер", "=\"00a1b2c3d405\""}));
    QCOMPARE(watched.size(), 6 + watch_table->rowCount() + 1);
    for (int r = 0; r < watch_table->rowCount(); ++r) {
        QCOMPARE(watched.value(6 + r).value(0), watch_table->index(r, 0).data().toString());
        QCOMPARE(watched.value(6 + r).value(1), watch_table->index(r, 1).data().toString());
        QCOMPARE(watched.value(6 + r).value(2), watch_table->index(r, 2).data().toString().replace('.', ','));
    }
    // Each kind of file offers a name of its own.
    QVERIFY2(riser_name.startsWith("riser_"), qPrintable(riser_name));
    QVERIFY2(watch_name.startsWith("watch_00a1b2c3d405_"), qPrintable(watch_name));
}

QTEST_MAIN(tst_e2e_riser)
#include "tst_e2e_riser.moc"
