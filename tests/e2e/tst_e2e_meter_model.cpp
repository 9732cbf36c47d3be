// The meter model end to end: an archive read is sized and scaled by the
// meter it addresses, never by the one polled before it, and every window
// shows one register alike.
#include "app_on_line.h"
#include "table_cells.h"
#include "windows/main_window/archive.h"
#include "windows/service/watch_window.h"

#include <QPdfWriter>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>

namespace {

// Meter A is the stand-in's default; meter B, another of the same version,
// keeps other readings in its archive.
const char *const two_meters = R"(
[meter]
address = 1
serial  = 0012345678AB

[meter]
address = 2
serial  = 000000000002
archive.hourly.reading = 50000
%1
)";

} // namespace

class tst_e2e_meter_model : public QObject
{
    Q_OBJECT
private slots:
    void archive_of_the_meter_addressed_data();
    void archive_of_the_meter_addressed();
    void one_register_shown_alike();
};

void tst_e2e_meter_model::archive_of_the_meter_addressed_data()
{
    QTest::addColumn<QString>("meter_b");
    QTest::addColumn<bool>("b_by_serial");
    QTest::addColumn<QString>("first_reading");
    QTest::addColumn<QString>("caption");
    QTest::newRow("another serial, same version") << "" << true << "50.000"
                                                  << "Показания, м3";
    QTest::newRow("by address after a poll by serial") << "" << false << "50.000"
                                                       << "Показания, м3";
    QTest::newRow("unknown model after a known one") << "model = 0x7777" << true << "50000"
                                                     << "Показания, ед.";
}

// A by serial number, then B's archive: B's records, by B's own version and
// model, whatever A's were.
void tst_e2e_meter_model::archive_of_the_meter_addressed()
{
    QFETCH(QString, meter_b);
    QFETCH(bool, b_by_serial);
    QFETCH(QString, first_reading);
    QFETCH(QString, caption);
    AppOnLine app;
    QVERIFY2(app.start({}, QString(two_meters).arg(meter_b)), qPrintable(app.error()));
    app.check("s_num_click");
    app.set_text("sereal_num_line_w", "0012345678ab");
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.text("real_state_lin"), QStringLiteral("12.346"));

    if (b_by_serial) {
        app.set_text("sereal_num_line_w", "000000000002");
    } else {
        app.set_text("adr_line", "2");
        app.check("adr_click");
    }
    app.click("arch_btn");
    QVERIFY(app.wait_idle(120000));
    QCOMPARE(app.text("arch_btn"), QStringLiteral("Архив прочитан"));
    const QTableView *hourly = AppOnLine::archive_window()->table(1);
    QVERIFY(row_count(hourly) > 0);
    QCOMPARE(header_text(hourly, 2), caption);
    QCOMPARE(cell_text(hourly, 0, 2), first_reading);
}

// The reverse flow register at -5 counts: the poll, the watch and the report
// show it as the same 0.000 m3, never -0.005.
void tst_e2e_meter_model::one_register_shown_alike()
{
    AppOnLine app;
    QVERIFY2(app.start({}, "reg32 0x1005 = -5\n"), qPrintable(app.error()));
    app.check("adr_click");
    app.click("param_btn");
    QVERIFY(app.wait_idle());
    QCOMPARE(app.text("real_obr_line"), QStringLiteral("0.000"));

    app.window().findChild<QSpinBox *>("watch_period_box")->setValue(1);
    app.click("watch_btn");
    auto *watch = app.window().findChild<WatchWindow *>();
    QVERIFY(watch);
    const QAbstractItemModel *table = watch->findChild<QTableView *>("watch_table")->model();
    QVERIFY(app.wait_for([&] { return table->rowCount() >= 1; }));
    app.click("watch_btn");
    QVERIFY(app.wait_for([&] { return !watch->watching(); }));
    QCOMPARE(table->headerData(5, Qt::Horizontal).toString(), QStringLiteral("Обратный, м3"));
    QCOMPARE(table->index(0, 5).data().toString(), QStringLiteral("0.000"));

    const QString pdf = QDir::current().filePath("report.pdf");
    QString error;
    QVERIFY2(app.probe().save_report(pdf, &error), qPrintable(error));
    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    if (!text.waitForStarted())
        QSKIP("pdftotext is not installed");
    QVERIFY(text.waitForFinished());
    const QString report = QString::fromUtf8(text.readAllStandardOutput()).simplified();
    QVERIFY2(report.contains(QStringLiteral("Обратный поток 0.000 м3")), qPrintable(report));
}

QTEST_MAIN(tst_e2e_meter_model)
#include "tst_e2e_meter_model.moc"
