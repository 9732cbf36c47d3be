// The lines file: what is taken, and every fault refused at its place.
#include "collect/lines_file.h"

#include <QTemporaryDir>
#include <QtTest>

class tst_lines_file : public QObject
{
    Q_OBJECT
private slots:
    void refused_data();
    void refused();
    void taken();
    void unreadable_data();
    void unreadable();
};

void tst_lines_file::refused_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("error");

    const auto line = [](const QByteArray &meters, const QByteArray &more = QByteArray()) {
        return QByteArray("{\"lines\": [\n {\"name\": \"A\", \"port\": \"/dev/ttyS0\"") + more
            + ",\n  \"meters\": " + meters + "}\n]}";
    };
    // Qt's own words for JSON faults are English: the file's are Russian.
    QTest::newRow("not JSON") << QByteArray("{\"lines\": [\n  {\"name\": }]}")
                              << "f.json:2:13: не JSON: пропущено значение";
    QTest::newRow("not JSON, no colon") << QByteArray("{\"lines\" []}") << "не JSON: после имени нет двоеточия";
    QTest::newRow("not JSON, more after the end") << QByteArray("{\"lines\": []} x") << "не JSON: лишнее после конца";
    QTest::newRow("not JSON, cut short") << QByteArray("{\"lines\": [") << "не JSON: список не закрыт";
    QTest::newRow("unknown key") << line("[{\"address\": 1}]", ", \"bauds\": 9600")
                                 << "f.json:2:38: lines[0].bauds: неизвестный ключ \"bauds\"";
    QTest::newRow("unknown meter key") << line("[{\"address\": 1, \"lable\": \"x\"}]")
                                       << "f.json:3:29: lines[0].meters[0].lable: неизвестный ключ";
    QTest::newRow("address and serial") << line("[{\"address\": 1, \"serial\": \"0012345678ab\"}]")
                                        << "f.json:3:29: lines[0].meters[0].serial: \"address\" и \"serial\" вместе";
    QTest::newRow("address 0") << line("[{\"address\": 0}]")
                               << "f.json:3:15: lines[0].meters[0].address: ожидается целое от 1 до 247";
    QTest::newRow("address 248") << line("[{\"address\": 248}]") << "f.json:3:15: lines[0].meters[0].address:";
    QTest::newRow("address not a number") << line("[{\"address\": \"7\"}]") << "lines[0].meters[0].address:";
    QTest::newRow("no meters") << line("[]") << "f.json:3:3: lines[0].meters: линия без счетчиков";
    QTest::newRow("meter neither") << line("[{\"label\": \"x\"}]") << "f.json:3:14: lines[0].meters[0]: счетчик без";
    QTest::newRow("serial too short") << line("[{\"serial\": \"12345678ab\"}]") << "ожидается 12 шестнадцатеричных";
    QTest::newRow("same address twice") << line("[{\"address\": 3}, {\"address\": 3}]")
                                        << "f.json:3:30: lines[0].meters[1]: счетчик указан дважды";
    QTest::newRow("duplicate line names")
        << QByteArray("{\"lines\": [{\"name\": \"A\", \"port\": \"p\", \"meters\": [{\"address\": 1}]},\n"
                      " {\"name\": \"A\", \"port\": \"q\", \"meters\": [{\"address\": 1}]}]}")
        << "f.json:2:3: lines[1].name: имя линии \"A\" уже занято линией 1";
    QTest::newRow("baud") << line("[{\"address\": 1}]", ", \"baud\": 9601") << "lines[0].baud: ожидается 1200";
    QTest::newRow("parity") << line("[{\"address\": 1}]", ", \"parity\": \"mark\"") << "lines[0].parity:";
    QTest::newRow("stop bits") << line("[{\"address\": 1}]", ", \"stop_bits\": 3") << "lines[0].stop_bits:";
    QTest::newRow("port and host") << line("[{\"address\": 1}]", ", \"host\": \"127.0.0.1\", \"tcp_port\": 1")
                                   << "lines[0].port: \"port\" вместе с";
    QTest::newRow("host without port") << QByteArray(
        "{\"lines\": [{\"name\": \"A\", \"host\": \"h\", \"meters\": [{\"address\": 1}]}]}")
                                       << "f.json:1:12: lines[0]: линия без \"tcp_port\"";
    QTest::newRow("period") << line("[{\"address\": 1}]", ", \"fail_ms\": 0") << "lines[0].fail_ms:";
    QTest::newRow("no lines") << QByteArray("{\"lines\": []}") << "f.json:1:2: lines: нет линий";
}

void tst_lines_file::refused()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, error);
    QString said;
    QVERIFY(!collect::parse_lines(text, "f.json", &said));
    QVERIFY2(said.contains(error), qPrintable(said));
}

void tst_lines_file::taken()
{
    const QByteArray text = R"({"lines": [
 {"name": "Ленина 12, стояк 3", "host": "127.0.0.1", "tcp_port": 4001, "baud": 2400, "parity": "odd",
  "stop_bits": 2, "fail_ms": 1500, "meters": [{"address": 1, "label": "кв. 1"}, {"serial": "0012345678AB"}]},
 {"name": "Котельная", "port": "/dev/ttyUSB0", "meters": [{"address": 7}]}]})";
    QString error;
    const std::optional<collect::LinesFile> file = collect::parse_lines(text, "f.json", &error);
    QVERIFY2(file, qPrintable(error));
    QCOMPARE(file->lines.size(), 2);
    const collect::LineEntry &a = file->lines[0];
    QVERIFY(a.networked());
    QCOMPARE(a.host, QString("127.0.0.1"));
    QCOMPARE(a.tcp_port, 4001);
    QCOMPARE(a.baud_rate, 2400);
    QCOMPARE(a.parity, 1);
    QCOMPARE(a.stop_bits, 2);
    QCOMPARE(a.ok_ms, 300);
    QCOMPARE(a.fail_ms, 1500);
    QCOMPARE(a.meters[0].label, QString("кв. 1"));
    QVERIFY(!a.meters[0].target().by_serial);
    QVERIFY(a.meters[1].target().by_serial);
    QCOMPARE(a.meters[1].target().serial[5], quint8(0xab));
    QCOMPARE(a.meters[1].id_text(), QString("0012345678ab"));
    QCOMPARE(file->lines[1].port, QString("/dev/ttyUSB0"));
    QCOMPARE(file->lines[1].baud_rate, 9600);
    QCOMPARE(file->lines[1].archive_fail_ms, 2000);
}

void tst_lines_file::unreadable_data()
{
    QTest::addColumn<QString>("name"); // in a scratch folder
    QTest::addColumn<QString>("words");
    QTest::newRow("missing") << "lines.json"
                             << "файл не найден";
    QTest::newRow("a folder") << "."
                              << "это папка, а не файл";
}

void tst_lines_file::unreadable()
{
    QFETCH(QString, name);
    QFETCH(QString, words);
    QTemporaryDir dir;
    QFile file(dir.filePath(name));
    QVERIFY(!file.open(QIODevice::ReadOnly));
    QCOMPARE(collect::unreadable_file_words(file), words);
}

QTEST_MAIN(tst_lines_file)
#include "tst_lines_file.moc"
