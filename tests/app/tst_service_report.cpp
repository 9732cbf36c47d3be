// The service report of the meter last polled, as its reader sees it.
#include "link/serial_number.h"
#include "model/meter_model.h"
#include "windows/service/service_report.h"

#include <QRegularExpression>
#include <QTextDocument>
#include <QtTest>

namespace {

const SerialBytes own_serial{0x00, 0x12, 0x34, 0x56, 0x78, 0xab};
const SerialBytes other_serial{0x00, 0x12, 0x34, 0x56, 0x78, 0xac};

MeterTarget by_address(quint8 address)
{
    return MeterTarget{false, address, {}};
}

MeterTarget by_serial(const SerialBytes &serial)
{
    return MeterTarget{true, 1, serial};
}

QString plain(const QString &html)
{
    QTextDocument document;
    document.setHtml(html);
    return document.toPlainText();
}

} // namespace

Q_DECLARE_METATYPE(MeterTarget)

class tst_service_report : public QObject
{
    Q_OBJECT
private slots:
    void lists_only_its_meters_writes_data();
    void lists_only_its_meters_writes();
    void offsets_carry_their_unit_data();
    void offsets_carry_their_unit();
};

void tst_service_report::lists_only_its_meters_writes_data()
{
    QTest::addColumn<MeterTarget>("polled");
    QTest::addColumn<MeterTarget>("written");
    QTest::addColumn<bool>("listed");
    QTest::newRow("the address polled") << by_address(1) << by_address(1) << true;
    QTest::newRow("another address") << by_address(1) << by_address(2) << false;
    QTest::newRow("its serial number, polled by address") << by_address(1) << by_serial(own_serial) << true;
    QTest::newRow("another serial number") << by_address(1) << by_serial(other_serial) << false;
    QTest::newRow("its address, polled by serial number") << by_serial(own_serial) << by_address(1) << true;
    QTest::newRow("another address, polled by serial number") << by_serial(own_serial) << by_address(7) << false;
}

void tst_service_report::lists_only_its_meters_writes()
{
    QFETCH(MeterTarget, polled);
    QFETCH(MeterTarget, written);
    QFETCH(bool, listed);

    MeterModel meter;
    meter.poll_started(polled);
    PollValues v;
    v.serial = pack_serial_number(QStringLiteral("0012345678ab"));
    v.device_address = 1;
    meter.poll_answered(v);
    meter.poll_over(true);
    SessionWrite write;
    write.at = QDateTime(QDate(2026, 12, 7), QTime(14, 0));
    write.target = written;
    write.meter = QStringLiteral("счетчик записи");
    write.what = QStringLiteral("Адрес");
    write.value = QStringLiteral("5");
    write.outcome = QStringLiteral("подтверждено");
    meter.add_write(write);

    const QString report = plain(service_report_html(service_report_data(meter, PortSettings(), QDateTime())));
    QCOMPARE(report.contains(QStringLiteral("счетчик записи")), listed);
    QCOMPARE(report.contains(QStringLiteral("Записей не было")), !listed);
}

void tst_service_report::offsets_carry_their_unit_data()
{
    QTest::addColumn<qint64>("offset");
    QTest::addColumn<QString>("shown");
    QTest::newRow("meter behind") << qint64(-125) << "-125 с";
    QTest::newRow("meter ahead") << qint64(5) << "+5 с";
    QTest::newRow("in step") << qint64(0) << "0 с";
}

void tst_service_report::offsets_carry_their_unit()
{
    QFETCH(qint64, offset);
    QFETCH(QString, shown);
    ServiceReportData d;
    d.clock_offset_s = offset;
    const QString report = plain(service_report_html(d));
    const QRegularExpression cell(QStringLiteral("^%1$").arg(QRegularExpression::escape(shown)),
                                  QRegularExpression::MultilineOption);
    QVERIFY2(report.contains(cell), qPrintable(report));
}

QTEST_MAIN(tst_service_report)
#include "tst_service_report.moc"
