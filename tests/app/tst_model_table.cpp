#include "app/model_table.h"

#include <QtTest>

namespace {

const QByteArray header = "Модель,Код,Примечание,Множитель\n";

QStringList table(const QByteArray &records)
{
    return parse_model_fields(header + records);
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
    QTest::newRow("second record") << QByteArray("A,10,,0.01\nB,0x20,,0.0001\n") << 0x20 << matched << "B" << 0.0001 << 4;
    QTest::newRow("factor without a point") << QByteArray("N,1A,,10\n") << 26 << matched << "N" << 10.0 << 0;
    QTest::newRow("factor not a number") << QByteArray("N,1A,,abc\n") << 26 << matched << "N" << 0.0 << 0;
    QTest::newRow("lower-case code does not match") << QByteArray("N,1a2b,,0.001\n") << 0x1A2B << not_found << "" << 0.0 << 0;
    QTest::newRow("no match") << QByteArray("N,1A,,0.001\n") << 27 << not_found << "" << 0.0 << 0;
    QTest::newRow("empty code stops the search") << QByteArray("A,,,0.01\nB,1B,,0.001\n") << 0x1B << empty_code << "" << 0.0 << 0;
    QTest::newRow("header only") << QByteArray() << 0 << not_found << "" << 0.0 << 0;
    QTest::newRow("short last record is absent") << QByteArray("A,10,,0.1\nB,1B,x\n") << 0x1B << not_found << "" << 0.0 << 0;
    QTest::newRow("short last record, empty code") << QByteArray("A,10,,0.1\nB,\n") << 0x1B << empty_code << "" << 0.0 << 0;
    QTest::newRow("a five-field line shifts the rest") << QByteArray("A,10,,0.1,extra\nB,1B,,0.001\n") << 0x1B << not_found << "" << 0.0 << 0;
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

QTEST_APPLESS_MAIN(tst_model_table)
#include "tst_model_table.moc"
