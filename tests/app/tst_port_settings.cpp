#include "config/port_settings.h"
#include "test_bytes.h"

#include <QtTest>
#ifndef Q_OS_WIN
#include <unistd.h>
#endif

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
    void damaged_port_name_data();
    void damaged_port_name();
    void garbage_survives_a_save_unchanged();
    void huge_files_read_only_their_start_data();
    void huge_files_read_only_their_start();
    void save_replaces_a_damaged_file_whole();
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

const QByteArray good_lines = "COM4\n2400\n2\n250\n900\n600\n1500\n1\n";

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
    QTest::newRow("two-digit COM port, CR LF as Notepad saves")
        << QByteArray("COM12\r\n9600\r\n1\r\n300\r\n1000\r\n700\r\n2000\r\n0\r\n")
        << make("COM12", 9600, 1, 300, 1000, 700, 2000, 0);
    QTest::newRow("the highest COM port") << QByteArray("COM256\n") << make("COM256", 9600, 1, 300, 1000, 700, 2000, 0);
    QTest::newRow("empty file: defaults") << QByteArray() << make("", 9600, 1, 300, 1000, 700, 2000, 0);
    QTest::newRow("only a port name") << QByteArray("COM5\n") << make("COM5", 9600, 1, 300, 1000, 700, 2000, 0);
    QTest::newRow("not numbers") << QByteArray("COM1\nfast\n\nx\n-5\n0\n 12 \nodd\n")
                                 << make("COM1", 9600, 1, 300, 1000, 700, 12, 0);
    QTest::newRow("a number ends at a NUL")
        << QByteArray("COM1\n2400\0\x01\n", 12) << make("COM1", 2400, 1, 300, 1000, 700, 2000, 0);
    QTest::newRow("odd rate and stop bits kept")
        << QByteArray("COM1\n19200\n0\n300\n1000\n700\n2000\n7\n") << make("COM1", 19200, 0, 300, 1000, 700, 2000, 7);
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
#ifdef Q_OS_WIN
    QSKIP("no permission bit makes a file unreadable to its owner on Windows");
#else
    if (geteuid() == 0)
        QSKIP("root reads files whatever their permissions");
#endif
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
    QCOMPARE(int(load_port_settings(dir.filePath("no/such/folder/settings.txt"), s)), int(SettingsLoad::unreadable));
}

void tst_port_settings::damaged_port_name_data()
{
    QTest::addColumn<QByteArray>("first_line");
    QTest::addColumn<QString>("port_name");
    QTest::newRow("two CRs") << QByteArray("COM2\r\r") << "COM2";
    QTest::newRow("NUL") << QByteArray("COM2\0\x01\x02", 7) << "";
    QTest::newRow("control byte") << QByteArray("COM\x1b[2J") << "";
    QTest::newRow("DEL") << QByteArray("COM2\x7f") << "";
    QTest::newRow("CR inside") << QByteArray("COM\r2") << "";
    QTest::newRow("255 characters") << QByteArray(255, 'A') << QString(255, 'A');
    QTest::newRow("256 characters") << QByteArray(256, 'A') << "";
    QTest::newRow("Windows device path") << QByteArray("\\\\.\\COM12") << "\\\\.\\COM12";
    QTest::newRow("spaces kept") << QByteArray("my port ") << "my port ";
}

void tst_port_settings::damaged_port_name()
{
    QFETCH(QByteArray, first_line);
    QFETCH(QString, port_name);
    const PortSettings s = parse_port_settings(first_line + "\n2400\n2\n250\n900\n600\n1500\n1\n");
    QCOMPARE(s.port_name, port_name);
    // The other lines are read whatever the name was.
    QVERIFY(s == make(port_name, 2400, 2, 250, 900, 600, 1500, 1));
    // What was read is what a save writes back.
    QVERIFY(parse_port_settings(format_port_settings(s)) == s);
}

void tst_port_settings::garbage_survives_a_save_unchanged()
{
    for (quint32 seed = 1; seed <= 200; ++seed) {
        const QByteArray content = garbage(int(seed % 97) * 7, seed);
        const PortSettings s = parse_port_settings(content);
        QVERIFY2(parse_port_settings(format_port_settings(s)) == s, content.toHex().constData());
    }
    // Garbage lines are defaults, one by one.
    const PortSettings s
        = parse_port_settings(garbage(300, 7).replace('\n', 'x') + "\n" + garbage(50, 8).replace('\n', 'x') + "\n2\n");
    QCOMPARE(s.port_name, QString());
    QCOMPARE(s.baud_rate, PortSettings::default_baud_rate);
    QCOMPARE(s.stop_bits, 2);
}

void tst_port_settings::huge_files_read_only_their_start_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<PortSettings>("expected");
    const int mb = 1024 * 1024;
    QTest::newRow("good lines, then 4 MB of garbage")
        << good_lines + garbage(4 * mb, 1) << make("COM4", 2400, 2, 250, 900, 600, 1500, 1);
    QTest::newRow("one 4 MB line") << QByteArray(4 * mb, 'A') << PortSettings();
    QTest::newRow("4 MB of digits") << QByteArray("COM4\n") + QByteArray(4 * mb, '7')
                                    << make("COM4", 9600, 1, 300, 1000, 700, 2000, 0);
    QTest::newRow("millions of lines") << QByteArray(4 * mb, '\n') << PortSettings();
    QTest::newRow("lines past 64 KiB are not read")
        << QByteArray(70 * 1024, ' ') + "\n" + good_lines.mid(5) << make("", 9600, 1, 300, 1000, 700, 2000, 0);
}

void tst_port_settings::huge_files_read_only_their_start()
{
    QFETCH(QByteArray, content);
    QFETCH(PortSettings, expected);
    QTemporaryDir dir;
    QFile file(dir.filePath("settings.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), qint64(content.size()));
    file.close();
    PortSettings s;
    QCOMPARE(int(load_port_settings(file.fileName(), s)), int(SettingsLoad::loaded));
    QVERIFY(s == expected);
}

void tst_port_settings::save_replaces_a_damaged_file_whole()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("settings.txt");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(garbage(2 * 1024 * 1024, 3));
    file.close();

    PortSettings s;
    QCOMPARE(int(load_port_settings(path, s)), int(SettingsLoad::loaded));
    s.baud_rate = 4800;
    QVERIFY(save_port_settings(path, s));
    // Nothing of the old file's tail is left behind the new lines.
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), format_port_settings(s));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"settings.txt"});
}

QTEST_APPLESS_MAIN(tst_port_settings)
#include "tst_port_settings.moc"
