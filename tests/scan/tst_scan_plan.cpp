// The search's pure parts: the address range, the waits and the rows.
#include "meter/model_table.h"
#include "model/scan_rows.h"
#include "scan/scan_plan.h"

#include <QtTest>

using namespace scan;

namespace {

const QStringList models = parse_model_fields(QStringLiteral("Модель,Код,Комментарий,Коэффициент\n"
                                                             "СВК-15 RS485,0C15,Ду 15,0.001\n"
                                                             "СВГ-15 RS485,0C16,Ду 15,0.001\n")
                                                  .toUtf8());

// What the built-in meter of the stand-in answers, data bytes only.
MeterIdentity default_meter(int address)
{
    MeterIdentity m;
    m.address = address;
    m.data[protocol_version] = QByteArray::fromHex("0003");
    m.data[software_version] = QByteArray::fromHex("0105");
    m.data[model_code] = QByteArray::fromHex("0c15");
    m.data[serial_number] = QByteArray::fromHex("78ab34560012"); // b5 b6 b3 b4 b1 b2
    m.data[device_type] = QByteArray::fromHex("0006");
    m.complete = true;
    return m;
}

LineTiming timing(int baud, int parity = 0, int stop_bits = 1)
{
    LineTiming line;
    line.baud_rate = baud;
    line.parity = parity;
    line.stop_bits = stop_bits;
    return line;
}

} // namespace

class tst_scan_plan : public QObject
{
    Q_OBJECT
private slots:
    void address_range_data();
    void address_range();
    void probe_wait_data();
    void probe_wait();
    void meter_wait_data();
    void meter_wait();
    void reads_in_order();
    void row_of_a_whole_identification();
    void row_of_a_partial_identification_data();
    void row_of_a_partial_identification();
    void unknown_model();
    void garbled_device();
    void serial_for_addressing_data();
    void serial_for_addressing();
};

void tst_scan_plan::address_range_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("size");
    QTest::newRow("whole line") << 1 << 247 << true << 247;
    QTest::newRow("one address") << 17 << 17 << true << 1;
    QTest::newRow("last address alone") << 247 << 247 << true << 1;
    QTest::newRow("narrow") << 15 << 20 << true << 6;
    QTest::newRow("broadcast") << 0 << 10 << false << 0;
    QTest::newRow("negative") << -1 << 10 << false << 0;
    QTest::newRow("beyond 247") << 1 << 248 << false << 0;
    QTest::newRow("reversed") << 20 << 15 << false << 0;
}

void tst_scan_plan::address_range()
{
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(bool, valid);
    QFETCH(int, size);
    const std::optional<AddressRange> range = scan::address_range(first, last);
    QCOMPARE(range.has_value(), valid);
    if (valid) {
        QCOMPARE(range->first, first);
        QCOMPARE(range->last, last);
        QCOMPARE(range->size(), size);
    }
}

// Request 8 bytes and answer 7 (one register): 15 characters, plus 3.5.
void tst_scan_plan::probe_wait_data()
{
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("stop_bits");
    QTest::addColumn<int>("operator_ms");
    QTest::addColumn<int>("wait_ms");
    // 18.5 characters of 10 bits: 19.27 ms at 9600, 154.2 ms at 1200.
    QTest::newRow("9600, default wait") << 9600 << 0 << 1 << 100 << 120;
    QTest::newRow("9600, 30 ms") << 9600 << 0 << 1 << 30 << 50;
    QTest::newRow("1200, default wait") << 1200 << 0 << 1 << 100 << 255;
    // 12 bits a character: 23.1 ms.
    QTest::newRow("9600 even, 2 stop bits") << 9600 << 2 << 2 << 100 << 124;
    QTest::newRow("negative wait counts 0") << 9600 << 0 << 1 << -5 << 20;
}

void tst_scan_plan::probe_wait()
{
    QFETCH(int, baud);
    QFETCH(int, parity);
    QFETCH(int, stop_bits);
    QFETCH(int, operator_ms);
    QFETCH(int, wait_ms);
    QCOMPARE(probe_wait_ms(timing(baud, parity, stop_bits), 8, 7, operator_ms), wait_ms);
}

void tst_scan_plan::meter_wait_data()
{
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("answer_bytes");
    QTest::addColumn<int>("fail_ms");
    QTest::addColumn<int>("wait_ms");
    QTest::newRow("failure period rules") << 9600 << 7 << 1000 << 1000;
    // 8 + 7 + 3.5 characters (20 ms) and the 200 ms allowance.
    QTest::newRow("short period at 9600") << 9600 << 7 << 100 << 220;
    // The serial number: 8 + 11 + 3.5 characters at 1200 is 187.5 ms.
    QTest::newRow("short period at 1200") << 1200 << 11 << 100 << 388;
}

void tst_scan_plan::meter_wait()
{
    QFETCH(int, baud);
    QFETCH(int, answer_bytes);
    QFETCH(int, fail_ms);
    QFETCH(int, wait_ms);
    QCOMPARE(meter_wait_ms(timing(baud), 8, answer_bytes, fail_ms), wait_ms);
}

void tst_scan_plan::reads_in_order()
{
    const int expected[][2] = {{0x0009, 1}, {0x0000, 1}, {0x0008, 1}, {0x0004, 3}, {0x0304, 1}};
    QCOMPARE(int(std::size(expected)), int(field_count));
    for (int f = 0; f < field_count; ++f) {
        QCOMPARE(int(identification_read(f).reg), expected[f][0]);
        QCOMPARE(int(identification_read(f).count), expected[f][1]);
    }
}

void tst_scan_plan::row_of_a_whole_identification()
{
    const MeterRow row = Rows::row(default_meter(3), models);
    QCOMPARE(row.address, QStringLiteral("3"));
    QCOMPARE(row.serial_number, QStringLiteral("0012345678ab"));
    QCOMPARE(row.model, QStringLiteral("c15 СВК-15 RS485"));
    QCOMPARE(row.protocol_version, QStringLiteral("3"));
    QCOMPARE(row.software_version, QStringLiteral("1.05"));
    QCOMPARE(row.device_type, QStringLiteral("6 хол. воды"));
    QCOMPARE(row.addressing_serial, QStringLiteral("0012345678ab"));
}

// A meter that fell silent after `read` fields: while it is still being
// asked the rest is empty, once it is done "?".
void tst_scan_plan::row_of_a_partial_identification_data()
{
    QTest::addColumn<int>("read");
    QTest::addColumn<bool>("complete");
    for (int read = 1; read < field_count; ++read) {
        QTest::addRow("%d read, asking", read) << read << false;
        QTest::addRow("%d read, given up", read) << read << true;
    }
    QTest::newRow("exception to everything") << 0 << true;
}

void tst_scan_plan::row_of_a_partial_identification()
{
    QFETCH(int, read);
    QFETCH(bool, complete);
    MeterIdentity meter = default_meter(17);
    for (int f = read; f < field_count; ++f)
        meter.data[size_t(f)].clear();
    meter.complete = complete;
    const MeterRow row = Rows::row(meter, models);
    const MeterRow whole = Rows::row(default_meter(17), models);
    const QString missing = complete ? QStringLiteral("?") : QString();

    QCOMPARE(row.address, QStringLiteral("17"));
    QCOMPARE(row.protocol_version, read > protocol_version ? whole.protocol_version : missing);
    QCOMPARE(row.software_version, read > software_version ? whole.software_version : missing);
    QCOMPARE(row.model, read > model_code ? whole.model : missing);
    QCOMPARE(row.serial_number, read > serial_number ? whole.serial_number : missing);
    QCOMPARE(row.addressing_serial, read > serial_number ? whole.addressing_serial : QString());
    QCOMPARE(row.device_type, read > device_type ? whole.device_type : missing);
}

void tst_scan_plan::garbled_device()
{
    MeterIdentity device;
    device.address = 100;
    device.garbled = true;
    device.complete = true;
    const MeterRow row = Rows::row(device, models);
    QCOMPARE(row.address, QStringLiteral("100"));
    QCOMPARE(row.model, QStringLiteral("ответ не распознан"));
    QCOMPARE(row.serial_number, QStringLiteral("?"));
    QCOMPARE(row.protocol_version, QStringLiteral("?"));
    QCOMPARE(row.software_version, QStringLiteral("?"));
    QCOMPARE(row.device_type, QStringLiteral("?"));
    QCOMPARE(row.addressing_serial, QString());
}

void tst_scan_plan::unknown_model()
{
    MeterIdentity meter = default_meter(200);
    meter.data[model_code] = QByteArray::fromHex("7777");
    QCOMPARE(Rows::row(meter, models).model, QStringLiteral("7777 неизвестная"));
    QCOMPARE(Rows::row(default_meter(200), QStringList()).model, QStringLiteral("c15 неизвестная"));
    meter.data[model_code] = QByteArray::fromHex("0c16");
    QCOMPARE(Rows::row(meter, models).model, QStringLiteral("c16 СВГ-15 RS485"));
}

// The shown serial number keeps every digit, so it is the one the addressing
// field is given.
void tst_scan_plan::serial_for_addressing_data()
{
    QTest::addColumn<QByteArray>("data"); // b5 b6 b3 b4 b1 b2
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("addressing");
    QTest::newRow("default") << QByteArray::fromHex("78ab34560012") << "0012345678ab"
                             << "0012345678ab";
    QTest::newRow("single-digit bytes") << QByteArray::fromHex("d405b2c300a1") << "00a1b2c3d405"
                                        << "00a1b2c3d405";
    QTest::newRow("all zero") << QByteArray::fromHex("000000000000") << "000000000000"
                              << "000000000000";
    QTest::newRow("all ff") << QByteArray::fromHex("ffffffffffff") << "ffffffffffff"
                            << "ffffffffffff";
    QTest::newRow("too short") << QByteArray::fromHex("78ab3456") << ""
                               << "";
}

void tst_scan_plan::serial_for_addressing()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, shown);
    QFETCH(QString, addressing);
    QCOMPARE(Rows::addressing_serial(data), addressing);
    MeterIdentity meter = default_meter(5);
    meter.data[serial_number] = data;
    const MeterRow row = Rows::row(meter, models);
    QCOMPARE(row.serial_number, shown.isEmpty() ? QStringLiteral("?") : shown);
    QCOMPARE(row.addressing_serial, addressing);
}

QTEST_APPLESS_MAIN(tst_scan_plan)
#include "tst_scan_plan.moc"
