#include "archive/archive_export.h"
#include "config/atomic_file.h"
#include "model/archive_rows.h"

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
    void serials_stay_text_data();
    void serials_stay_text();
    void export_names_data();
    void export_names();
    void copied_rows();
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
    const arc::CsvHeader header{"0012345678ab", "c15 СВК-15 RS485", "3", QDateTime(QDate(2024, 1, 30), QTime(15, 4, 5)),
                                VolumeScale{0.001, 3}};
    const QList<arc::CsvSection> sections{
        {"Часовой", {{"0", "30.01.2024 15:00:00", "12.345", "0", "-0.001"}, {"1", "--", "--", "--", "--"}}},
        {"Суточный", {}},
        {"Месячный", {{"0", "31.12.1969 23:59:59", "a;b", "1792", "say \"hi\""}}},
    };
    const QByteArray expected = utf8_bom
        + "Серийный номер;=\"0012345678ab\"\r\n"
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

// A table row as it goes into the file: the serial column keeps its zeros
// in LibreOffice and Excel alike, the other columns as ever.
void tst_archive_export::serials_stay_text_data()
{
    QTest::addColumn<QStringList>("row");
    QTest::addColumn<int>("serial_column");
    QTest::addColumn<QString>("line");
    QTest::newRow("leading zeros, hex letters")
        << QStringList{"17", "00a1b2c3d405", "12.346"} << 1 << "17;=\"00a1b2c3d405\";12,346\r\n";
    QTest::newRow("decimal digits only") << QStringList{"001234567890", "5"} << 0 << "=\"001234567890\";5\r\n";
    QTest::newRow("failed row: no serial") << QStringList{"3", "", "Нет ответа"} << 1 << "3;;Нет ответа\r\n";
    QTest::newRow("not a serial: an ordinary field") << QStringList{"a;b"} << 0 << "\"a;b\"\r\n";
    QTest::newRow("no serial column") << QStringList{"00123", "1.5"} << -1 << "00123;1,5\r\n";
}

void tst_archive_export::serials_stay_text()
{
    QFETCH(QStringList, row);
    QFETCH(int, serial_column);
    QFETCH(QString, line);
    QCOMPARE(arc::csv_rows({"A", "B;C"}, {row}, serial_column), "A;\"B;C\"\r\n" + line);
}

void tst_archive_export::export_names_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("name");
    QTest::newRow("archive") << "archive"
                             << "0012345678ab"
                             << "archive_0012345678ab_2024-01-30_15-04.csv";
    QTest::newRow("journal, same meter") << "journal"
                                         << "0012345678ab"
                                         << "journal_0012345678ab_2024-01-30_15-04.csv";
    QTest::newRow("no serial") << "riser"
                               << ""
                               << "riser_2024-01-30_15-04.csv";
    QTest::newRow("blank serial") << "watch"
                                  << "  "
                                  << "watch_2024-01-30_15-04.csv";
    QTest::newRow("no folders or devices") << "archive"
                                           << "a/b\\c:d*?"
                                           << "archive_a_b_c_d___2024-01-30_15-04.csv";
}

void tst_archive_export::export_names()
{
    QFETCH(QString, kind);
    QFETCH(QString, serial);
    QFETCH(QString, name);
    QCOMPARE(arc::export_file_name(kind, serial, QDateTime(QDate(2024, 1, 30), QTime(15, 4, 5))), name);
}

void tst_archive_export::copied_rows()
{
    QCOMPARE(arc::tab_separated({{"17", "00a1b2c3d405", "12.346"}, {"3", "", "Нет\tответа\n"}}),
             QStringLiteral("17\t00a1b2c3d405\t12.346\n3\t\tНет ответа \n"));
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
