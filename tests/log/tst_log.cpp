#include "link/hex_line.h"
#include "windows/main_window/log_class.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

class tst_log : public QObject
{
    Q_OBJECT
private slots:
    void frame_lines_data();
    void frame_lines();
    void append_and_clear();
    void typing_changes_nothing();
    void save_writes_the_shown_text();
    void save_failure_leaves_no_file();
    void a_shift_shows_its_tail_and_saves_everything();
    void time_prefix();
    void view_follows_new_lines();
};

void tst_log::frame_lines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected");
    QTest::newRow("request") << sent_line(QByteArray::fromHex("0103000900015408")) << "-> 01 03 00 09 00 01 54 08";
    QTest::newRow("0x0A and 0xFF") << received_line(QByteArray::fromHex("0aff")) << "<- 0a ff";
    QTest::newRow("nothing") << received_line(QByteArray()) << "<-";
}

void tst_log::frame_lines()
{
    QFETCH(QString, line);
    QFETCH(QString, expected);
    QCOMPARE(line, expected);
}

void tst_log::append_and_clear()
{
    LOG_class log;
    QCOMPARE(log.windowTitle(), QStringLiteral("Логи"));
    log.append("-> 01");
    log.append("<- 02\n");
    QCOMPARE(log.text(), QStringLiteral("-> 01\n<- 02\n"));

    log.findChild<QPushButton *>("clear_btn")->click();
    QCOMPARE(log.text(), QString());
    log.append("-> 03");
    QCOMPARE(log.text(), QStringLiteral("-> 03"));
}

void tst_log::typing_changes_nothing()
{
    LOG_class log;
    log.show();
    QVERIFY(QTest::qWaitForWindowExposed(&log));
    log.append("-> 01 03 00 09 00 01 54 08");
    auto *view = log.findChild<QTextEdit *>("textEdit");
    QVERIFY(view);
    view->setFocus();
    view->moveCursor(QTextCursor::End);
    QTest::keyClicks(view, "typed");
    QTest::keyClick(view, Qt::Key_Backspace);
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(log.text(), QStringLiteral("-> 01 03 00 09 00 01 54 08"));
    // Still appended to by the program.
    log.append("<- 01");
    QCOMPARE(log.text(), QStringLiteral("-> 01 03 00 09 00 01 54 08\n<- 01"));
}

void tst_log::save_writes_the_shown_text()
{
    LOG_class log;
    log.append("-> 01 03 00 09 00 01 54 08");
    log.append("<- 01 03 02 00 03 f8 45\n");
    log.append(QStringLiteral("Ошибка"));

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("log.txt");
    QString error;
    QVERIFY2(log.save_to(path, &error), qPrintable(error));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray saved = f.readAll();
    QCOMPARE(saved, log.text().toUtf8());
    // Plain UTF-8, LF only, the empty line after an answer kept.
    QCOMPARE(saved, QByteArray("-> 01 03 00 09 00 01 54 08\n<- 01 03 02 00 03 f8 45\n\nОшибка"));
}

void tst_log::save_failure_leaves_no_file()
{
    LOG_class log;
    log.append("-> 01");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString error;
    QVERIFY(!log.save_to(dir.path(), &error)); // a folder is in the way
    QVERIFY(!error.isEmpty());
    QVERIFY(QDir(dir.path()).isEmpty());
    QVERIFY(!log.save_to(dir.filePath("missing/log.txt"), &error));
    QVERIFY(QDir(dir.path()).isEmpty());
}

void tst_log::a_shift_shows_its_tail_and_saves_everything()
{
    LOG_class log;
    const int lines = LOG_class::shown_lines + 5;
    for (int i = 0; i < lines; ++i)
        log.append(QStringLiteral("-> %1").arg(i));
    auto *note = log.findChild<QLabel *>("log_tail_label");
    QVERIFY(note && !note->isHidden());
    QCOMPARE(note->text(), QStringLiteral("Показаны последние 10000 строк; «Сохранить» запишет весь лог"));
    QCOMPARE(log.text().count('\n') + 1, LOG_class::shown_lines);
    QVERIFY(log.text().startsWith("-> 5\n"));

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString error;
    QVERIFY2(log.save_to(dir.filePath("shift.txt"), &error), qPrintable(error));
    QFile saved(dir.filePath("shift.txt"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QList<QByteArray> saved_lines = saved.readAll().split('\n');
    QCOMPARE(saved_lines.size(), lines);
    QCOMPARE(saved_lines.first(), QByteArray("-> 0"));
    QCOMPARE(saved_lines.last(), QByteArray("-> ") + QByteArray::number(lines - 1));

    // "Очистить" starts the record afresh.
    log.findChild<QPushButton *>("clear_btn")->click();
    QVERIFY(note->isHidden());
    log.append("-> 01");
    QVERIFY(log.save_to(dir.filePath("after.txt"), &error));
    QFile after(dir.filePath("after.txt"));
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), QByteArray("-> 01"));
}

// Off by default (the lines above). Every line keeps its time from the
// start: ticked, the lines logged before show theirs too, to the millisecond,
// in the view and in the saved file alike; unticked, the times go again.
void tst_log::time_prefix()
{
    LOG_class log;
    log.show();
    auto *box = log.findChild<QCheckBox *>("log_time_box");
    QVERIFY(box && !box->isChecked());
    const QTime from = QTime::currentTime();
    log.append("-> 01");
    log.append("<- 01\n");
    const QTime to = QTime::currentTime();
    box->setChecked(true);

    const auto saved = [&log] {
        QTemporaryDir dir;
        QString error;
        if (!log.save_to(dir.filePath("log.txt"), &error))
            return error;
        QFile file(dir.filePath("log.txt"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : file.errorString();
    };
    const QStringList shown = log.text().split('\n');
    QCOMPARE(shown.size(), 3);
    QCOMPARE(shown[2], QString()); // the empty line after an answer stays empty
    const QRegularExpression stamped("^(\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d) (-> 01|<- 01)$");
    const auto since_from = [&from](const QTime &t) { return (from.msecsTo(t) + 86400000) % 86400000; };
    for (int k = 0; k < 2; ++k) {
        const QRegularExpressionMatch match = stamped.match(shown[k]);
        QVERIFY2(match.hasMatch(), qPrintable(shown[k]));
        const QTime at = QTime::fromString(match.captured(1), "hh:mm:ss.zzz");
        QVERIFY2(since_from(at) <= since_from(to), qPrintable(shown[k])); // midnight in between too
    }
    QCOMPARE(saved(), log.text());

    box->setChecked(false);
    QCOMPARE(log.text(), QStringLiteral("-> 01\n<- 01\n"));
    QCOMPARE(saved(), log.text());
}

// A long run keeps the newest line in sight, logged before the window was
// opened or while it is open; a reader who scrolled up keeps his place.
void tst_log::view_follows_new_lines()
{
    LOG_class log;
    for (int i = 0; i < 200; ++i)
        log.append(QStringLiteral("-> %1").arg(i));
    log.show();
    QVERIFY(QTest::qWaitForWindowExposed(&log));
    QScrollBar *bar = log.findChild<QTextEdit *>("textEdit")->verticalScrollBar();
    QTRY_VERIFY(bar->maximum() > 0 && bar->value() == bar->maximum());
    for (int i = 200; i < 400; ++i) {
        log.append(QStringLiteral("<- %1\n").arg(i));
        QCoreApplication::processEvents();
    }
    QTRY_VERIFY(bar->value() == bar->maximum());
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    const int kept = bar->value();
    QVERIFY(kept < bar->maximum());
    log.append("-> 400");
    QCoreApplication::processEvents();
    QCOMPARE(bar->value(), kept);
}

QTEST_MAIN(tst_log)
#include "tst_log.moc"
