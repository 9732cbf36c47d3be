#include "app/port_settings.h"

#include <QtTest>
#include <unistd.h>

class tst_port_settings : public QObject
{
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void round_trip();
    void file_format();
    void missing_file_keeps_defaults();
    void unreadable_file();
    void save_is_atomic();
    void save_into_missing_folder_fails();
};

namespace {

PortSettings make(const QString &name, int baud, int stop, int ok, int fail, int arc_ok, int arc_fail, int parity)
{
    PortSettings s;
    s.port_name = name;
    s.baud_rate = baud;
    s.stop_bits = stop;
    s.main_ok_ms = ok;
    s.main_fail_ms = fail;
    s.archive_ok_ms = arc_ok;
    s.archive_fail_ms = arc_fail;
    s.parity = parity;
    return s;
}

} // namespace

Q_DECLARE_METATYPE(PortSettings)

void tst_port_settings::parse_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<PortSettings>("expected");

    QTest::newRow("full file") << QByteArray("COM3\n2400\n2\n250\n900\n600\n1500\n1\n")
                               << make("COM3", 2400, 2, 250, 900, 600, 1500, 1);
    QTest::newRow("CR LF") << QByteArray("/dev/ttyUSB0\r\n4800\r\n1\r\n300\r\n1000\r\n700\r\n2000\r\n2\r\n")
                           << make("/dev/ttyUSB0", 4800, 1, 300, 1000, 700, 2000, 2);
    QTest::newRow("empty file: defaults") << QByteArray() << make("", 9600, 1, 300, 1000, 700, 2000, 0);
    QTest::newRow("only a port name") << QByteArray("COM5\n") << make("COM5", 9600, 1, 300, 1000, 700, 2000, 0);
    QTest::newRow("not numbers") << QByteArray("COM1\nfast\n\nx\n-5\n0\n 12 \nodd\n")
                                 << make("COM1", 9600, 1, 300, 1000, 700, 12, 0);
    QTest::newRow("odd rate and stop bits kept") << QByteArray("COM1\n19200\n0\n300\n1000\n700\n2000\n7\n")
                                                 << make("COM1", 19200, 0, 300, 1000, 700, 2000, 7);
    QTest::newRow("lines after the eighth ignored")
        << QByteArray("COM1\n1200\n1\n10\n20\n30\n40\n0\n99\n99\n") << make("COM1", 1200, 1, 10, 20, 30, 40, 0);
}

void tst_port_settings::parse()
{
    QFETCH(QByteArray, content);
    QFETCH(PortSettings, expected);
    QVERIFY(parse_port_settings(content) == expected);
}

void tst_port_settings::round_trip()
{
    const PortSettings s = make("/dev/pts/3", 1200, 2, 123, 4567, 89, 600000, 2);
    QVERIFY(parse_port_settings(format_port_settings(s)) == s);
}

void tst_port_settings::file_format()
{
    // The parity code comes last, after the periods.
    QCOMPARE(format_port_settings(make("COM3", 9600, 1, 300, 1000, 700, 2000, 1)),
             QByteArray("COM3\n9600\n1\n300\n1000\n700\n2000\n1\n"));
}

void tst_port_settings::missing_file_keeps_defaults()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("settings.txt");
    PortSettings s;
    QCOMPARE(int(load_port_settings(path, s)), int(SettingsLoad::missing));
    QVERIFY(s == PortSettings());
    QVERIFY(!QFile::exists(path)); // loading no longer creates an empty file
}

void tst_port_settings::unreadable_file()
{
    if (geteuid() == 0)
        QSKIP("root reads files whatever their permissions");
    QTemporaryDir dir;
    const QString path = dir.filePath("settings.txt");
    QVERIFY(save_port_settings(path, make("COM9", 1200, 2, 1, 2, 3, 4, 1)));
    QFile::setPermissions(path, QFileDevice::WriteOwner);
    PortSettings s;
    QCOMPARE(int(load_port_settings(path, s)), int(SettingsLoad::unreadable));
    QVERIFY(s == PortSettings());
}

void tst_port_settings::save_is_atomic()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("settings.txt");
    const PortSettings first = make("COM1", 2400, 1, 300, 1000, 700, 2000, 0);
    QVERIFY(save_port_settings(path, first));

    // A save that cannot complete leaves the previous file whole. The target
    // being a directory makes the final rename fail after the data was written.
    const QString blocked = dir.filePath("blocked");
    QVERIFY(QDir(dir.path()).mkdir("blocked"));
    QVERIFY(!save_port_settings(blocked, first));
    QVERIFY(QFileInfo(blocked).isDir());

    PortSettings read;
    QCOMPARE(int(load_port_settings(path, read)), int(SettingsLoad::loaded));
    QVERIFY(read == first);
    // No temporary file is left behind.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"settings.txt"});
}

void tst_port_settings::save_into_missing_folder_fails()
{
    QTemporaryDir dir;
    QVERIFY(!save_port_settings(dir.filePath("no/such/folder/settings.txt"), PortSettings()));
    PortSettings s;
    QCOMPARE(int(load_port_settings(dir.filePath("no/such/folder/settings.txt"), s)),
             int(SettingsLoad::unreadable));
}

QTEST_APPLESS_MAIN(tst_port_settings)
#include "tst_port_settings.moc"
