// Commissioning a riser against the stand-in: new meters sharing their
// factory address found by serial number, given addresses of their own, and
// one setting written to all of them.
#include "commission_run.h"

#include <QComboBox>
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
    QTableView *table = commission_run::scan_table(app);
    QCOMPARE(row_count(table), 5);
    for (int row = 2; row <= 4; ++row) {
        QCOMPARE(cell_text(table, row, 0), QStringLiteral("1"));
        QCOMPARE(cell_text(table, row, 1), QStringLiteral("00000000010%1").arg(row - 1));
    }

    // From 2 on; 3 is the older meter's. Each meter was written by its serial
    // number alone: a frame to the shared address would reach all three.
    const auto sim_register = [&](int meter, const char *reg) {
        return app.line().command(QStringLiteral("meter %1 get %2").arg(meter).arg(reg)).mid(3).toInt();
    };
    QVERIFY2(commission_run::assign(app, &why), qPrintable(why));
    QCOMPARE(app.text("scan_status"),
             QStringLiteral("Записано 3 из 3\nАдреса заняты другими счетчиками и пропущены: 3"));
    const int result = table->model()->columnCount() - 1;
    QCOMPARE(header_text(table, result), QStringLiteral("Результат записи"));
    // The result column came after the rows were chosen; they still show as
    // selected, and the next write takes them (it then asks for its value).
    app.set_text("batch_date_line", "");
    app.click("batch_write_btn");
    QCOMPARE(app.text("scan_status"), QStringLiteral("Неверная дата сохранения"));
    const QString reach = "Записано\nДля следующего обмена: адрес %1 в поле адреса";
    const int given[] = {2, 4, 5};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(cell_text(table, 2 + i, result), reach.arg(given[i]));
        QCOMPARE(sim_register(1 + i, "0x0300"), given[i]);
    }
    QCOMPARE(sim_register(4, "0x0300"), 3);
    // The report's writes, as the single write records them.
    QCOMPARE(app.probe().meter().writes().size(), 3);
    const SessionWrite &first = app.probe().meter().writes().first();
    QCOMPARE(QStringList({first.meter, first.what, first.value, first.outcome}),
             QStringList({"с/н 000000000101", "Адрес устройства", "2", "подтверждено"}));

    // The save date to the three and the older meter, asked first.
    QVERIFY(app.line().command("meter 4 set 0x0303 7").startsWith("ok"));
    app.answer_questions(QMessageBox::Yes);
    commission_run::select_rows(app, 1, 4);
    app.window().findChild<QComboBox *>("batch_item_box")->setCurrentIndex(0);
    app.set_text("batch_date_line", "15");
    app.click("batch_write_btn");
    QVERIFY(app.wait_for([&] { return app.text("scan_status").startsWith("Записано"); }, 60000));
    QCOMPARE(app.text("scan_status"), QStringLiteral("Записано 4 из 4"));
    QCOMPARE(app.questions().size(), 1);
    QVERIFY2(app.questions().first().contains("(4): Дата сохранения 15"), qPrintable(app.questions().first()));
    for (int meter = 1; meter <= 4; ++meter)
        QCOMPARE(sim_register(meter, "0x0303"), 15);
    for (int row = 1; row <= 4; ++row)
        QCOMPARE(cell_text(table, row, result), QStringLiteral("Записано"));
}

QTEST_MAIN(tst_e2e_commission)
#include "tst_e2e_commission.moc"
