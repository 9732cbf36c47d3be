// Commissioning a riser against the stand-in: new meters sharing their
// factory address found by serial number, given addresses of their own, and
// one setting written to all of them.
#include "commission_run.h"

#include <QComboBox>
#include <QProgressBar>
#include <QtTest>

class tst_e2e_commission : public QObject
{
    Q_OBJECT
private slots:
    void assigns_addresses_and_writes_a_setting();
};

void tst_e2e_commission::assigns_addresses_and_writes_a_setting()
{
    AppOnLine app;
    QVERIFY2(app.start({}, factory_riser), qPrintable(app.error()));
    QString why;
    QVERIFY2(commission_run::search_and_look_up(app, &why), qPrintable(why));
    QCOMPARE(app.text("scan_status"), QStringLiteral("Найдено 3 из 3"));
    QTableWidget *table = commission_run::scan_table(app);
    QCOMPARE(table->rowCount(), 5);
    for (int row = 2; row <= 4; ++row) {
        QCOMPARE(table->item(row, 0)->text(), QStringLiteral("1"));
        QCOMPARE(table->item(row, 1)->text(), QStringLiteral("00000000010%1").arg(row - 1));
    }

    // From 2 on; 3 is the older meter's.
    const auto sim_register = [&](int meter, const char *reg) {
        return app.line().command(QStringLiteral("meter %1 get %2").arg(meter).arg(reg)).mid(3).toInt();
    };
    const int frames_before = app.sent_frames().size();
    commission_run::select_rows(app, 2, 4);
    app.window().findChild<QSpinBox *>("assign_from_box")->setValue(2);
    app.click("assign_address_btn");
    auto *progress = app.window().findChild<QProgressBar *>("progress_bar");
    QVERIFY(!progress->isHidden());
    QCOMPARE(progress->format(), QStringLiteral("0 из 3"));
    QVERIFY(app.wait_for([&] { return app.text("scan_status").startsWith("Записано"); }, 60000));
    QCOMPARE(app.text("scan_status"),
             QStringLiteral("Записано 3 из 3\nАдреса заняты другими счетчиками и пропущены: 3"));
    const int result = table->columnCount() - 1;
    QCOMPARE(table->horizontalHeaderItem(result)->text(), QStringLiteral("Результат записи"));
    const QString reach = "Записано\nДля следующего обмена: адрес %1 в поле адреса";
    QCOMPARE(table->item(2, result)->text(), reach.arg(2));
    QCOMPARE(table->item(3, result)->text(), reach.arg(4));
    QCOMPARE(table->item(4, result)->text(), reach.arg(5));
    QCOMPARE(sim_register(1, "0x0300"), 2);
    QCOMPARE(sim_register(2, "0x0300"), 4);
    QCOMPARE(sim_register(3, "0x0300"), 5);
    QCOMPARE(sim_register(4, "0x0300"), 3);
    // The report's writes, as the single write records them.
    QCOMPARE(app.probe().meter().writes().size(), 3);
    const SessionWrite &first = app.probe().meter().writes().first();
    QCOMPARE(QStringList({first.meter, first.what, first.value, first.outcome}),
             QStringList({"с/н 000000000101", "Адрес устройства", "2", "подтверждено"}));
    // Each by its serial number alone: a frame to address 1 would reach all three.
    const QStringList assigning = app.sent_frames().mid(frames_before);
    QCOMPARE(assigning.size(), 3);
    for (const QString &frame : assigning)
        QVERIFY2(frame.startsWith("fd 42"), qPrintable(frame));

    // The save date to the three and the older meter, asked first.
    QVERIFY(app.line().command("meter 4 set 0x0303 7").startsWith("ok"));
    app.answer_questions(QMessageBox::Yes);
    commission_run::select_rows(app, 1, 4);
    app.window().findChild<QComboBox *>("batch_item_box")->setCurrentIndex(0);
    app.set_text("batch_date_line", "15");
    const int batch_from = app.sent_frames().size();
    app.click("batch_write_btn");
    QVERIFY(app.wait_for([&] { return app.text("scan_status").startsWith("Записано"); }, 60000));
    QCOMPARE(app.text("scan_status"), QStringLiteral("Записано 4 из 4"));
    QCOMPARE(app.questions().size(), 1);
    QVERIFY2(app.questions().first().contains("(4): Дата сохранения 15"), qPrintable(app.questions().first()));
    for (int meter = 1; meter <= 4; ++meter)
        QCOMPARE(sim_register(meter, "0x0303"), 15);
    for (int row = 1; row <= 4; ++row)
        QCOMPARE(table->item(row, result)->text(), QStringLiteral("Записано"));
    // The older meter has an address of its own; the three share theirs still.
    const QStringList batch = app.sent_frames().mid(batch_from);
    QCOMPARE(batch.size(), 4);
    QVERIFY2(batch[0].startsWith("03 06 03 03"), qPrintable(batch[0]));
    for (int i = 1; i < 4; ++i)
        QVERIFY2(batch[i].startsWith("fd 42"), qPrintable(batch[i]));
}

QTEST_MAIN(tst_e2e_commission)
#include "tst_e2e_commission.moc"
