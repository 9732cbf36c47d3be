#include "archive/archive_export.h"
#include "config/atomic_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QByteArray utf8_bom("\xEF\xBB\xBF");

QByteArray read_all(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return f.readAll();
}

} // namespace

class tst_archive_export : public QObject
{
    Q_OBJECT
private slots:
    void fields_data();
    void fields();
    void values_data();
    void values();
    void three_archives_byte_for_byte();
    void header_of_an_unknown_meter();
    void suggested_names_data();
    void suggested_names();
    void writes_and_replaces();
    void failed_write_leaves_nothing_data();
    void failed_write_leaves_nothing();
};

void tst_archive_export::fields_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    QTest::newRow("plain") << "12.345"
                           << "12.345";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("comma stays bare") << "1,5"
                                      << "1,5";
    QTest::newRow("separator") << "a;b"
                               << "\"a;b\"";
    QTest::newRow("quote") << "5\" pipe"
                           << "\"5\"\" pipe\"";
    QTest::newRow("separator and quotes") << "\"x\";y"
                                          << "\"\"\"x\"\";y\"";
    QTest::newRow("line feed") << "a\nb"
                               << "\"a\nb\"";
    QTest::newRow("carriage return") << "a\rb"
                                     << "\"a\rb\"";
}

void tst_archive_export::fields()
{
    QFETCH(QString, text);
    QFETCH(QString, field);
    QCOMPARE(arc::csv_field(text), field);
}

void tst_archive_export::values_data()
{
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("value");
    QTest::newRow("reading") << "12.345"
                             << "12,345";
    QTest::newRow("negative reverse flow") << "-0.001"
                                           << "-0,001";
    QTest::newRow("counted units") << "12345"
                                   << "12345";
    QTest::newRow("no value") << "--"
                              << "";
    QTest::newRow("time keeps its points") << "30.01.2024 15:00:00"
                                           << "30.01.2024 15:00:00";
    QTest::newRow("title") << "Показания, м3"
                           << "Показания, м3";
    QTest::newRow("two points: not a number") << "1.2.3"
                                              << "1.2.3";
    QTest::newRow("empty") << ""
                           << "";
}

void tst_archive_export::values()
{
    QFETCH(QString, shown);
    QFETCH(QString, value);
    QCOMPARE(arc::csv_value(shown), value);
}

void tst_archive_export::three_archives_byte_for_byte()
{
    const arc::CsvHeader header{"0012345678ab", "c15 СВК-15 RS485", "3",
                                QDateTime(QDate(2024, 1, 30), QTime(15, 4, 5))};
    const QList<arc::CsvSection> sections{
        {"Часовой", {{"0", "30.01.2024 15:00:00", "12.345", "0", "-0.001"}, {"1", "--", "--", "--", "--"}}},
        {"Суточный", {}},
        {"Месячный", {{"0", "31.12.1969 23:59:59", "a;b", "1792", "say \"hi\""}}},
    };
    const QByteArray expected = utf8_bom
        + "Серийный номер;0012345678ab\r\n"
          "Модель;c15 СВК-15 RS485\r\n"
          "Версия протокола;3\r\n"
          "Время чтения;30.01.2024 15:04:05\r\n"
          "\r\n"
          "Часовой\r\n"
          "Номер записи;Время;Показания, м3;Событие;Пок. обр. потока, м3\r\n"
          "0;30.01.2024 15:00:00;12,345;0;-0,001\r\n"
          "1;;;;\r\n"
          "\r\n"
          "Суточный\r\n"
          "Номер записи;Время;Показания, м3;Событие;Пок. обр. потока, м3\r\n"
          "\r\n"
          "Месячный\r\n"
          "Номер записи;Время;Показания, м3;Событие;Пок. обр. потока, м3\r\n"
          "0;31.12.1969 23:59:59;\"a;b\";1792;\"say \"\"hi\"\"\"\r\n"
          "\r\n";
    QCOMPARE(arc::archive_csv(header, sections), expected);
}

void tst_archive_export::header_of_an_unknown_meter()
{
    // Nothing read yet: the lines are there, their values empty.
    QCOMPARE(arc::archive_csv({}, {}),
             utf8_bom
                 + "Серийный номер;\r\n"
                   "Модель;\r\n"
                   "Версия протокола;\r\n"
                   "Время чтения;\r\n"
                   "\r\n");
}

void tst_archive_export::suggested_names_data()
{
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("name");
    QTest::newRow("serial") << "0012345678ab"
                            << "0012345678ab_2024-01-30.csv";
    QTest::newRow("no serial") << ""
                               << "archive_2024-01-30.csv";
    QTest::newRow("blank serial") << "  "
                                  << "archive_2024-01-30.csv";
    QTest::newRow("padded serial") << " 42 "
                                   << "42_2024-01-30.csv";
    QTest::newRow("no folders or devices") << "a/b\\c:d*?"
                                           << "a_b_c_d___2024-01-30.csv";
}

void tst_archive_export::suggested_names()
{
    QFETCH(QString, serial);
    QFETCH(QString, name);
    QCOMPARE(arc::suggested_file_name(serial, QDate(2024, 1, 30)), name);
}

void tst_archive_export::writes_and_replaces()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("out.csv");
    QString error;
    QVERIFY(write_file_atomically(path, "first, longer content", &error));
    QCOMPARE(read_all(path), QByteArray("first, longer content"));
    QVERIFY(write_file_atomically(path, "second\r\n", &error));
    QCOMPARE(read_all(path), QByteArray("second\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"out.csv"});
}

void tst_archive_export::failed_write_leaves_nothing_data()
{
    // Tests run as root, so permissions stop nothing: a folder in the way and a
    // missing folder do.
    QTest::addColumn<QString>("target");
    QTest::newRow("a folder of that name") << "taken";
    QTest::newRow("missing folder") << "missing/out.csv";
}

void tst_archive_export::failed_write_leaves_nothing()
{
    QFETCH(QString, target);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir("taken"));
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

    QString error;
    QVERIFY(!write_file_atomically(dir.filePath(target), "data", &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
    QVERIFY(QFileInfo(dir.filePath("taken")).isDir());
    QVERIFY(QDir(dir.filePath("taken")).isEmpty());
}

QTEST_MAIN(tst_archive_export)
#include "tst_archive_export.moc"
