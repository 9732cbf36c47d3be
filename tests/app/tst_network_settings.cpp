// The network line's keys in addressing.txt (the file's other owners keep
// their lines: app/side_settings, tested with the addressing).
#include "config/network_settings.h"

#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(NetworkSettings)

class tst_network_settings : public QObject
{
    Q_OBJECT
private slots:
    void read_data();
    void read();
    void saved_as_read_data();
    void saved_as_read();
    void caption_data();
    void caption();
};

void tst_network_settings::read_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<NetworkSettings>("read");
    QTest::newRow("no file: the serial port") << QByteArray() << NetworkSettings{};
    QTest::newRow("network line") << QByteArray("line=network\nhost=10.0.0.7\ntcp_port=4001\n")
                                  << NetworkSettings{true, "10.0.0.7", 4001};
    QTest::newRow("serial, the server kept for later")
        << QByteArray("line=serial\nhost=gw.local\ntcp_port=502\n") << NetworkSettings{false, "gw.local", 502};
    QTest::newRow("Windows line ends") << QByteArray("line=network\r\nhost=gw\r\ntcp_port=23\r\n")
                                       << NetworkSettings{true, "gw", 23};
    QTest::newRow("unknown line reads as serial")
        << QByteArray("line=modem\nhost=gw\ntcp_port=23\n") << NetworkSettings{false, "gw", 23};
    QTest::newRow("port out of range") << QByteArray("line=network\nhost=gw\ntcp_port=70000\n")
                                       << NetworkSettings{true, "gw", 0};
    QTest::newRow("port not a number") << QByteArray("line=network\nhost=gw\ntcp_port=x1\n")
                                       << NetworkSettings{true, "gw", 0};
    QTest::newRow("host with a control byte")
        << QByteArray("line=network\nhost=g\x01w\ntcp_port=23\n") << NetworkSettings{true, "", 23};
}

void tst_network_settings::read()
{
    QFETCH(QByteArray, file);
    QFETCH(NetworkSettings, read);
    QCOMPARE(network_settings_from(parse_side_settings(file)), read);
}

void tst_network_settings::saved_as_read_data()
{
    QTest::addColumn<NetworkSettings>("settings");
    QTest::newRow("network line") << NetworkSettings{true, "192.168.1.10", 4001};
    QTest::newRow("IPv6 host") << NetworkSettings{true, "fe80::1", 502};
    QTest::newRow("serial, nothing typed") << NetworkSettings{false, "", 0};
    QTest::newRow("serial, a server typed") << NetworkSettings{false, "gw.local", 23};
}

void tst_network_settings::saved_as_read()
{
    QFETCH(NetworkSettings, settings);
    QTemporaryDir dir;
    const QString path = dir.filePath("addressing.txt");
    QVERIFY(save_network_settings(path, settings));
    QCOMPARE(load_network_settings(path), settings);
}

void tst_network_settings::caption_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<int>("baud_rate");
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("stop_bits");
    QTest::addColumn<NetworkSettings>("network");
    QTest::addColumn<QString>("caption");
    QTest::newRow("COM3 as delivered") << "COM3" << 9600 << 0 << 1 << NetworkSettings{} << "COM3 9600 8N1";
    QTest::newRow("odd, 2 stop bits") << "/dev/ttyUSB0" << 2400 << 1 << 2 << NetworkSettings{}
                                      << "/dev/ttyUSB0 2400 8O2";
    QTest::newRow("even") << "COM12" << 1200 << 2 << 1 << NetworkSettings{} << "COM12 1200 8E1";
    QTest::newRow("no port chosen yet") << "" << 9600 << 0 << 1 << NetworkSettings{} << "порт не выбран 9600 8N1";
    QTest::newRow("network line") << "COM3" << 9600 << 0 << 1 << NetworkSettings{true, "192.0.2.10", 4001}
                                  << "TCP 192.0.2.10:4001";
}

void tst_network_settings::caption()
{
    QFETCH(QString, port);
    QFETCH(int, baud_rate);
    QFETCH(int, parity);
    QFETCH(int, stop_bits);
    QFETCH(NetworkSettings, network);
    QFETCH(QString, caption);
    PortSettings settings;
    settings.port_name = port;
    settings.baud_rate = baud_rate;
    settings.parity = parity;
    settings.stop_bits = stop_bits;
    QCOMPARE(line_caption(settings, network), caption);
}

QTEST_MAIN(tst_network_settings)
#include "tst_network_settings.moc"
