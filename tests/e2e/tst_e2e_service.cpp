// The service tools against the meter stand-in: any register by either
// addressing, a watched meter whose volume grows, and the service report.
#include "app_on_line.h"
#include "config/interface_language.h"
#include "windows/service/register_window.h"
#include "windows/service/watch_window.h"

#include <QLabel>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QProcess>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>

namespace {

RegisterWindow *open_registers(AppOnLine &app)
{
    app.click("registers_btn");
    auto *w = app.window().findChild<RegisterWindow *>();
    if (w)
        w->confirm = [](const QString &) { return true; };
    return w;
}

QString field(QWidget *w, const char *name)
{
    if (auto *label = w->findChild<QLabel *>(name))
        return label->text();
    return w->findChild<QLineEdit *>(name)->text();
}

void type(QWidget *w, const char *name, const QString &text)
{
    w->findChild<QLineEdit *>(name)->setText(text);
}

void press(QWidget *w, const char *name)
{
    QTest::mouseClick(w->findChild<QPushButton *>(name), Qt::LeftButton);
}

QString cell(QTableView *table, int row, int column)
{
    return table->model()->index(row, column).data().toString();
}

} // namespace

class tst_e2e_service : public QObject
{
    Q_OBJECT
private slots:
    void registers_by_either_addressing_data();
    void registers_by_either_addressing();
    void exception_shown_data();
    void exception_shown();
    void write_confirmation_in_russian();
    void bad_inputs_send_nothing_data();
    void bad_inputs_send_nothing();
    void watch_rows_follow_the_flow();
    void report_holds_what_was_read();
};

void tst_e2e_service::registers_by_either_addressing_data()
{
    QTest::addColumn<bool>("by_serial");
    QTest::addColumn<bool>("pairs");
    QTest::newRow("device address, two 16-bit values (0x10)") << false << false;
    QTest::newRow("serial number, one 32-bit value (0x43)") << true << true;
}

void tst_e2e_service::registers_by_either_addressing()
{
    QFETCH(bool, by_serial);
    QFETCH(bool, pairs);
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    app.address_meter(by_serial);
    RegisterWindow *w = open_registers(app);
    QVERIFY(w);

    // The clock and the volume, low register first.
    type(w, "reg_first_line", "0x1002");
    type(w, "reg_count_line", "2");
    press(w, "reg_read_btn");
    QVERIFY(app.wait_for([&] { return field(w, "reg_status").startsWith("Считано"); }));
    auto *table = w->findChild<QTableWidget *>("reg_table");
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(cell(table, 0, 0), QStringLiteral("0x1002"));
    QCOMPARE(cell(table, 0, 2), QStringLiteral("12346"));
    QCOMPARE(cell(table, 0, 4), QStringLiteral("12346"));

    // Rate code 2 and parity 0x0201: as two registers, or as one 32-bit value.
    type(w, "reg_first_line", "0x0301");
    w->findChild<QCheckBox *>("reg_pairs_click")->setChecked(pairs);
    type(w, "reg_values_line", pairs ? "0x02010002" : "2 0x0201");
    press(w, "reg_write_btn");
    QVERIFY(app.wait_for([&] { return field(w, "reg_status") == "Записано и прочитано обратно"; }));
    QCOMPARE(app.sim_register(0x0301), 2L);
    QCOMPARE(app.sim_register(0x0302), 0x0201L);
    QCOMPARE(cell(table, 1, 1), QStringLiteral("0x0201"));
    const QStringList sent = app.sent_frames();
    QVERIFY2(sent.size() >= 2, qPrintable(sent.join('\n')));
    QVERIFY(sent[sent.size() - 2].startsWith(by_serial ? "fd 43 78 ab 34 56 00 12 03 01 00 02 04" : "01 10 03 01"));
}

void tst_e2e_service::exception_shown_data()
{
    QTest::addColumn<bool>("by_serial");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("answer");
    QTest::newRow("the meter's refusal") << false << QString() << "Не записано: Неверное значение параметра"
                                         << "<- 01 86 03";
    // The same refusal with another address byte is no answer of the meter's.
    QTest::newRow("refusal from another address") << false << "fault wrongaddr count=1"
                                                  << "Не записано: Некорректные данные"
                                                  << "<- 02 86 03";
    QTest::newRow("refusal by serial from another address") << true << "fault wrongaddr count=1"
                                                            << "Не записано: Некорректные данные"
                                                            << "<- fe c2 03";
}

void tst_e2e_service::exception_shown()
{
    QFETCH(bool, by_serial);
    QFETCH(QString, fault);
    QFETCH(QString, status);
    QFETCH(QString, answer);
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    if (!fault.isEmpty())
        QVERIFY(app.line().command(fault).startsWith("ok"));
    app.address_meter(by_serial);
    RegisterWindow *w = open_registers(app);
    type(w, "reg_first_line", "0x0303");
    type(w, "reg_values_line", "40"); // a save date is 1..31
    press(w, "reg_write_btn");
    QVERIFY(app.wait_for([&] { return field(w, "reg_status").startsWith("Не записано"); }));
    QCOMPARE(field(w, "reg_status"), status);
    QCOMPARE(app.sim_register(0x0303), 1L);
    QVERIFY2(app.log_text().contains(answer), qPrintable(app.log_text()));
}

// Qt's own buttons speak the interface's language: the operator answers "Нет"
// and nothing is written.
void tst_e2e_service::write_confirmation_in_russian()
{
    if (!install_qt_russian(qApp)) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
        const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#else
        const QString folder = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
#endif
        QSKIP(qPrintable("qtbase_ru.qm is neither built in nor in " + folder
                         + " (Debian: qttranslations5-l10n, qt6-translations-l10n)"));
    }
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    app.address_meter(false);
    app.click("registers_btn");
    auto *w = app.window().findChild<RegisterWindow *>();
    QVERIFY(w);
    type(w, "reg_first_line", "0x0303");
    type(w, "reg_values_line", "12");

    QStringList buttons;
    QTimer answer;
    connect(&answer, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        answer.stop();
        for (QAbstractButton *b : box->buttons())
            buttons << b->text().remove('&');
        box->button(QMessageBox::No)->click();
    });
    answer.start(20);
    press(w, "reg_write_btn"); // returns once the question is answered

    for (QTranslator *translator : qApp->findChildren<QTranslator *>())
        qApp->removeTranslator(translator);
    buttons.sort();
    QCOMPARE(buttons, (QStringList{"Да", "Нет"}));
    QCOMPARE(field(w, "reg_status"), QStringLiteral("Запись отменена"));
    QVERIFY(app.sent_frames().isEmpty());
    QCOMPARE(app.sim_register(0x0303), 1L);
}

void tst_e2e_service::bad_inputs_send_nothing_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("values"); // empty: a read
    QTest::addColumn<QString>("message");
    QTest::newRow("register past 0xFFFF") << "70000"
                                          << "1"
                                          << ""
                                          << "Неверный номер регистра";
    QTest::newRow("more than a frame holds") << "0"
                                             << "126"
                                             << ""
                                             << "Неверное количество";
    QTest::newRow("a count past the last register") << "0xFFFF"
                                                    << "2"
                                                    << ""
                                                    << "Неверное количество";
    QTest::newRow("a value that is no number") << "0x0303"
                                               << "1"
                                               << "5 x"
                                               << "«x» — не число";
    QTest::newRow("a value past 16 bits") << "0x0303"
                                          << "1"
                                          << "65536"
                                          << "«65536» вне пределов 16 бит";
    QTest::newRow("nothing to write") << "0x0303"
                                      << "1"
                                      << " "
                                      << "Введите значения";
}

void tst_e2e_service::bad_inputs_send_nothing()
{
    QFETCH(QString, first);
    QFETCH(QString, count);
    QFETCH(QString, values);
    QFETCH(QString, message);
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    app.address_meter(false);
    RegisterWindow *w = open_registers(app);
    type(w, "reg_first_line", first);
    type(w, "reg_count_line", count);
    type(w, "reg_values_line", values);
    press(w, values.isEmpty() ? "reg_read_btn" : "reg_write_btn");
    QVERIFY2(field(w, "reg_status").startsWith(message), qPrintable(field(w, "reg_status")));
    QTest::qWait(200); // whatever would have left has left by now
    QCOMPARE(app.sent_frames(), QStringList());
}

void tst_e2e_service::watch_rows_follow_the_flow()
{
    AppOnLine app;
    // 5 units a second at the model's 0.001 m3: 18 m3/h.
    QVERIFY2(app.start({}, "flow = 5\n"), qPrintable(app.error()));
    app.address_meter(false);
    app.window().findChild<QSpinBox *>("watch_period_box")->setValue(1);
    app.click("watch_btn");
    auto *w = app.window().findChild<WatchWindow *>();
    QVERIFY(w);
    auto *table = w->findChild<QTableView *>("watch_table");
    QVERIFY(app.wait_for([&] { return table->model()->rowCount() >= 4; }, 60000));
    QCOMPARE(app.text("watch_btn"), QStringLiteral("Стоп наблюдения"));
    app.click("param_btn"); // the line is the watch's while it runs
    QCOMPARE(app.status(), QStringLiteral("Идёт наблюдение: остановите его"));
    // A round the meter leaves unanswered is told in the words of every window.
    QVERIFY(app.line().command("fault silence").startsWith("ok"));
    auto *status = w->findChild<QLabel *>("watch_status");
    QVERIFY2(
        app.wait_for([&] { return status->text().endsWith(": Соединение отсутствует; пропущено опросов: 1"); }, 60000),
        qPrintable(status->text()));
    QVERIFY(app.line().command("fault clear").startsWith("ok"));
    app.click("watch_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.text("watch_btn"), QStringLiteral("Наблюдение"));

    QCOMPARE(table->model()->headerData(4, Qt::Horizontal).toString(), QStringLiteral("Расход, м3/ч"));
    QCOMPARE(cell(table, 0, 3), QStringLiteral("0.000"));
    const int rows = table->model()->rowCount();
    const double change = cell(table, rows - 1, 3).toDouble();
    QVERIFY2(change > 0.0, qPrintable(cell(table, rows - 1, 3)));
    QCOMPARE(cell(table, rows - 1, 2).toDouble(), cell(table, 0, 2).toDouble() + change);
    for (int row = 1; row < rows; ++row) {
        // The stand-in's clock and the program's differ by the line's delays.
        const double flow = cell(table, row, 4).toDouble();
        QVERIFY2(flow > 9.0 && flow < 36.0, qPrintable(cell(table, row, 4)));
    }
    QCOMPARE(w->findChild<WatchChart *>("watch_chart")->points().size(), rows);
    // Every round's frames are in the log.
    QVERIFY(app.sent_frames().filter("01 03 10 02 00 02").size() >= rows);
    QVERIFY(app.wait_for([&] { return !w->watching(); }));
    QTest::qWait(1500); // a stopped watch adds nothing
    QCOMPARE(table->model()->rowCount(), rows);
}

void tst_e2e_service::report_holds_what_was_read()
{
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    QVERIFY2(!pdftotext.isEmpty(), "pdftotext is not installed (tools/install-deps.sh: poppler-utils)");
    AppOnLine app;
    QVERIFY2(app.start(), qPrintable(app.error()));
    app.address_meter(false);
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.status(), QString());
    RegisterWindow *w = open_registers(app);
    type(w, "reg_first_line", "0x0303");
    type(w, "reg_values_line", "12");
    press(w, "reg_write_btn");
    QVERIFY(app.wait_for([&] { return field(w, "reg_status") == "Записано и прочитано обратно"; }));

    QCOMPARE(app.probe().report_file_name(),
             QString("0012345678ab_%1_report.pdf").arg(QDate::currentDate().toString("yyyy-MM-dd")));
    QTemporaryDir dir;
    const QString path = dir.filePath(app.probe().report_file_name());
    QString error;
    QVERIFY2(app.probe().save_report(path, &error), qPrintable(error));
    if (qEnvironmentVariableIsSet("KEEP_REPORT"))
        QFile::copy(path, qEnvironmentVariable("KEEP_REPORT"));
    QProcess text;
    text.start(pdftotext, {"-layout", path, "-"});
    QVERIFY(text.waitForFinished(30000));
    const QString report = QString::fromUtf8(text.readAllStandardOutput()).simplified();
    const LineStats &stats = app.probe().line_stats();
    for (const QString &expected :
         {QString("Сервисный отчёт счётчика 0012345678ab"), QString("Текущий объём 12.346 м3"),
          QString("Часы счётчика 30.01.2024 15:42:10"), QString("Версия ПО 1.05"), QString("регистры с"),
          QString("0x000C"), QString("записано и прочитано"), QString("Запросов %1").arg(stats.requests),
          QString("Ответов %1").arg(stats.answers), QString("Без ответа 0")}) {
        QVERIFY2(report.contains(expected), qPrintable(expected + "\n---\n" + report));
    }
    QVERIFY(stats.requests > 30);
}

QTEST_MAIN(tst_e2e_service)
#include "tst_e2e_service.moc"
