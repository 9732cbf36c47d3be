#include "config/port_settings.h"
#include "mainwindow_probe.h"
#include "test_bytes.h"
#include "windows/main_window/mainwindow.h"
#include "windows/widgets/screen_fit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>

namespace {

const QByteArray models = "Модель,Код,Примечание,Множитель\nN,1A,,0.001\n";

void write_file(const QString &name, const QByteArray &content)
{
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

} // namespace

class tst_mainwindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void construction();
    void start_messages_data();
    void start_messages();
    void settings_written_at_exit();
    void damaged_files_data();
    void damaged_files();
    void addressing_boxes_exclude_each_other();
    void addressing_remembered_for_the_next_start_data();
    void addressing_remembered_for_the_next_start();
    void ctrl_n_toggles_build_info();
    void clear_filds_empties_the_meter_data();
    void closing_closes_the_other_windows();
    void settings_ok_saves_at_once();
    void keyboard_data();
    void keyboard();
    void escape_leaves_the_stored_settings();
    void settings_unsaved_at_exit_said();
    void about();
    void status_read_whole_at_first_size_data();
    void status_read_whole_at_first_size();

private:
    template<typename T> static T *widget(QWidget &w, const char *name)
    {
        T *child = w.findChild<T *>(QLatin1String(name));
        if (!child)
            qFatal("no widget %s", name);
        return child;
    }
    QTemporaryDir *dir = nullptr;
    QString previous_dir;
};

void tst_mainwindow::init()
{
    // The program reads and writes its files in the working directory.
    dir = new QTemporaryDir;
    previous_dir = QDir::currentPath();
    QDir::setCurrent(dir->path());
}

void tst_mainwindow::cleanup()
{
    QDir::setCurrent(previous_dir);
    delete dir;
}

void tst_mainwindow::construction()
{
    write_file("models_counter.csv", models);
    MainWindow w;
    QCOMPARE(w.windowTitle(),
             QStringLiteral("Конфигуратор счётчика воды с RS485 протокол ModBUS варианты исполнения 2 и 3"));
    QCOMPARE(widget<QLineEdit>(w, "adr_line")->text(), QStringLiteral("1"));
    QCOMPARE(widget<QLabel>(w, "label_31")->text(), QString());
    for (const char *name : {"label_4", "label_9", "label_10", "num_build_v", "date_comp_w", "time_comp_w"})
        QVERIFY2(widget<QLabel>(w, name)->text().isEmpty(), name);

    const char *read_only[]
        = {"ver_prot_line",     "ver_PO_line",      "ID_PO_line",       "model_line",       "K_line",
           "border_line",       "type_line",        "real_state_lin",   "real_event_line",  "real_obr_line",
           "time_houer_line",   "state_houer_line", "event_houer_line", "obr_houer_line",   "time_sut_line",
           "state_sut_line",    "event_sut_line",   "obr_sut_line",     "time_jurnal_line", "state_jurnal_line",
           "event_jurnal_line", "obr_jurnal_line",  "serial_num_line"};
    for (const char *name : read_only) {
        QLineEdit *field = widget<QLineEdit>(w, name);
        QVERIFY2(field->isReadOnly(), name);
        QVERIFY2(field->alignment() & Qt::AlignRight, name);
    }
    for (const char *name : {"real_time_line", "adr_line_w", "date_line_w", "adr_line", "sereal_num_line_w"}) {
        QLineEdit *field = widget<QLineEdit>(w, name);
        QVERIFY2(!field->isReadOnly(), name);
        QVERIFY2(field->alignment() & Qt::AlignRight, name);
    }
    // Every line edit of the form is either in one list or the other.
    // (The watch period's spin box has a line edit of its own.)
    QCOMPARE(w.findChildren<QLineEdit *>().size(), int(std::size(read_only)) + 5 + 1);
}

void tst_mainwindow::start_messages_data()
{
    QTest::addColumn<QString>("settings_file"); // "file", "none", or "folder": exists but cannot be opened
    QTest::addColumn<bool>("models_present");
    QTest::addColumn<QString>("status");
    QTest::newRow("both files") << "file" << true << "";
    QTest::newRow("no settings.txt yet: defaults, no message") << "none" << true << "";
    QTest::newRow("models missing") << "file" << false << "Модели не прочитаны";
    QTest::newRow("settings unreadable") << "folder" << true << "Настройки не считаны";
    QTest::newRow("both fail: the models message stays") << "folder" << false << "Модели не прочитаны";
}

void tst_mainwindow::start_messages()
{
    QFETCH(QString, settings_file);
    QFETCH(bool, models_present);
    QFETCH(QString, status);
    if (settings_file == "file")
        write_file("settings.txt", "COM7\n2400\n1\n300\n1000\n700\n2000\n0\n");
    else if (settings_file == "folder")
        QVERIFY(QDir().mkdir("settings.txt")); // even root cannot open a folder as a file
    if (models_present)
        write_file("models_counter.csv", models);
    MainWindow w;
    QCOMPARE(widget<QLabel>(w, "label_31")->text(), status);
}

void tst_mainwindow::settings_written_at_exit()
{
    write_file("models_counter.csv", models);
    {
        MainWindow w;
        QVERIFY(!QFile::exists("settings.txt"));
    }
    QFile file("settings.txt");
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("\n9600\n1\n300\n1000\n700\n2000\n0\n"));
}

void tst_mainwindow::damaged_files_data()
{
    // File contents; "folder" makes a folder of that name, which cannot be opened.
    QTest::addColumn<QByteArray>("settings_file");
    QTest::addColumn<QByteArray>("models_file");
    QTest::addColumn<QString>("status");
    const int mb = 1024 * 1024;
    const QByteArray folder = "folder";
    QTest::newRow("binary settings.txt") << garbage(100 * 1024, 1) << models << "";
    QTest::newRow("settings.txt: one 8 MB line") << QByteArray(8 * mb, 'A') << models << "";
    QTest::newRow("settings.txt: four million lines") << QByteArray(4 * mb, '\n') << models << "";
    QTest::newRow("binary models") << QByteArray() << garbage(3 * mb, 2) << "";
    QTest::newRow("models: 8 million fields") << QByteArray() << QByteArray(8 * mb, ',') << "";
    QTest::newRow("models: one 8 MB line") << QByteArray() << models + QByteArray(8 * mb, 'B') << "";
    QTest::newRow("models unreadable") << QByteArray() << folder << "Модели не прочитаны";
    QTest::newRow("settings unreadable, binary models") << folder << garbage(mb, 3) << "Настройки не считаны";
}

// The program starts with its usual message, takes the defaults for whatever it
// could not read, and at exit writes a whole, sane settings.txt in place of the
// damaged one.
void tst_mainwindow::damaged_files()
{
    QFETCH(QByteArray, settings_file);
    QFETCH(QByteArray, models_file);
    QFETCH(QString, status);
    for (const auto &file : {qMakePair(QStringLiteral("settings.txt"), settings_file),
                             qMakePair(QStringLiteral("models_counter.csv"), models_file)}) {
        if (file.second == "folder")
            QVERIFY(QDir().mkdir(file.first));
        else if (!file.second.isEmpty())
            write_file(file.first, file.second);
    }
    {
        MainWindow w;
        QCOMPARE(widget<QLabel>(w, "label_31")->text(), status);
        QWidget *window = nullptr;
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (top->objectName() == "settings")
                window = top;
        }
        QVERIFY(window);
        QCOMPARE(window->findChild<QLineEdit *>("time_yes")->text(), QStringLiteral("300"));
        QCOMPARE(window->findChild<QLineEdit *>("time_arc_n")->text(), QStringLiteral("2000"));
    }
    if (settings_file == "folder")
        return; // nothing can replace a folder
    QFile saved("settings.txt");
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("\n9600\n1\n300\n1000\n700\n2000\n0\n"));
}

void tst_mainwindow::addressing_remembered_for_the_next_start_data()
{
    QTest::addColumn<QString>("checked"); // the box checked at exit, "" for neither
    QTest::newRow("serial number") << "s_num_click";
    QTest::newRow("device address") << "adr_click";
    QTest::newRow("neither") << "";
}

// The choice and both addressing fields come back at the next start; they
// have a file of their own and settings.txt keeps its eight lines.
void tst_mainwindow::addressing_remembered_for_the_next_start()
{
    QFETCH(QString, checked);
    write_file("models_counter.csv", models);
    {
        MainWindow w;
        QVERIFY(!widget<QCheckBox>(w, "adr_click")->isChecked());
        QVERIFY(!widget<QCheckBox>(w, "s_num_click")->isChecked());
        widget<QLineEdit>(w, "adr_line")->setText("17");
        widget<QLineEdit>(w, "sereal_num_line_w")->setText("000100000005");
        if (!checked.isEmpty())
            widget<QCheckBox>(w, qPrintable(checked))->setChecked(true);
    }
    MainWindow next;
    QCOMPARE(widget<QLineEdit>(next, "adr_line")->text(), QStringLiteral("17"));
    QCOMPARE(widget<QLineEdit>(next, "sereal_num_line_w")->text(), QStringLiteral("000100000005"));
    QCOMPARE(widget<QCheckBox>(next, "adr_click")->isChecked(), checked == "adr_click");
    QCOMPARE(widget<QCheckBox>(next, "s_num_click")->isChecked(), checked == "s_num_click");
    QCOMPARE(MainWindowProbe(next).by_serial(), checked == "s_num_click");
    QCOMPARE(MainWindowProbe(next).by_address(), checked == "adr_click");
    QFile file("settings.txt");
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("\n9600\n1\n300\n1000\n700\n2000\n0\n"));
}

void tst_mainwindow::addressing_boxes_exclude_each_other()
{
    MainWindow w;
    QCheckBox *by_address = widget<QCheckBox>(w, "adr_click");
    QCheckBox *by_serial = widget<QCheckBox>(w, "s_num_click");

    by_address->setChecked(true);
    QVERIFY(MainWindowProbe(w).by_address());
    QVERIFY(!MainWindowProbe(w).serial_chosen_last());

    by_serial->setChecked(true);
    QVERIFY(!by_address->isChecked());
    QVERIFY(!MainWindowProbe(w).by_address());
    QVERIFY(MainWindowProbe(w).by_serial());
    QVERIFY(MainWindowProbe(w).serial_chosen_last());

    // Unchecking keeps the record of which box was checked last.
    by_serial->setChecked(false);
    QVERIFY(!MainWindowProbe(w).by_serial());
    QVERIFY(!MainWindowProbe(w).by_address());
    QVERIFY(MainWindowProbe(w).serial_chosen_last());

    // A partially checked box counts as on.
    by_address->setTristate(true);
    by_address->setCheckState(Qt::PartiallyChecked);
    QVERIFY(MainWindowProbe(w).by_address());
    QVERIFY(!MainWindowProbe(w).serial_chosen_last());
}

void tst_mainwindow::ctrl_n_toggles_build_info()
{
    MainWindow w;
    MainWindowProbe(w).set_build(42, QByteArray::fromHex("20240130"), QByteArray::fromHex("15000000"));
    QLabel *caption = widget<QLabel>(w, "label_4");
    QLabel *number = widget<QLabel>(w, "num_build_v");

    QTest::keyClick(&w, Qt::Key_N);
    QVERIFY(caption->text().isEmpty());

    QTest::keyClick(&w, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(caption->text(), QStringLiteral("Номер сборки"));
    QCOMPARE(widget<QLabel>(w, "label_9")->text(), QStringLiteral("Дата компиляции"));
    QCOMPARE(widget<QLabel>(w, "label_10")->text(), QStringLiteral("Время компиляции"));
    QCOMPARE(number->text(), QStringLiteral("42"));
    QCOMPARE(widget<QLabel>(w, "date_comp_w")->text(), QStringLiteral("20240130"));
    QCOMPARE(widget<QLabel>(w, "time_comp_w")->text(), QStringLiteral("15000000"));

    QTest::keyClick(&w, Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
    for (const char *name : {"label_4", "label_9", "label_10", "num_build_v", "date_comp_w", "time_comp_w"})
        QVERIFY2(widget<QLabel>(w, name)->text().isEmpty(), name);
}

void tst_mainwindow::clear_filds_empties_the_meter_data()
{
    MainWindow w;
    const QList<QLineEdit *> fields = w.findChildren<QLineEdit *>();
    for (QLineEdit *field : fields)
        field->setText("x");
    for (const char *name : {"num_build_v", "date_comp_w", "time_comp_w", "label_4", "label_31"})
        widget<QLabel>(w, name)->setText("x");
    widget<QComboBox>(w, "speed_box_w")->setCurrentIndex(3);
    widget<QComboBox>(w, "bit_box_w")->setCurrentIndex(5);

    QVERIFY(QMetaObject::invokeMethod(&w, "clear_filds"));

    for (QLineEdit *field : fields) {
        const bool addressing = field->objectName() == "adr_line" || field->objectName() == "sereal_num_line_w";
        QCOMPARE(field->text(), addressing ? QStringLiteral("x") : QString());
    }
    for (const char *name : {"num_build_v", "date_comp_w", "time_comp_w"})
        QVERIFY2(widget<QLabel>(w, name)->text().isEmpty(), name);
    QCOMPARE(widget<QLabel>(w, "label_4")->text(), QStringLiteral("x"));
    QCOMPARE(widget<QLabel>(w, "label_31")->text(), QStringLiteral("x"));
    QCOMPARE(widget<QComboBox>(w, "speed_box_w")->currentIndex(), 0);
    QCOMPARE(widget<QComboBox>(w, "bit_box_w")->currentIndex(), 0);
}

void tst_mainwindow::closing_closes_the_other_windows()
{
    MainWindow w;
    w.show();
    widget<QPushButton>(w, "setting_btn")->click();
    widget<QPushButton>(w, "log_btn")->click();
    widget<QPushButton>(w, "open_btn")->click();
    const QStringList titles{"Параметры СОМ порта", "Логи", "Архив"};
    QList<QWidget *> others;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (titles.contains(top->windowTitle()))
            others += top;
    }
    QCOMPARE(others.size(), 3);
    for (QWidget *other : others)
        QVERIFY2(other->isVisible(), qPrintable(other->windowTitle()));
    QVERIFY(w.close());
    for (QWidget *other : others)
        QVERIFY2(!other->isVisible(), qPrintable(other->windowTitle()));
}

void tst_mainwindow::settings_ok_saves_at_once()
{
    write_file("settings.txt", "COM7\n2400\n2\n300\n1000\n700\n2000\n1\n");
    MainWindow w;
    widget<QPushButton>(w, "setting_btn")->click();
    QWidget *window = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->objectName() == "settings")
            window = top;
    }
    QVERIFY(window);
    QCOMPARE(widget<QLabel>(w, "line_label")->text(), QStringLiteral("COM7 2400 8O2"));
    window->findChild<QLineEdit *>("time_yes")->setText("450");
    window->findChild<QComboBox *>("parity_box")->setCurrentIndex(2);
    window->findChild<QPushButton *>("set_btn")->click();
    QVERIFY(!window->isVisible());
    QCOMPARE(widget<QLabel>(w, "line_label")->text(), QStringLiteral("COM7 2400 8E2"));

    PortSettings saved;
    QCOMPARE(int(load_port_settings("settings.txt", saved)), int(SettingsLoad::loaded));
    QCOMPARE(saved.main_ok_ms, 450);
    QCOMPARE(saved.port_name, QStringLiteral("COM7")); // kept although no such port is listed
    QCOMPARE(saved.baud_rate, 2400);
    QCOMPARE(saved.stop_bits, 2);
    QCOMPARE(saved.parity, 2);
}

void tst_mainwindow::keyboard_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("tabs");
    QTest::addColumn<QString>("to");

    QTest::newRow("addressing to the commands") << "sereal_num_line_w" << 1 << "setting_btn";
    QTest::newRow("commands to the service tools") << "journal_btn" << 1 << "registers_btn";
    QTest::newRow("service tools to the write block") << "report_btn" << 2 << "adr_click_w";
    QTest::newRow("last write field to the write button") << "real_time_line" << 1 << "write_btn";
    // The read-only fields of the meter's values are passed over.
    QTest::newRow("write button back to the addressing") << "write_btn" << 1 << "adr_click";
}

void tst_mainwindow::keyboard()
{
    QFETCH(QString, from);
    QFETCH(int, tabs);
    QFETCH(QString, to);
    MainWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.activateWindow();
    QWidget *start = w.findChild<QWidget *>(from);
    start->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), start);
    for (int i = 0; i < tabs; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), to);

    // Enter presses a focused button: a poll without an open port says so.
    widget<QPushButton>(w, "param_btn")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(widget<QPushButton>(w, "param_btn"), Qt::Key_Return);
    QTRY_COMPARE(widget<QLabel>(w, "label_31")->text(), QStringLiteral("Порт не открыт"));
}

void tst_mainwindow::escape_leaves_the_stored_settings()
{
    MainWindow w;
    widget<QPushButton>(w, "setting_btn")->click();
    QWidget *settings = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->objectName() == QLatin1String("settings"))
            settings = top;
    }
    QVERIFY(settings && settings->isVisible());
    auto *ok_period = settings->findChild<QLineEdit *>("time_yes");
    const QString stored = ok_period->text();
    ok_period->setText("4321");
    QTest::keyClick(settings, Qt::Key_Escape);
    QVERIFY(!settings->isVisible());
    widget<QPushButton>(w, "setting_btn")->click();
    QCOMPARE(ok_period->text(), stored);
}

namespace {

// The text of the next message box, closed as it shows.
QString next_box_text(const std::function<void()> &action)
{
    QString text;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            text = box->text();
            box->close();
        }
    });
    look.start(20);
    action(); // returns once the box is closed
    return text;
}

} // namespace

// A read-only folder: the operator hears of it before the window goes.
void tst_mainwindow::settings_unsaved_at_exit_said()
{
    write_file("models_counter.csv", models);
    MainWindow w;
    w.show();
    QVERIFY(QDir().mkdir("settings.txt")); // even root cannot write a folder as a file
    const QString said = next_box_text([&w] { QVERIFY(w.close()); });
    QVERIFY2(said.contains(QDir::toNativeSeparators(QDir::current().absoluteFilePath("settings.txt"))),
             qPrintable(said));
    QVERIFY2(!said.contains("addressing.txt"), qPrintable(said)); // that one was saved
}

void tst_mainwindow::about()
{
    MainWindow w;
    const QString said = next_box_text([&w] { widget<QPushButton>(w, "about_btn")->click(); });
    QVERIFY2(QRegularExpression("Версия \\d+\\.\\d+\\.\\d+\nСборка \\S+").match(said).hasMatch(), qPrintable(said));
    QVERIFY2(said.contains(QStringLiteral("Qt %1").arg(qVersion())), qPrintable(said));
    QVERIFY2(said.contains("LGPL"), qPrintable(said));
}

void tst_mainwindow::status_read_whole_at_first_size_data()
{
    // The longest messages the operator has to act on, as the status shows them.
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("whole");
    QTest::newRow("archive not kept") << QStringLiteral(
        "Архив не записан в журнал: номер счетчика неизвестен, сначала считайте параметры")
                                      << true;
    QTest::newRow("clock range") << QStringLiteral(
        "Часы счетчика хранят время от 01.01.1970 00:00:00 до 19.01.2038 03:14:07")
                                 << true;
    QTest::newRow("no addressing") << QStringLiteral("Не выбран способ обращения к счетчику") << true;
    QTest::newRow("journal behind") << QStringLiteral("Журнал не успевает: последнее чтение в него не записано")
                                    << true;
    QTest::newRow("no line server") << QStringLiteral(
        "Сервер линии не задан: укажите адрес и TCP порт в \"Настройка порта\"")
                                    << true;
    QTest::newRow("journal's certificate")
        << QStringLiteral("TLS с сервером журнала meter@db.local:5432/readings не установлено: сертификат сервера не "
                          "принят или TLS не предлагается; "
                          "проверьте sslrootcert, имя сервера и sslmode; показания не записываются")
        << true;
    // Past two lines the rest is cut, and shown whole in the tooltip.
    QTest::newRow("three lines' worth") << QStringLiteral("Слишком длинное сообщение ").repeated(12) << false;
}

void tst_mainwindow::status_read_whole_at_first_size()
{
    QFETCH(QString, text);
    QFETCH(bool, whole);
    write_file("models_counter.csv", models);
    MainWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QLabel *status = widget<QLabel>(w, "label_31");
    status->setText(text);
    QCOMPARE(shows_whole(status), whole);
}

QTEST_MAIN(tst_mainwindow)
#include "tst_mainwindow.moc"
