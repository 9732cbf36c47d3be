#include "model/quantity.h"

#include <QtTest>

using quantity::Kind;

Q_DECLARE_METATYPE(Kind)
Q_DECLARE_METATYPE(VolumeScale)
Q_DECLARE_METATYPE(ModelLookup)
Q_DECLARE_METATYPE(MeterTarget)

namespace {

const VolumeScale counts;
const VolumeScale litres{0.001, 3};

ModelLookup found(const QString &name)
{
    ModelLookup model;
    model.end = ModelLookup::End::matched;
    model.name = name;
    return model;
}

} // namespace

class tst_quantity : public QObject
{
    Q_OBJECT
private slots:
    void volumes_data();
    void volumes();
    void clocks_data();
    void clocks();
    void events_data();
    void events();
    void offsets_data();
    void offsets();
    void flows_data();
    void flows();
    void model_names_data();
    void model_names();
    void addressing_data();
    void addressing();
    void software_version_data();
    void software_version();
    void serial_number_data();
    void serial_number();
    void device_type_data();
    void device_type();
    void build_texts();
};

// Every volume in the model's factor and decimals, or in counts while the
// model is unknown; the unit and the caption say which.
void tst_quantity::volumes_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<qint64>("units");
    QTest::addColumn<VolumeScale>("scale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("caption");

    QTest::newRow("current, scaled") << Kind::volume << qint64(123456) << litres << "123.456"
                                     << "Показания, м3";
    QTest::newRow("current, counts") << Kind::volume << qint64(123456) << counts << "123456"
                                     << "Показания, ед.";
    QTest::newRow("current, negative: 0") << Kind::volume << qint64(-5) << litres << "0.000"
                                          << "Показания, м3";
    QTest::newRow("current, negative counts: 0") << Kind::volume << qint64(-5) << counts << "0"
                                                 << "Показания, ед.";
    QTest::newRow("current, zero, 4 decimals") << Kind::volume << qint64(0) << VolumeScale{0.0001, 4} << "0.0000"
                                               << "Показания, м3";
    QTest::newRow("current, largest") << Kind::volume << qint64(0x7FFFFFFF) << litres << "2147483.647"
                                      << "Показания, м3";
    QTest::newRow("current, factor 10") << Kind::volume << qint64(7) << VolumeScale{10.0, 0} << "70"
                                        << "Показания, м3";
    QTest::newRow("reverse, negative: 0") << Kind::reverse_volume << qint64(-40) << litres << "0.000"
                                          << "Пок. обр. потока, м3";
    QTest::newRow("reverse, counts") << Kind::reverse_volume << qint64(40) << counts << "40"
                                     << "Пок. обр. потока, ед.";
    QTest::newRow("archived, scaled") << Kind::archived_volume << qint64(12000) << litres << "12.000"
                                      << "Показания, м3";
    QTest::newRow("archived, -1: no value") << Kind::archived_volume << qint64(-1) << litres << "--"
                                            << "Показания, м3";
    QTest::newRow("archived, negative counts: no value") << Kind::archived_volume << qint64(-5) << counts << "--"
                                                         << "Показания, ед.";
    QTest::newRow("archived, zero") << Kind::archived_volume << qint64(0) << counts << "0"
                                    << "Показания, ед.";
    QTest::newRow("archived reverse, -1: no value") << Kind::archived_reverse << qint64(-1) << litres << "--"
                                                    << "Пок. обр. потока, м3";
    QTest::newRow("record reverse keeps its sign") << Kind::record_reverse << qint64(-42) << litres << "-0.042"
                                                   << "Пок. обр. потока, м3";
}

void tst_quantity::volumes()
{
    QFETCH(Kind, kind);
    QFETCH(qint64, units);
    QFETCH(VolumeScale, scale);
    QFETCH(QString, text);
    QFETCH(QString, caption);
    QCOMPARE(quantity::text(kind, units, scale), text);
    QCOMPARE(quantity::caption(kind, scale), caption);
    QCOMPARE(quantity::unit(kind, scale), scale.known() ? QStringLiteral("м3") : QStringLiteral("ед."));
    QCOMPARE(quantity::holds_value(kind, units), text != QLatin1String("--"));
    // Nothing while the step has not been answered.
    QCOMPARE(quantity::text(kind, std::optional<qint64>(), scale), QString());
}

// The meter's clock: its seconds of wall time taken as UTC.
void tst_quantity::clocks_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("text");

    QTest::newRow("2020") << Kind::clock << qint64(1577836800) << "01.01.2020 00:00:00";
    QTest::newRow("0") << Kind::clock << qint64(0) << "01.01.1970 00:00:00";
    QTest::newRow("-1 converts") << Kind::clock << qint64(-1) << "31.12.1969 23:59:59";
    QTest::newRow("max") << Kind::clock << qint64(0x7FFFFFFF) << "19.01.2038 03:14:07";
    QTest::newRow("archived 2020") << Kind::archived_time << qint64(1577836800) << "01.01.2020 00:00:00";
    QTest::newRow("archived 0") << Kind::archived_time << qint64(0) << "01.01.1970 00:00:00";
    QTest::newRow("archived -1: no value") << Kind::archived_time << qint64(-1) << "--";
}

void tst_quantity::clocks()
{
    QFETCH(Kind, kind);
    QFETCH(qint64, seconds);
    QFETCH(QString, text);
    QCOMPARE(quantity::text(kind, seconds), text);
    QCOMPARE(quantity::caption(kind, litres), QStringLiteral("Время"));
}

void tst_quantity::events_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<qint64>("code");
    QTest::addColumn<QString>("text");

    QTest::newRow("current 7") << Kind::event << qint64(7) << "7";
    QTest::newRow("current 0") << Kind::event << qint64(0) << "0";
    QTest::newRow("archived 7: no value") << Kind::archived_event << qint64(7) << "--";
    QTest::newRow("archived 0") << Kind::archived_event << qint64(0) << "0";
    QTest::newRow("archived 07 00") << Kind::archived_event << qint64(1792) << "1792";
}

void tst_quantity::events()
{
    QFETCH(Kind, kind);
    QFETCH(qint64, code);
    QFETCH(QString, text);
    QCOMPARE(quantity::text(kind, code), text);
    QCOMPARE(quantity::caption(kind, counts), QStringLiteral("Событие"));
    QCOMPARE(quantity::unit(kind, counts), QString());
}

void tst_quantity::offsets_data()
{
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("text");

    QTest::newRow("ahead") << qint64(5) << "+5";
    QTest::newRow("behind") << qint64(-3) << "-3";
    QTest::newRow("none") << qint64(0) << "0";
}

void tst_quantity::offsets()
{
    QFETCH(qint64, seconds);
    QFETCH(QString, text);
    QCOMPARE(quantity::text(Kind::clock_offset, seconds), text);
    QCOMPARE(quantity::offset(seconds), text);
    QCOMPARE(quantity::caption(Kind::clock_offset, counts), QStringLiteral("Расхождение часов, с"));
}

void tst_quantity::flows_data()
{
    QTest::addColumn<double>("per_hour");
    QTest::addColumn<VolumeScale>("scale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("unit");

    QTest::newRow("m3") << 0.0125 << litres << "0.013"
                        << "м3/ч";
    QTest::newRow("counts") << 120.0 << counts << "120.000"
                            << "ед./ч";
}

void tst_quantity::flows()
{
    QFETCH(double, per_hour);
    QFETCH(VolumeScale, scale);
    QFETCH(QString, text);
    QFETCH(QString, unit);
    QCOMPARE(quantity::flow_rate(per_hour), text);
    QCOMPARE(quantity::unit(Kind::flow, scale), unit);
}

void tst_quantity::model_names_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<ModelLookup>("model");
    QTest::addColumn<bool>("searched_in_vain");
    QTest::addColumn<QString>("text");

    QTest::newRow("listed") << 0x0C16 << found("СВГ-15 RS485") << false << "c16 СВГ-15 RS485";
    QTest::newRow("not listed") << 0x7777 << ModelLookup() << false << "7777 неизвестная";
    QTest::newRow("searched through in vain") << 0x7777 << ModelLookup() << true << "7777 неизвестная-";
    ModelLookup cut_short;
    cut_short.end = ModelLookup::End::empty_code;
    QTest::newRow("table ends on an empty code") << 5 << cut_short << true << "5 неизвестная";
}

void tst_quantity::model_names()
{
    QFETCH(int, code);
    QFETCH(ModelLookup, model);
    QFETCH(bool, searched_in_vain);
    QFETCH(QString, text);
    QCOMPARE(quantity::model_name(quint16(code), model, searched_in_vain), text);
    if (!searched_in_vain)
        QCOMPARE(quantity::model_name(quint16(code), model.name), text);
}

void tst_quantity::addressing_data()
{
    QTest::addColumn<MeterTarget>("target");
    QTest::addColumn<QString>("text");

    QTest::newRow("address") << MeterTarget{false, 17, {}} << "адрес 17";
    QTest::newRow("serial") << MeterTarget{true, 1, {0x00, 0x12, 0x34, 0x56, 0x78, 0xab}} << "с/н 0012345678ab";
}

void tst_quantity::addressing()
{
    QFETCH(MeterTarget, target);
    QFETCH(QString, text);
    QCOMPARE(quantity::addressing(target), text);
}

void tst_quantity::software_version_data()
{
    QTest::addColumn<int>("high");
    QTest::addColumn<int>("low");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("identifier");
    QTest::newRow("01 05") << 0x01 << 0x05 << "1.05"
                           << "15";
    QTest::newRow("1A 20") << 0x1A << 0x20 << "1a.20"
                           << "1a20";
    QTest::newRow("12 05") << 0x12 << 0x05 << "12.05"
                           << "125";
    QTest::newRow("00 00") << 0x00 << 0x00 << "0.00"
                           << "00";
}

void tst_quantity::software_version()
{
    QFETCH(int, high);
    QFETCH(int, low);
    QFETCH(QString, version);
    QFETCH(QString, identifier);
    QCOMPARE(quantity::software_version_text(quint8(high), quint8(low)), version);
    QCOMPARE(quantity::software_identifier_text(quint8(high), quint8(low)), identifier);
}

void tst_quantity::serial_number_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("text");
    QTest::newRow("00 12 34 56 78 9A") << QByteArray::fromHex("00123456789a") << "789a34560012";
    QTest::newRow("00 05 00 00 00 01") << QByteArray::fromHex("000500000001") << "000100000005";
    QTest::newRow("01 05 02 00 03 04") << QByteArray::fromHex("010502000304") << "030402000105";
    QTest::newRow("all ff") << QByteArray::fromHex("ffffffffffff") << "ffffffffffff";
    QTest::newRow("all zero") << QByteArray::fromHex("000000000000") << "000000000000";
    QTest::newRow("cut short") << QByteArray::fromHex("0012345678") << "";
}

void tst_quantity::serial_number()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, text);
    QCOMPARE(quantity::serial_number(data), text);
}

void tst_quantity::device_type_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");
    QTest::newRow("cold") << 6 << "6 хол. воды";
    QTest::newRow("water") << 7 << "7 вода";
    QTest::newRow("hot") << 16 << "16 гор. вод";
    QTest::newRow("unknown ends with the space") << 5 << "5 ";
    QTest::newRow("0xFFFF") << 0xFFFF << "65535 ";
}

void tst_quantity::device_type()
{
    QFETCH(int, type);
    QFETCH(QString, text);
    QCOMPARE(quantity::device_type_text(quint16(type)), text);
}

void tst_quantity::build_texts()
{
    QCOMPARE(quantity::build_text(QByteArray::fromHex("2024013a"), 0), QStringLiteral("2024013a"));
    QCOMPARE(quantity::build_text(QByteArray::fromHex("00010203"), 0), QStringLiteral("00010203"));
    QCOMPARE(quantity::model_text(0x1A2B, "N"), QStringLiteral("1a2b N"));
    QCOMPARE(quantity::model_text(0x0005, QStringLiteral("неизвестная")), QStringLiteral("5 неизвестная"));
    QCOMPARE(quantity::computer_time(QDateTime(QDate(2024, 1, 30), QTime(15, 42, 10))),
             QStringLiteral("30.01.2024 15:42:10"));
    QCOMPARE(quantity::computer_time(QDateTime()), QString());
}

QTEST_APPLESS_MAIN(tst_quantity)
#include "tst_quantity.moc"
