// The Windows program on a real COM port: the main window against the meter
// stand-in, which tools/test-windows.sh serves on the Linux end of a pty that
// Wine maps to the COM port named in METER_PORT (e.g. COM12). Everything is
// driven and read the way an operator does: buttons, fields and the status
// line, found by their object names.
#include "table_cells.h"
#include "windows/main_window/mainwindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

// What the stand-in's built-in meter shows after a poll (sim/default.meter,
// protocol version 3, model 0x0C15 with factor 0.001 in models_counter.csv).
const struct
{
    const char *field;
    const char *text;
} polled_fields[] = {
    {"ver_prot_line", "3"},
    {"ver_PO_line", "1.05"},
    {"serial_num_line", "0012345678ab"},
    {"type_line", "6 хол. воды"},
    {"model_line", "c15 СВК-15 RS485"},
    {"real_time_line", "30.01.2024 15:42:10"},
    {"real_state_lin", "12.346"},
    {"state_houer_line", "12.345"},
    {"real_obr_line", "0.040"},
};

// A real event loop between the looks. QTest's QTRY_ macros process events
// without ever waiting alertably, and on Windows the serial port's completion
// routines run only in an alertable wait: under them no answer would arrive.
bool wait_until(const std::function<bool()> &condition, int timeout_ms)
{
    // The condition is asked once per look and never again after it held: a
    // look may press a button.
    bool met = condition();
    if (met)
        return true;
    QEventLoop loop;
    QTimer look;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (!met && condition()) {
            met = true;
            loop.quit();
        }
    });
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    look.start(5);
    deadline.start(timeout_ms);
    loop.exec();
    return met;
}

QWidget *archive_window()
{
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->findChild<QTableView *>(QStringLiteral("tableWidget_3")))
            return top;
    }
    return nullptr;
}

} // namespace

class tst_win_on_line : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void poll_write_and_archive();

private:
    QString text(const char *name);
    void click(const char *name);
    void check(const char *name);
    void set_text(const char *name, const QString &text);
    QString status() { return text("label_31"); }
    bool press_until_taken(const char *name);

    std::unique_ptr<QTemporaryDir> work_dir;
    QString previous_dir;
    std::unique_ptr<MainWindow> window;
};

void tst_win_on_line::init()
{
    const QString port = qEnvironmentVariable("METER_PORT");
    QVERIFY2(!port.isEmpty(), "METER_PORT names the COM port the stand-in answers on");
    work_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(work_dir->isValid());
    previous_dir = QDir::currentPath();
    // Copied before changing folders: under Wine the temporary folder is on
    // another drive, where the file's path without a drive letter leads nowhere.
    QVERIFY(QFile::copy(QStringLiteral(MODELS_CSV), work_dir->filePath(QStringLiteral("models_counter.csv"))));
    // The program keeps settings.txt and models_counter.csv beside itself, in
    // its working directory: port, baud rate, stop bits, the four periods
    // (the program's defaults), parity.
    QDir::setCurrent(work_dir->path());
    QFile settings(QStringLiteral("settings.txt"));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write(port.toLatin1() + "\r\n9600\r\n1\r\n300\r\n1000\r\n700\r\n2000\r\n0\r\n");
    settings.close();
    window = std::make_unique<MainWindow>();
    window->show();
}

void tst_win_on_line::cleanup()
{
    window.reset();
    QDir::setCurrent(previous_dir);
    work_dir.reset();
}

QString tst_win_on_line::text(const char *name)
{
    QObject *object = window->findChild<QObject *>(QLatin1String(name));
    if (auto *edit = qobject_cast<QLineEdit *>(object))
        return edit->text();
    if (auto *label = qobject_cast<QLabel *>(object))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(object))
        return button->text();
    qFatal("no text widget %s", name);
    return {};
}

void tst_win_on_line::click(const char *name)
{
    auto *button = window->findChild<QAbstractButton *>(QLatin1String(name));
    if (!button)
        qFatal("no button %s", name);
    button->click();
}

void tst_win_on_line::check(const char *name)
{
    auto *box = window->findChild<QAbstractButton *>(QLatin1String(name));
    if (!box)
        qFatal("no check box %s", name);
    box->setChecked(true);
}

void tst_win_on_line::set_text(const char *name, const QString &value)
{
    auto *edit = window->findChild<QLineEdit *>(QLatin1String(name));
    if (!edit)
        qFatal("no field %s", name);
    edit->setText(value);
}

// While another exchange runs, a press starts nothing and the status line says
// "Дождитесь окончания обмена"; the operator presses again. A press that is
// taken clears the status line at once.
bool tst_win_on_line::press_until_taken(const char *name)
{
    return wait_until(
        [&] {
            click(name);
            return status() != QStringLiteral("Дождитесь окончания обмена");
        },
        60000);
}

// One session at the desk: open the port, read the meter, read its archives,
// change its save date and read it back.
void tst_win_on_line::poll_write_and_archive()
{
    click("start_btn");
    QCOMPARE(text("start_btn"), QStringLiteral("Соединение установлено"));

    check("adr_click");
    set_text("adr_line", QStringLiteral("1"));
    // The save date is the last field a poll fills: cleared first, it tells
    // when the poll is through.
    set_text("date_line_w", QString());
    click("param_btn");
    QVERIFY2(wait_until([&] { return !text("date_line_w").isEmpty(); }, 60000),
             qPrintable("poll did not complete; status: " + status()));
    QCOMPARE(text("date_line_w"), QStringLiteral("1"));
    QCOMPARE(status(), QString());
    for (const auto &f : polled_fields)
        QCOMPARE(text(f.field), QString::fromUtf8(f.text));

    // The archive read fills the three tables: hourly, daily, monthly records
    // of a version 3 meter, with a header row each.
    QVERIFY(press_until_taken("arch_btn"));
    QVERIFY2(wait_until([&] { return text("arch_btn") != QStringLiteral("Идет чтение архива"); }, 300000),
             "the archive read did not end");
    QCOMPARE(text("arch_btn"), QStringLiteral("Архив прочитан"));
    QWidget *archive = archive_window();
    QVERIFY(archive);
    const char *const tables[] = {"tableWidget", "tableWidget_2", "tableWidget_3"};
    const int rows[] = {336, 252, 84};
    for (int i = 0; i < 3; ++i) {
        auto *table = archive->findChild<QTableView *>(QLatin1String(tables[i]));
        QVERIFY(table);
        QCOMPARE(row_count(table), rows[i]);
        QCOMPARE(header_text(table, 0), QStringLiteral("Номер записи"));
    }

    // The write: the meter's save date becomes 28. The status says it was
    // confirmed; a poll shows what the meter now holds.
    set_text("date_line_w", QStringLiteral("28"));
    check("date_save_w");
    QVERIFY(press_until_taken("write_btn"));
    QVERIFY2(wait_until([&] { return !status().isEmpty(); }, 60000), "the write did not end");
    QCOMPARE(status(), QStringLiteral("Запись завершена"));
    set_text("date_line_w", QString());
    click("param_btn");
    QVERIFY2(wait_until([&] { return !text("date_line_w").isEmpty(); }, 60000),
             qPrintable("second poll did not complete; status: " + status()));
    QCOMPARE(text("date_line_w"), QStringLiteral("28"));
    QCOMPARE(status(), QString());
}

QTEST_MAIN(tst_win_on_line)
#include "tst_win_on_line.moc"
