#include "archive/records.h"
#include "model/archive_texts.h"

#include <QtTest>

namespace {

// Version 2 record: 30.01.2024 15:00:00, reading 12345, event 0.
const QByteArray v2_record = QByteArray::fromHex("0ef065b930390000"
                                                 "0000");

QByteArray frame(int header, const QByteArray &payload)
{
    return QByteArray(header, '\xaa') + payload + QByteArray::fromHex("c1c2");
}

QByteArray numbered_records(int count, int length)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += QByteArray(length, char(i + 1));
    return bytes;
}

} // namespace

class tst_records : public QObject
{
    Q_OBJECT
private slots:
    void lengths();
    void titles();
    void meter_named_data();
    void meter_named();
    void decode();
    void rows_data();
    void rows();
    void split_data();
    void split();
    void split_keeps_frame_order();
};

void tst_records::lengths()
{
    QCOMPARE(arc::record_length(2), 10);
    QCOMPARE(arc::record_length(3), 14);
    QCOMPARE(arc::record_length(0), 0);
    QCOMPARE(arc::record_length(4), 0);
}

void tst_records::titles()
{
    QCOMPARE(arc::column_titles(VolumeScale{0.001, 3}),
             QStringList({"Номер записи", "Время", "Показания, м3", "Событие", "Пок. обр. потока, м3"}));
    // A model not in the table: the volumes are counts, and the titles say so.
    QCOMPARE(arc::column_titles(VolumeScale()),
             QStringList({"Номер записи", "Время", "Показания, ед.", "Событие", "Пок. обр. потока, ед."}));
}

void tst_records::meter_named_data()
{
    QTest::addColumn<bool>("by_serial");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("line");
    const QString at = QStringLiteral("; время чтения 30.01.2024 15:04:05");
    QTest::newRow("by address") << false << "0012345678ab"
                                << "c15 СВК-15 RS485"
                                << "Архив: с/н 0012345678ab, адрес 7, c15 СВК-15 RS485" + at
                                << "с/н 0012345678ab, адрес 7, c15 СВК-15 RS485" + at;
    // The serial addressing names the meter once.
    QTest::newRow("by serial number") << true << "0012345678ab"
                                      << "c15 СВК-15 RS485"
                                      << "Архив: с/н 0012345678ab, c15 СВК-15 RS485" + at
                                      << "с/н 0012345678ab, c15 СВК-15 RS485" + at;
    QTest::newRow("number and model not known")
        << false << QString() << QString() << "Архив: адрес 7" + at << "адрес 7" + at;
}

void tst_records::meter_named()
{
    QFETCH(bool, by_serial);
    QFETCH(QString, serial);
    QFETCH(QString, model);
    QFETCH(QString, title);
    QFETCH(QString, line);
    MeterTarget target;
    target.by_serial = by_serial;
    target.address = 7;
    target.serial = {0x00, 0x12, 0x34, 0x56, 0x78, 0xab};
    const QDateTime read_at(QDate(2024, 1, 30), QTime(15, 4, 5));
    const QString caption = arc::meter_caption(serial, target, model);
    QCOMPARE(arc::window_title(caption, read_at), title);
    QCOMPARE(arc::meter_line(caption, read_at), line);
    // Before any read the window is the archive's alone.
    QCOMPARE(arc::window_title(QString(), QDateTime()), QStringLiteral("Архив"));
}

void tst_records::decode()
{
    // Each field in its own word order, so a swapped word or byte shows.
    const QByteArray bytes = QByteArray::fromHex("0ef065b9"
                                                 "30390001"
                                                 "0102"
                                                 "fffeffff");
    const arc::Record v3 = arc::decode_record(bytes, 3);
    QCOMPARE(v3.time, 1706626800);
    QCOMPARE(v3.reading, 0x00013039);
    QCOMPARE(int(v3.event), 0x0102);
    QCOMPARE(v3.reverse_flow, -2);

    const arc::Record v2 = arc::decode_record(bytes.left(10), 2);
    QCOMPARE(v2.time, 1706626800);
    QCOMPARE(v2.reverse_flow, 0);
}

void tst_records::rows_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<int>("version");
    QTest::addColumn<double>("scale");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QStringList>("row");
    QTest::addColumn<bool>("holds_value");

    const QByteArray reverse_minus_one = QByteArray::fromHex("ffffffff");
    const QByteArray v3_record = v2_record + reverse_minus_one;

    QTest::newRow("v2 scaled") << 0 << v2_record << 2 << 0.001 << 3
                               << QStringList{"0", "30.01.2024 15:00:00", "12.345", "0", "--"} << true;
    QTest::newRow("v2 no factor") << 4 << v2_record << 2 << 0.0 << 3
                                  << QStringList{"4", "30.01.2024 15:00:00", "12345", "0", "--"} << true;
    QTest::newRow("v2 other decimals") << 1 << v2_record << 2 << 0.01 << 1
                                       << QStringList{"1", "30.01.2024 15:00:00", "123.5", "0", "--"} << true;
    // The meter's mark for a record without a value: no reading, not 0.
    QTest::newRow("reading -1 counted") << 0 << QByteArray::fromHex("0ef065b9ffffffff0000") << 2 << 0.0 << 0
                                        << QStringList{"0", "30.01.2024 15:00:00", "--", "0", "--"} << false;
    QTest::newRow("reading -6800 counted") << 0 << QByteArray::fromHex("0ef065b9e570ffff0000") << 2 << 0.0 << 0
                                           << QStringList{"0", "30.01.2024 15:00:00", "--", "0", "--"} << false;
    QTest::newRow("reading -1 scaled") << 0 << QByteArray::fromHex("0ef065b9ffffffff0000") << 2 << 0.001 << 3
                                       << QStringList{"0", "30.01.2024 15:00:00", "--", "0", "--"} << false;
    QTest::newRow("v3 reverse -1") << 2 << v3_record << 3 << 0.001 << 3
                                   << QStringList{"2", "30.01.2024 15:00:00", "12.345", "0", "-0.001"} << true;
    QTest::newRow("v3 reverse -1 counted")
        << 2 << v3_record << 3 << 0.0 << 3 << QStringList{"2", "30.01.2024 15:00:00", "12345", "0", "-1"} << true;
    QTest::newRow("event 00 07 v2") << 7
                                    << QByteArray::fromHex("0ef065b930390000"
                                                           "0007")
                                    << 2 << 0.001 << 3 << QStringList{"7", "--", "--", "--", "--"} << false;
    QTest::newRow("event 00 07 v3") << 9
                                    << QByteArray::fromHex("0ef065b930390000"
                                                           "0007"
                                                           "00010000")
                                    << 3 << 0.001 << 3 << QStringList{"9", "--", "--", "--", "--"} << false;
    QTest::newRow("event 07 00") << 0
                                 << QByteArray::fromHex("0ef065b930390000"
                                                        "0700")
                                 << 2 << 0.001 << 3 << QStringList{"0", "30.01.2024 15:00:00", "12.345", "1792", "--"}
                                 << true;
    QTest::newRow("time -1") << 0 << QByteArray::fromHex("ffffffff000000000000") << 2 << 0.001 << 3
                             << QStringList{"0", "31.12.1969 23:59:59", "0.000", "0", "--"} << true;
    QTest::newRow("other version") << 0 << v3_record << 4 << 0.001 << 3
                                   << QStringList{"0", "30.01.2024 15:00:00", "12.345", "0", "--"} << true;
    QTest::newRow("never written v2") << 3 << QByteArray(10, char(0xFF)) << 2 << 0.001 << 3
                                      << QStringList{"3", "--", "--", "--", "--"} << false;
    QTest::newRow("never written v3") << 11 << QByteArray(14, char(0xFF)) << 3 << 0.001 << 3
                                      << QStringList{"11", "--", "--", "--", "--"} << false;
    QTest::newRow("v3 all 0xFF but the reverse flow")
        << 5 << QByteArray::fromHex("ffffffffffffffffffff00010000") << 3 << 0.001 << 3
        << QStringList{"5", "31.12.1969 23:59:59", "--", "65535", "0.001"} << false;
    QTest::newRow("cut short: an empty slot") << 4 << QByteArray::fromHex("0ef065b930") << 2 << 0.001 << 3
                                              << QStringList{"4", "--", "--", "--", "--"} << false;
}

void tst_records::rows()
{
    QFETCH(int, k);
    QFETCH(QByteArray, record);
    QFETCH(int, version);
    QFETCH(double, scale);
    QFETCH(int, decimals);
    QFETCH(QStringList, row);
    QFETCH(bool, holds_value);
    QCOMPARE(arc::record_row(k, record, version, VolumeScale{scale, decimals}), row);
    QCOMPARE(arc::decode_record(record, version).holds_value(), holds_value);
}

void tst_records::split_data()
{
    QTest::addColumn<QList<QByteArray>>("frames");
    QTest::addColumn<int>("header");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("count");
    QTest::addColumn<QByteArray>("last");

    const QByteArray r14 = numbered_records(17, 14);

    // A version 2 answer length (248) read as version 3: 240 bytes, 17 records, 2 over.
    QTest::newRow("v3, 248-byte frame") << QList<QByteArray>{frame(6, numbered_records(24, 10))} << 6 << 14 << 17
                                        << numbered_records(24, 10).mid(16 * 14, 14);
    QTest::newRow("v3, 17 records") << QList<QByteArray>{frame(6, r14)} << 6 << 14 << 17 << QByteArray(14, char(17));
    QTest::newRow("v3, serial header") << QList<QByteArray>{frame(12, r14)} << 12 << 14 << 17
                                       << QByteArray(14, char(17));
    QTest::newRow("v2, 8 records") << QList<QByteArray>{frame(6, numbered_records(8, 10))} << 6 << 10 << 8
                                   << QByteArray(10, char(8));
    // Addressed by device address but split as by serial number: records start 6 bytes late.
    QTest::newRow("6-byte header split as 12") << QList<QByteArray>{frame(6, numbered_records(8, 10))} << 12 << 10 << 7
                                               << (QByteArray(4, char(7)) + QByteArray(6, char(8)));
    QTest::newRow("tail shorter than a record")
        << QList<QByteArray>{frame(6, numbered_records(1, 10) + "abc")} << 6 << 10 << 1 << QByteArray(10, char(1));
    QTest::newRow("record would need the crc")
        << QList<QByteArray>{frame(6, numbered_records(1, 10).left(8))} << 6 << 10 << 0 << QByteArray();
    QTest::newRow("exactly header and crc") << QList<QByteArray>{frame(6, {})} << 6 << 10 << 0 << QByteArray();
    QTest::newRow("shorter than a header")
        << QList<QByteArray>{QByteArray::fromHex("014403")} << 6 << 10 << 0 << QByteArray();
    QTest::newRow("empty frame") << QList<QByteArray>{QByteArray()} << 12 << 14 << 0 << QByteArray();
    QTest::newRow("no frames") << QList<QByteArray>{} << 6 << 10 << 0 << QByteArray();
    QTest::newRow("no record length") << QList<QByteArray>{frame(6, r14)} << 6 << 0 << 0 << QByteArray();
}

void tst_records::split()
{
    QFETCH(QList<QByteArray>, frames);
    QFETCH(int, header);
    QFETCH(int, length);
    QFETCH(int, count);
    QFETCH(QByteArray, last);
    const QList<QByteArray> records = arc::split_records(frames, header, length);
    QCOMPARE(records.size(), count);
    for (const QByteArray &r : records)
        QCOMPARE(r.size(), length);
    if (count > 0)
        QCOMPARE(records.last(), last);
}

void tst_records::split_keeps_frame_order()
{
    // The tail of the first frame must not join the head of the second.
    const QList<QByteArray> frames{frame(6, numbered_records(2, 10) + "xyz"), frame(6, QByteArray(10, 'b'))};
    const QList<QByteArray> records = arc::split_records(frames, 6, 10);
    QCOMPARE(records, (QList<QByteArray>{QByteArray(10, char(1)), QByteArray(10, char(2)), QByteArray(10, 'b')}));
}

QTEST_APPLESS_MAIN(tst_records)
#include "tst_records.moc"
