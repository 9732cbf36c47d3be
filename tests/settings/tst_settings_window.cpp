#include "config/network_settings.h"
#include "config/port_settings.h"
#include "windows/main_window/settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

class tst_settings_window : public QObject
{
    Q_OBJECT
private slots:
    void form_texts();
    void load_selects_the_record();
    void load_keeps_an_unlisted_port();
    void load_leaves_unknown_values();
    void ok_stores_the_form();
    void cancel_keeps_the_record();
    void ok_refuses_bad_periods_data();
    void ok_refuses_bad_periods();
    void ports_listed_anew_on_show_data();
    void ports_listed_anew_on_show();
    void port_plugged_in_while_running();
    void a_long_port_name_keeps_the_width();
    void network_line_checked_on_ok_data();
    void network_line_checked_on_ok();

private:
    template<typename T> static T *field(settings &w, const char *name)
    {
        T *child = w.findChild<T *>(QLatin1String(name));
        if (!child)
            qFatal("no widget %s", name);
        return child;
    }
};

void tst_settings_window::form_texts()
{
    settings w;
    QCOMPARE(w.windowTitle(),
             QString::fromUtf8("\u041f\u0430\u0440\u0430\u043c\u0435\u0442\u0440\u044b "
                               "\u0421\u041e\u041c \u043f\u043e\u0440\u0442\u0430"));
}

void tst_settings_window::load_selects_the_record()
{
    settings w;
    w.load(2, 4800, 2, "/dev/pts/998", 11, 22, 33, 44);
    QCOMPARE(field<QComboBox>(w, "parity_box")->currentIndex(), 2);
    QCOMPARE(field<QComboBox>(w, "speed_box")->currentText(), QStringLiteral("4800"));
    QCOMPARE(field<QComboBox>(w, "bot_box_param")->currentText(), QStringLiteral("2"));
    QCOMPARE(field<QLineEdit>(w, "time_yes")->text(), QStringLiteral("11"));
    QCOMPARE(field<QLineEdit>(w, "time_no")->text(), QStringLiteral("22"));
    QCOMPARE(field<QLineEdit>(w, "time_arc_y")->text(), QStringLiteral("33"));
    QCOMPARE(field<QLineEdit>(w, "time_arc_n")->text(), QStringLiteral("44"));
}

void tst_settings_window::load_keeps_an_unlisted_port()
{
    // A busy port or a path the system does not list must not be swapped for
    // another port behind the operator's back.
    settings w;
    QComboBox *names = field<QComboBox>(w, "name_box");
    const int listed = names->count();
    w.load(0, 9600, 1, "/dev/pts/999", 300, 1000, 700, 2000);
    QCOMPARE(names->currentText(), QStringLiteral("/dev/pts/999"));
    QCOMPARE(names->count(), listed + 1);
    w.load(0, 9600, 1, "/dev/pts/999", 300, 1000, 700, 2000);
    QCOMPARE(names->count(), listed + 1); // not added twice
}

void tst_settings_window::load_leaves_unknown_values()
{
    settings w;
    w.load(1, 2400, 2, "", 1, 1, 1, 1);
    w.load(7, 19200, 0, "", 1, 1, 1, 1);
    QCOMPARE(field<QComboBox>(w, "parity_box")->currentIndex(), 1);
    QCOMPARE(field<QComboBox>(w, "speed_box")->currentText(), QStringLiteral("2400"));
    QCOMPARE(field<QComboBox>(w, "bot_box_param")->currentText(), QStringLiteral("2"));
}

void tst_settings_window::ok_stores_the_form()
{
    settings w;
    PortSettings record;
    w.attach(&record);
    w.show();
    // As the operator fills it in: opening the window showed what is stored.
    w.load(1, 1200, 2, "/dev/pts/997", 123, 456, 789, 1011);
    QSignalSpy accepted(&w, &settings::accepted);
    field<QPushButton>(w, "set_btn")->click();
    QCOMPARE(accepted.count(), 1);
    QVERIFY(!w.isVisible());
    QCOMPARE(record.baud_rate, 1200);
    QCOMPARE(record.parity, 1);
    QCOMPARE(record.stop_bits, 2);
    QCOMPARE(record.port_name, QStringLiteral("/dev/pts/997"));
    QCOMPARE(record.main_ok_ms, 123);
    QCOMPARE(record.main_fail_ms, 456);
    QCOMPARE(record.archive_ok_ms, 789);
    QCOMPARE(record.archive_fail_ms, 1011);
}

void tst_settings_window::cancel_keeps_the_record()
{
    settings w;
    PortSettings record;
    record.port_name = QStringLiteral("/dev/pts/996");
    NetworkSettings network;
    w.attach(&record);
    w.attach_network(&network);
    w.show();
    const PortSettings before = record;
    w.load(2, 1200, 2, "/dev/pts/995", 123, 456, 789, 1011);
    field<QCheckBox>(w, "net_click")->setChecked(true);
    field<QLineEdit>(w, "host_line")->setText(QStringLiteral("127.0.0.1"));
    QSignalSpy accepted(&w, &settings::accepted);
    auto *cancel = field<QPushButton>(w, "cancel_btn");
    QCOMPARE(cancel->text(), QStringLiteral("Отмена"));
    cancel->click();
    QVERIFY(!w.isVisible());
    QCOMPARE(accepted.count(), 0);
    QVERIFY(record == before);
    QVERIFY(network == NetworkSettings());
    // Opened again, it shows what is stored.
    w.show();
    QCOMPARE(field<QComboBox>(w, "name_box")->currentText(), QStringLiteral("/dev/pts/996"));
    QCOMPARE(field<QLineEdit>(w, "time_yes")->text(), QString::number(before.main_ok_ms));
    QVERIFY(!field<QCheckBox>(w, "net_click")->isChecked());
}

void tst_settings_window::ok_refuses_bad_periods_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << "0";
    QTest::newRow("letters") << "abc";
    QTest::newRow("empty") << "";
    QTest::newRow("negative") << "-300";
    QTest::newRow("too long") << "600001";
    QTest::newRow("fraction") << "300.5";
}

void tst_settings_window::ok_refuses_bad_periods()
{
    QFETCH(QString, text);
    settings w;
    PortSettings record;
    const PortSettings before = record;
    w.load(0, 9600, 1, "", 300, 1000, 700, 2000);
    w.attach(&record);
    w.show();
    QSignalSpy accepted(&w, &settings::accepted);

    field<QLineEdit>(w, "time_no")->setText(text);
    field<QLineEdit>(w, "time_arc_n")->setText(text);
    field<QPushButton>(w, "set_btn")->click();

    QCOMPARE(accepted.count(), 0);
    QVERIFY(w.isVisible());
    QVERIFY(record == before);
    const QString yellow = QStringLiteral("QLineEdit {background-color: yellow;}");
    QCOMPARE(field<QLineEdit>(w, "time_no")->styleSheet(), yellow);
    QCOMPARE(field<QLineEdit>(w, "time_arc_n")->styleSheet(), yellow);
    QVERIFY(field<QLineEdit>(w, "time_yes")->styleSheet().isEmpty());

    // Corrected, OK goes through and the marks go.
    field<QLineEdit>(w, "time_no")->setText("1000");
    field<QLineEdit>(w, "time_arc_n")->setText("600000");
    field<QPushButton>(w, "set_btn")->click();
    QCOMPARE(accepted.count(), 1);
    QCOMPARE(record.archive_fail_ms, 600000);
    QVERIFY(field<QLineEdit>(w, "time_no")->styleSheet().isEmpty());
    QVERIFY(field<QLineEdit>(w, "time_arc_n")->styleSheet().isEmpty());
}

void tst_settings_window::ports_listed_anew_on_show_data()
{
    QTest::addColumn<QStringList>("at_start");
    QTest::addColumn<QString>("configured");
    QTest::addColumn<QString>("chosen"); // picked by the operator before closing; empty: none
    QTest::addColumn<QStringList>("at_show");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QString>("selected");

    QTest::newRow("port plugged in") << QStringList{"COM1"} << "COM1"
                                     << "" << QStringList{"COM1", "COM7"} << QStringList{"COM1", "COM7"} << "COM1";
    QTest::newRow("selected port unplugged stays")
        << QStringList{"COM1", "COM3"} << "COM3"
        << "" << QStringList{"COM1"} << QStringList{"COM1", "COM3"} << "COM3";
    QTest::newRow("configured unlisted port stays")
        << QStringList{"COM1"} << "COM9"
        << "" << QStringList{"COM1", "COM4"} << QStringList{"COM1", "COM4", "COM9"} << "COM9";
    QTest::newRow("nothing at start: the last port")
        << QStringList{} << ""
        << "" << QStringList{"COM2", "COM5"} << QStringList{"COM2", "COM5"} << "COM5";
    QTest::newRow("operator's choice kept")
        << QStringList{"COM1", "COM2"} << "COM9"
        << "COM2" << QStringList{"COM2", "COM3"} << QStringList{"COM2", "COM3"} << "COM2";
    QTest::newRow("nothing at all") << QStringList{} << ""
                                    << "" << QStringList{} << QStringList{} << "";
}

void tst_settings_window::ports_listed_anew_on_show()
{
    QFETCH(QStringList, at_start);
    QFETCH(QString, configured);
    QFETCH(QString, chosen);
    QFETCH(QStringList, at_show);
    QFETCH(QStringList, listed);
    QFETCH(QString, selected);

    QStringList ports = at_start;
    settings w(nullptr, [&ports] { return ports; });
    w.load(0, 9600, 1, configured, 300, 1000, 700, 2000);
    QComboBox *names = field<QComboBox>(w, "name_box");
    if (!chosen.isEmpty())
        names->setCurrentIndex(names->findText(chosen));

    ports = at_show;
    w.show();
    QStringList shown;
    for (int i = 0; i < names->count(); ++i)
        shown << names->itemText(i);
    QCOMPARE(shown, listed);
    QCOMPARE(names->currentText(), selected);
}

void tst_settings_window::port_plugged_in_while_running()
{
    // The window lives for the whole run and is opened again and again.
    QStringList ports{"/dev/ttyUSB0"};
    settings w;
    w.set_port_lister([&ports] { return ports; });
    w.load(0, 9600, 1, "/dev/ttyUSB0", 300, 1000, 700, 2000);
    QComboBox *names = field<QComboBox>(w, "name_box");

    w.show();
    QCOMPARE(names->findText("/dev/ttyUSB1"), -1);
    w.close();
    ports << "/dev/ttyUSB1";
    QCOMPARE(names->findText("/dev/ttyUSB1"), -1); // not while hidden
    w.show();
    QVERIFY(names->findText("/dev/ttyUSB1") >= 0);
    QCOMPARE(names->currentText(), QStringLiteral("/dev/ttyUSB0"));

    PortSettings record;
    w.attach(&record);
    field<QPushButton>(w, "set_btn")->click();
    QCOMPARE(record.port_name, QStringLiteral("/dev/ttyUSB0"));
}

void tst_settings_window::a_long_port_name_keeps_the_width()
{
    const QString long_name = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    settings usual(nullptr, [] { return QStringList{"/dev/ttyUSB0"}; });
    settings long_one(nullptr, [&long_name] { return QStringList{long_name}; });
    usual.show();
    long_one.show();
    QCOMPARE(long_one.width(), usual.width());
    QCOMPARE(field<QComboBox>(long_one, "name_box")->toolTip(), long_name);
}

void tst_settings_window::network_line_checked_on_ok_data()
{
    QTest::addColumn<bool>("chosen");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("port");
    QTest::addColumn<bool>("host_ok");
    QTest::addColumn<bool>("port_ok");
    QTest::newRow("address and port") << true << "192.168.1.10"
                                      << "4001" << true << true;
    QTest::newRow("name and port") << true << "gw.local"
                                   << "23" << true << true;
    QTest::newRow("no host") << true << ""
                             << "4001" << false << true;
    QTest::newRow("octet out of range") << true << "192.168.1.300"
                                        << "4001" << false << true;
    QTest::newRow("port zero") << true << "gw.local"
                               << "0" << true << false;
    QTest::newRow("no port") << true << "gw.local"
                             << "" << true << false;
    QTest::newRow("serial chosen: the fields are not needed") << false << ""
                                                              << "" << true << true;
}

void tst_settings_window::network_line_checked_on_ok()
{
    QFETCH(bool, chosen);
    QFETCH(QString, host);
    QFETCH(QString, port);
    QFETCH(bool, host_ok);
    QFETCH(bool, port_ok);
    settings w;
    PortSettings record;
    NetworkSettings network;
    const NetworkSettings before = network;
    w.attach(&record);
    w.attach_network(&network);
    w.show();
    QSignalSpy accepted(&w, &settings::accepted);
    // Only the chosen line's fields can be typed in.
    field<QCheckBox>(w, "net_click")->setChecked(chosen);
    QCOMPARE(field<QLineEdit>(w, "host_line")->isEnabled(), chosen);
    QCOMPARE(field<QComboBox>(w, "name_box")->isEnabled(), !chosen);
    field<QLineEdit>(w, "host_line")->setText(host);
    field<QLineEdit>(w, "tcp_port_line")->setText(port);
    field<QPushButton>(w, "set_btn")->click();

    const QString yellow = QStringLiteral("QLineEdit {background-color: yellow;}");
    QCOMPARE(field<QLineEdit>(w, "host_line")->styleSheet(), host_ok ? QString() : yellow);
    QCOMPARE(field<QLineEdit>(w, "tcp_port_line")->styleSheet(), port_ok ? QString() : yellow);
    if (!host_ok || !port_ok) {
        QCOMPARE(accepted.count(), 0);
        QVERIFY(network == before);
        return;
    }
    QCOMPARE(accepted.count(), 1);
    QCOMPARE(network.chosen, chosen);
    QCOMPARE(network.host, host);
    QCOMPARE(network.tcp_port, port.toInt());
}

QTEST_MAIN(tst_settings_window)
#include "tst_settings_window.moc"
