#include "meter/model_table.h"
#include "test_bytes.h"

#include <QtTest>
#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace {

const QByteArray header = "Модель,Код,Примечание,Множитель\n";

QStringList table(const QByteArray &records)
{
    return parse_model_fields(header + records);
}

// Records "M<i>,<i in hex>,,0.001" for i = first..first+count-1.
QByteArray records(int first, int count)
{
    QByteArray text;
    for (int i = first; i < first + count; ++i)
        text += "M" + QByteArray::number(i) + "," + QByteArray::number(i, 16).toUpper() + ",,0.001\n";
    return text;
}

void write_file(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), qint64(content.size()));
}

} // namespace

class tst_model_table : public QObject
{
    Q_OBJECT
private slots:
    void code_value_data();
    void code_value();
    void lookup_data();
    void lookup();
    void fields_are_flat();
    void load_file();
    void decoding_data();
    void decoding();
    void windows_1251_file();
    void repository_file();
    void garbage();
    void field_cap();
    void a_line_past_the_field_cap_is_dropped_whole();
    void byte_cap_keeps_whole_lines();
    void huge_file_is_read_only_to_the_cap();
    void folder_cannot_be_read();
    void unreadable_file();
};

void tst_model_table::code_value_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("value");
    QTest::newRow("1A") << "1A" << 26;
    QTest::newRow("0x1A") << "0x1A" << 26;
    QTest::newRow("0X1A: upper-case X counts 0") << "0X1A" << 26;
    QTest::newRow("1a: lower-case counts 0") << "1a" << 16;
    QTest::newRow("1A2B") << "1A2B" << 0x1A2B;
    QTest::newRow("1a2b") << "1a2b" << 0x1020;
    QTest::newRow("spaces count 0") << " 1A" << 26;
    QTest::newRow("empty") << "" << 0;
}

void tst_model_table::code_value()
{
    QFETCH(QString, field);
    QFETCH(int, value);
    QCOMPARE(model_code_value(field), value);
}

void tst_model_table::lookup_data()
{
    QTest::addColumn<QByteArray>("records");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("end");
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("factor");
    QTest::addColumn<int>("decimals");

    const int matched = int(ModelLookup::End::matched);
    const int empty_code = int(ModelLookup::End::empty_code);
    const int not_found = int(ModelLookup::End::not_found);

    QTest::newRow("match with 3 decimals") << QByteArray("N,1A2B,x,0.001\n") << 0x1A2B << matched << "N" << 0.001 << 3;
    QTest::newRow("second record") << QByteArray("A,10,,0.01\nB,0x20,,0.0001\n") << 0x20 << matched << "B" << 0.0001
                                   << 4;
    QTest::newRow("factor without a point") << QByteArray("N,1A,,10\n") << 26 << matched << "N" << 10.0 << 0;
    QTest::newRow("factor not a number") << QByteArray("N,1A,,abc\n") << 26 << matched << "N" << 0.0 << 0;
    QTest::newRow("lower-case code does not match")
        << QByteArray("N,1a2b,,0.001\n") << 0x1A2B << not_found << "" << 0.0 << 0;
    QTest::newRow("no match") << QByteArray("N,1A,,0.001\n") << 27 << not_found << "" << 0.0 << 0;
    QTest::newRow("empty code stops the search")
        << QByteArray("A,,,0.01\nB,1B,,0.001\n") << 0x1B << empty_code << "" << 0.0 << 0;
    QTest::newRow("header only") << QByteArray() << 0 << not_found << "" << 0.0 << 0;
    QTest::newRow("short last record is absent")
        << QByteArray("A,10,,0.1\nB,1B,x\n") << 0x1B << not_found << "" << 0.0 << 0;
    QTest::newRow("short last record, empty code")
        << QByteArray("A,10,,0.1\nB,\n") << 0x1B << empty_code << "" << 0.0 << 0;
    QTest::newRow("a five-field line shifts the rest")
        << QByteArray("A,10,,0.1,extra\nB,1B,,0.001\n") << 0x1B << not_found << "" << 0.0 << 0;
}

void tst_model_table::lookup()
{
    QFETCH(QByteArray, records);
    QFETCH(int, code);
    QFETCH(int, end);
    QFETCH(QString, name);
    QFETCH(double, factor);
    QFETCH(int, decimals);
    const ModelLookup found = lookup_model(table(records), code);
    QCOMPARE(int(found.end), end);
    QCOMPARE(found.name, name);
    QCOMPARE(found.factor, factor);
    QCOMPARE(found.factor_decimals, decimals);
}

void tst_model_table::fields_are_flat()
{
    QCOMPARE(parse_model_fields("a,b\n,c,\r\nd"), (QStringList{"a", "b", "", "c", "", "d"}));
}

void tst_model_table::load_file()
{
    QTemporaryDir dir;
    QStringList fields{"stale"};
    QVERIFY(!load_model_table(dir.filePath("models_counter.csv"), fields));
    QVERIFY(fields.isEmpty());

    QFile file(dir.filePath("models_counter.csv"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(header + "N,1A,,0.001\r\n");
    file.close();
    QVERIFY(load_model_table(file.fileName(), fields));
    QCOMPARE(lookup_model(fields, 26).name, QStringLiteral("N"));
}

void tst_model_table::decoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    const QString model = QString::fromUtf8("Модель");
    QTest::newRow("UTF-8") << QByteArray("Модель") << model;
    QTest::newRow("UTF-8 after a byte order mark") << QByteArray("\xEF\xBB\xBFМодель") << model;
    QTest::newRow("Windows-1251") << QByteArray("\xCC\xEE\xE4\xE5\xEB\xFC") << model;
    QTest::newRow("Windows-1251, Ё ё № and the euro sign")
        << QByteArray("\xA8\xB8\xB9\x88") << QString::fromUtf8("Ёё№€");
    QTest::newRow("Windows-1251, Ukrainian letters")
        << QByteArray("\xAA\xBA\xAF\xBF\xB2\xB3\xA5\xB4") << QString::fromUtf8("ЄєЇїІіҐґ");
    QTest::newRow("Windows-1251, я and А") << QByteArray("\xFF\xC0") << QString::fromUtf8("яА");
    QTest::newRow("one UTF-8 letter among 1251 is 1251") << QByteArray("\xD0\x9C\xEE") << QString::fromUtf8("Рњо");
    QTest::newRow("overlong form is not UTF-8") << QByteArray("\xC0\xAF") << QString::fromUtf8("АЇ");
    QTest::newRow("surrogate is not UTF-8") << QByteArray("\xED\xA0\x80") << QString::fromUtf8("н\u00A0Ђ");
    QTest::newRow("cut sequence at the end is not UTF-8") << QByteArray("a\xD0") << QString::fromUtf8("aР");
    QTest::newRow("ASCII") << QByteArray("N,1A,,0.001") << QStringLiteral("N,1A,,0.001");
    QTest::newRow("UTF-8 ends at a NUL") << QByteArray("Мо\0дель", 13) << QString::fromUtf8("Мо");
    QTest::newRow("Windows-1251 keeps a NUL") << QByteArray("\xCC\0\xEE", 3) << QString::fromUtf8("М\0о", 5);
}

void tst_model_table::decoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(decode_model_text(bytes), text);
}

// As the older tools leave it on a Russian Windows: 1251, CR LF.
void tst_model_table::windows_1251_file()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("models_counter.csv");
    write_file(path,
               "\xCC\xEE\xE4\xE5\xEB\xFC,\xCA\xEE\xE4,,\r\n"
               "\xD1\xC2-15 \xE8\xEC\xEF,C15,,0.001\r\n");
    QStringList fields;
    QVERIFY(load_model_table(path, fields));
    QCOMPARE(fields.first(), QString::fromUtf8("Модель"));
    const ModelLookup found = lookup_model(fields, 0xC15);
    QCOMPARE(int(found.end), int(ModelLookup::End::matched));
    QCOMPARE(found.name, QString::fromUtf8("СВ-15 имп"));
    QCOMPARE(found.factor, 0.001);
}

// The file shipped beside the program is UTF-8 and must read as such on any
// system, whatever its local 8-bit encoding.
void tst_model_table::repository_file()
{
    QStringList fields;
    QVERIFY(load_model_table(QStringLiteral(MODELS_FILE), fields));
    QCOMPARE(fields.value(0), QString::fromUtf8("Модель"));
    const ModelLookup found = lookup_model(fields, 0x0C15);
    QCOMPARE(int(found.end), int(ModelLookup::End::matched));
    QCOMPARE(found.name, QString::fromUtf8("СВК-15 RS485"));
}

void tst_model_table::garbage()
{
    for (quint32 seed = 1; seed <= 50; ++seed) {
        const QStringList fields = parse_model_fields(::garbage(20000, seed));
        QVERIFY(fields.size() <= max_model_fields);
        lookup_model(fields, int(seed));
    }
    // Records after garbage lines are still found where the fields line up.
    const QStringList fields = table(records(1, 3) + ::garbage(500, 9).replace('\n', ' ').replace(',', ';') + "\n"
                                     + "x,x,x\n" + records(4, 1));
    QCOMPARE(lookup_model(fields, 2).name, QStringLiteral("M2"));
    QCOMPARE(lookup_model(fields, 4).name, QStringLiteral("M4"));
}

void tst_model_table::field_cap()
{
    // 12,000 models: only the first 10,000 lines (the header and 9,999 models) fit.
    const QStringList fields = table(records(1, 12000));
    QCOMPARE(fields.size(), max_model_fields);
    QCOMPARE(lookup_model(fields, 9999).name, QStringLiteral("M9999"));
    QCOMPARE(int(lookup_model(fields, 10000).end), int(ModelLookup::End::not_found));
}

void tst_model_table::a_line_past_the_field_cap_is_dropped_whole()
{
    // A million fields on one line, under the byte cap.
    const QByteArray commas(1000 * 1000, ',');
    QElapsedTimer timer;
    timer.start();
    const QStringList fields = table(records(1, 2) + "N,1F," + commas + "\n" + records(3, 1));
    QCOMPARE(fields.size(), 12); // nothing of that line or after it
    QCOMPARE(lookup_model(fields, 2).name, QStringLiteral("M2"));
    QCOMPARE(int(lookup_model(fields, 3).end), int(ModelLookup::End::not_found));
    QVERIFY2(timer.elapsed() < 5000, "a million commas took seconds");
}

void tst_model_table::byte_cap_keeps_whole_lines()
{
    // A padding model's name brings the last model's line one byte across the
    // cap: that line is dropped, not cut into a record with a shortened factor.
    const QByteArray head = header + records(1, 1);
    const QByteArray last = "M2,2,,0.0012345\n";
    const auto padding = [](int size) { return "P" + QByteArray(size - 7, ' ') + ",0,,1\n"; };
    const int room = max_model_file_bytes - head.size() - last.size();

    const QStringList cut = parse_model_fields(head + padding(room + 1) + last);
    QCOMPARE(lookup_model(cut, 1).name, QStringLiteral("M1"));
    QCOMPARE(int(lookup_model(cut, 2).end), int(ModelLookup::End::not_found));
    QCOMPARE(cut.size(), 12);

    const QStringList whole = parse_model_fields(head + padding(room) + last);
    QCOMPARE(lookup_model(whole, 2).factor_decimals, 7);
}

void tst_model_table::huge_file_is_read_only_to_the_cap()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("models_counter.csv");
    // 8 MB: the table, then a flood of fields and binary garbage.
    write_file(path, header + records(1, 5) + QByteArray(4 * 1024 * 1024, ',') + ::garbage(4 * 1024 * 1024, 5));
    QStringList fields;
    QVERIFY(load_model_table(path, fields));
    QCOMPARE(fields.size(), 24);
    QCOMPARE(lookup_model(fields, 5).name, QStringLiteral("M5"));

    // Garbage without a newline in the first megabyte: no table, but the file was read.
    write_file(path, QByteArray(3 * 1024 * 1024, 'A'));
    QVERIFY(load_model_table(path, fields));
    QVERIFY(fields.isEmpty());
    QCOMPARE(int(lookup_model(fields, 1).end), int(ModelLookup::End::not_found));
}

void tst_model_table::folder_cannot_be_read()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("models_counter.csv")); // even root cannot open a folder as a file
    QStringList fields{"stale"};
    QVERIFY(!load_model_table(dir.filePath("models_counter.csv"), fields));
    QVERIFY(fields.isEmpty());
}

void tst_model_table::unreadable_file()
{
#ifdef Q_OS_WIN
    QSKIP("no permission bit makes a file unreadable to its owner on Windows");
#else
    if (geteuid() == 0)
        QSKIP("root reads files whatever their permissions");
#endif
    QTemporaryDir dir;
    const QString path = dir.filePath("models_counter.csv");
    write_file(path, header + records(1, 1));
    QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    QStringList fields{"stale"};
    QVERIFY(!load_model_table(path, fields));
    QVERIFY(fields.isEmpty());
}

QTEST_APPLESS_MAIN(tst_model_table)
#include "tst_model_table.moc"
