// The line table of "Считать все": what each row shows, and what a
// spreadsheet gets of it from the file and from Ctrl+C.
#include "model/riser_table.h"

#include <QtTest>

namespace {

ModelLookup litres_model()
{
    ModelLookup model;
    model.end = ModelLookup::End::matched;
    model.name = QStringLiteral("СВГ-15 RS485");
    model.factor = 0.001;
    model.factor_has_point = true;
    model.factor_decimals = 3;
    return model;
}

// A meter read whole: 30.01.2024 15:42:10 on its clock, 12346 units.
scan::MeterReadout read_meter(int version, const ModelLookup &model)
{
    scan::MeterReadout m;
    m.target.address = 17;
    m.outcome = RunOutcome::Kind::ok;
    m.attempts = 1;
    m.values.protocol_version = quint16(version);
    m.values.model_code = 0x0C16;
    m.values.model = model;
    m.values.serial = SerialBytes{0x00, 0xa1, 0xb2, 0xc3, 0xd4, 0x05};
    m.values.volume_units = 12346;
    m.values.event = 0;
    m.values.clock_seconds = 1706629330;
    if (version == 3)
        m.values.reverse_units = -40;
    m.clock_offset_s = -125;
    return m;
}

scan::MeterReadout failed_meter(int attempts)
{
    scan::MeterReadout m;
    m.target.address = 3;
    m.outcome = RunOutcome::Kind::no_answer;
    m.attempts = attempts;
    return m;
}

} // namespace

Q_DECLARE_METATYPE(scan::MeterReadout)

class tst_riser_table : public QObject
{
    Q_OBJECT
private slots:
    void rows_data();
    void rows();
    void copied_as_the_file_gives_it();
};

void tst_riser_table::rows_data()
{
    QTest::addColumn<scan::MeterReadout>("meter");
    QTest::addColumn<bool>("pass_over");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<bool>("red");

    QTest::newRow("m3, version 2") << read_meter(2, litres_model()) << true << QStringList{"17",
                                                                                           "00a1b2c3d405",
                                                                                           "c16 СВГ-15 RS485",
                                                                                           "2",
                                                                                           "12.346",
                                                                                           "нет",
                                                                                           "м3",
                                                                                           "0",
                                                                                           "30.01.2024 15:42:10",
                                                                                           "-125",
                                                                                           "OK",
                                                                                           "кв. 17"}
                                   << false;
    // A model the table does not know: the row counts units and says so; a
    // reverse flow below 0 shows 0, as in the main window.
    QTest::newRow("counts, version 3")
        << read_meter(3, ModelLookup()) << true
        << QStringList{"17",   "00a1b2c3d405", "c16 неизвестная", "3", "12346", "0", "ед.", "0", "30.01.2024 15:42:10",
                       "-125", "OK",           "кв. 17"}
        << false;
    // A meter that failed keeps the serial number the search listed.
    QTest::newRow("no answer, asked again later")
        << failed_meter(1) << false
        << QStringList{"3", "0012345678ab", "", "", "", "", "", "", "", "", "Соединение отсутствует, повтор в конце",
                       ""}
        << true;
    QTest::newRow("no answer twice") << failed_meter(
        2) << true << QStringList{"3", "0012345678ab", "", "", "", "", "", "", "", "", "Соединение отсутствует", ""}
                                     << true;
    scan::MeterReadout never_asked = failed_meter(0);
    never_asked.outcome = RunOutcome::Kind::pending;
    QTest::newRow("pass cut short") << never_asked << true
                                    << QStringList{"3", "0012345678ab", "", "", "", "", "", "", "", "", "Не считан", ""}
                                    << true;
}

void tst_riser_table::rows()
{
    QFETCH(scan::MeterReadout, meter);
    QFETCH(bool, pass_over);
    QFETCH(QStringList, shown);
    QFETCH(bool, red);

    RiserTable table;
    table.set_labels({{QStringLiteral("00a1b2c3d405"), QStringLiteral("кв. 17")}});
    table.start({{meter.target.address, QStringLiteral("0012345678ab")}});
    table.set_meter(0, meter, pass_over);

    QCOMPARE(table.columnCount(), shown.size());
    QStringList cells;
    for (int c = 0; c < table.columnCount(); ++c)
        cells << table.index(0, c).data().toString();
    QCOMPARE(cells, shown);
    QCOMPARE(table.index(0, RiserTable::outcome).data(Qt::ForegroundRole).value<QColor>(),
             QColor(red ? Qt::red : Qt::black));
    QVERIFY(!(table.flags(table.index(0, 0)) & Qt::ItemIsEditable));
}

// The file and Ctrl+C give a spreadsheet the same fields: the serial number as
// text, volumes with a decimal comma. (The end-to-end run compares every cell
// of a whole pass.)
void tst_riser_table::copied_as_the_file_gives_it()
{
    RiserTable table;
    table.set_labels({{QStringLiteral("00a1b2c3d405"), QStringLiteral("кв. 17")}});
    table.start({{17, QString()}});
    table.set_meter(0, read_meter(2, litres_model()), true);
    const QString fields = "17;=\"00a1b2c3d405\";c16 СВГ-15 RS485;2;12,346;нет;м3;0;30.01.2024 15:42:10;-125;OK;кв. 17";

    QModelIndexList whole_row;
    for (int c = 0; c < table.columnCount(); ++c)
        whole_row << table.index(0, c);
    QCOMPARE(table.spreadsheet_text(whole_row), QString(fields).replace(';', '\t') + '\n');
    const QStringList file
        = QString::fromUtf8(table.csv(QDateTime(QDate(2024, 1, 30), QTime(15, 42, 10)), "Считано").mid(3))
              .split("\r\n");
    QCOMPARE(file.value(0), QStringLiteral("Время чтения;30.01.2024 15:42:10"));
    QCOMPARE(file.value(3),
             QStringLiteral("Адрес;Серийный номер;Модель;Версия протокола;Показания;Обр. поток;Единица;События;"
                            "Время счетчика;Расхождение, с;Результат;Метка"));
    QCOMPARE(file.value(4), fields);
}

QTEST_MAIN(tst_riser_table)
#include "tst_riser_table.moc"
