// The search window's list: what each row shows, what Ctrl+C gives a
// spreadsheet of it, and what stands out in red.
#include "meter/model_table.h"
#include "model/scan_table.h"

#include <QItemSelectionModel>
#include <QtTest>

namespace {

const QStringList models = parse_model_fields(QStringLiteral("Модель,Код,Комментарий,Коэффициент\n"
                                                             "СВК-15 RS485,0C15,Ду 15,0.001\n")
                                                  .toUtf8());

// What the built-in meter of the stand-in answers, at `baud` and `parity`.
scan::FoundMeter meter(int address, int baud = 9600, int parity = 0)
{
    scan::MeterIdentity m;
    m.address = address;
    m.data[scan::protocol_version] = QByteArray::fromHex("0003");
    m.data[scan::software_version] = QByteArray::fromHex("0105");
    m.data[scan::model_code] = QByteArray::fromHex("0c15");
    m.data[scan::serial_number] = QByteArray::fromHex("78ab34560012");
    m.data[scan::device_type] = QByteArray::fromHex("0006");
    m.complete = true;
    return {m, {baud, parity}};
}

scan::FoundMeter garbled(int address)
{
    scan::FoundMeter found;
    found.meter.address = address;
    found.meter.garbled = true;
    found.meter.complete = true;
    return found;
}

scan::MeterWriteResult write(RunOutcome outcome)
{
    scan::MeterWriteResult result;
    result.outcome = outcome;
    result.sent = outcome.kind != RunOutcome::Kind::pending;
    return result;
}

const QStringList meter_titles{"Адрес", "Серийный номер", "Модель", "Версия протокола", "Версия ПО", "Тип устройства"};
const QStringList meter_3{"3", "0012345678ab", "c15 СВК-15 RS485", "3", "1.05", "6 хол. воды"};
const QString pasted_3 = "3\t=\"0012345678ab\"\tc15 СВК-15 RS485\t3\t=\"1.05\"\t6 хол. воды";

} // namespace

Q_DECLARE_METATYPE(scan::FoundMeter)
Q_DECLARE_METATYPE(std::optional<scan::MeterWriteResult>)

class tst_scan_table : public QObject
{
    Q_OBJECT
private slots:
    void rows_data();
    void rows();
    void list_grows_under_a_selection();
};

void tst_scan_table::rows_data()
{
    QTest::addColumn<scan::FoundMeter>("found");
    QTest::addColumn<bool>("settings"); // the search tried more than one rate or parity
    QTest::addColumn<std::optional<scan::MeterWriteResult>>("result");
    QTest::addColumn<bool>("run_over");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QVector<int>>("red"); // the columns

    const std::optional<scan::MeterWriteResult> none;
    const QStringList result_titles = meter_titles + QStringList{"Результат записи"};
    QTest::newRow("meter") << meter(3) << false << none << false << meter_titles << meter_3 << pasted_3
                           << QVector<int>{};
    QTest::newRow("garbled device") << garbled(100) << false << none << false << meter_titles
                                    << QStringList{"100", "?", "ответ не распознан", "?", "?", "?"}
                                    << "100\t?\tответ не распознан\t?\t?\t?" << QVector<int>{0, 1, 2, 3, 4, 5};
    QTest::newRow("meter at another setting")
        << meter(3, 2400, 1) << true << none << false << meter_titles + QStringList{"Скорость, четность"}
        << meter_3 + QStringList{"2400, нечет"} << pasted_3 + "\t2400, нечет" << QVector<int>{};
    QTest::newRow("garbled at another setting")
        << garbled(5) << true << none << false << meter_titles + QStringList{"Скорость, четность"}
        << QStringList{"5", "?", "ответ не распознан", "?", "?", "?", "9600, нет"}
        << "5\t?\tответ не распознан\t?\t?\t?\t9600, нет" << QVector<int>{0, 1, 2, 3, 4, 5, 6};
    QTest::newRow("address given") << meter(3) << false
                                   << std::optional<scan::MeterWriteResult>(write(RunOutcome::Kind::ok)) << true
                                   << result_titles
                                   << meter_3 + QStringList{"Записано\nДля следующего обмена: адрес 2 в поле адреса"}
                                   << pasted_3 + "\tЗаписано Для следующего обмена: адрес 2 в поле адреса"
                                   << QVector<int>{};
    QTest::newRow("written, at another setting")
        << meter(3, 2400, 1) << true << std::optional<scan::MeterWriteResult>(write(RunOutcome::Kind::ok)) << true
        << meter_titles + QStringList{"Скорость, четность", "Результат записи"}
        << meter_3 + QStringList{"2400, нечет", "Записано\nДля следующего обмена: адрес 2 в поле адреса"}
        << pasted_3 + "\t2400, нечет\tЗаписано Для следующего обмена: адрес 2 в поле адреса" << QVector<int>{};
    QTest::newRow("silent") << meter(3) << false
                            << std::optional<scan::MeterWriteResult>(write(RunOutcome::Kind::no_answer)) << false
                            << result_titles << meter_3 + QStringList{"Соединение отсутствует"}
                            << pasted_3 + "\tСоединение отсутствует" << QVector<int>{6};
    QTest::newRow("not confirmed") << meter(3) << false
                                   << std::optional<scan::MeterWriteResult>(write(RunOutcome::Kind::not_confirmed))
                                   << true << result_titles << meter_3 + QStringList{"Запись не подтверждена"}
                                   << pasted_3 + "\tЗапись не подтверждена" << QVector<int>{6};
    QTest::newRow("waiting its turn") << meter(3) << false
                                      << std::optional<scan::MeterWriteResult>(write(RunOutcome::Kind::pending))
                                      << false << result_titles << meter_3 + QStringList{""} << pasted_3 + "\t"
                                      << QVector<int>{};
    QTest::newRow("run ended before it") << meter(3) << false
                                         << std::optional<scan::MeterWriteResult>(write(RunOutcome::Kind::pending))
                                         << true << result_titles << meter_3 + QStringList{"Не записано"}
                                         << pasted_3 + "\tНе записано" << QVector<int>{6};
}

void tst_scan_table::rows()
{
    QFETCH(scan::FoundMeter, found);
    QFETCH(bool, settings);
    QFETCH(std::optional<scan::MeterWriteResult>, result);
    QFETCH(bool, run_over);
    QFETCH(QStringList, titles);
    QFETCH(QStringList, shown);
    QFETCH(QString, pasted);
    QFETCH(QVector<int>, red);

    ScanTable table;
    table.start(settings);
    table.set_meters({found}, models);
    // A confirmed write says what the next exchange needs.
    if (result)
        table.set_result(0, *result, run_over,
                         result->outcome.ok() ? QStringLiteral("адрес 2 в поле адреса") : QString());

    QCOMPARE(table.columnCount(), titles.size());
    QStringList header, cells;
    QVector<int> red_columns;
    QModelIndexList all;
    for (int c = 0; c < table.columnCount(); ++c) {
        header << table.headerData(c, Qt::Horizontal).toString();
        cells << table.index(0, c).data().toString();
        if (table.index(0, c).data(Qt::ForegroundRole).value<QColor>() == QColor(Qt::red))
            red_columns << c;
        all << table.index(0, c);
        QVERIFY(!(table.flags(table.index(0, c)) & Qt::ItemIsEditable));
    }
    QCOMPARE(header, titles);
    QCOMPARE(cells, shown);
    QCOMPARE(red_columns, red);
    QCOMPARE(table.spreadsheet_text(all), pasted + "\n");

    // A new list: the results spoke of the old one.
    table.forget_results();
    QCOMPARE(table.columnCount(), meter_titles.size() + (settings ? 1 : 0));
}

// Meters found while the operator has a row selected: the row stays
// selected, and a device heard cleanly takes the place of its garbled row.
void tst_scan_table::list_grows_under_a_selection()
{
    ScanTable table;
    QItemSelectionModel selection(&table);
    table.start(false);
    table.set_meters({meter(3), garbled(7)}, models);
    selection.select(table.index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    table.set_meters({meter(3), meter(7), meter(9)}, models);
    QCOMPARE(table.rowCount(), 3);
    QCOMPARE(table.index(1, ScanTable::model).data().toString(), QStringLiteral("c15 СВК-15 RS485"));
    QVERIFY(!table.index(1, ScanTable::model).data(Qt::ForegroundRole).isValid());
    QCOMPARE(selection.selectedRows().size(), 1);
    QCOMPARE(selection.selectedRows().first().row(), 0);
}

QTEST_MAIN(tst_scan_table)
#include "tst_scan_table.moc"
