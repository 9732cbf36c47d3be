// Commissioning's writes, one meter after another: the frames on the line
// and what each meter's answer makes of its row.
#include "link/answer_check.h"
#include "link/crc.h"
#include "link/serial_number.h"
#include "meter/write_values.h"
#include "model/outcome_words.h"
#include "scan/commission.h"

#include <QtTest>

using namespace scan;

class tst_commission : public QObject
{
    Q_OBJECT
private slots:
    void writes_data();
    void writes();
    void addresses_data();
    void addresses();
};

void tst_commission::writes_data()
{
    QTest::addColumn<int>("item");
    QTest::addColumn<QStringList>("meters");  // "a7": address 7, "s…": by serial number
    QTest::addColumn<QVector<int>>("values"); // 0: none to give
    QTest::addColumn<QStringList>("answers"); // ok, silent, exception, wrong echo
    QTest::addColumn<QStringList>("frames");
    QTest::addColumn<QStringList>("outcomes");

    const QString reach = "Записано\nДля следующего обмена: ";
    QTest::newRow("addresses by serial number, confirmed")
        << int(write_item::address) << QStringList{"s000000000011", "s000000000012"} << QVector<int>{5, 6}
        << QStringList{"ok", "ok"}
        << QStringList{"fd 42 00 11 00 00 00 00 03 00 00 05 94 be", "fd 42 00 12 00 00 00 00 03 00 00 06 c0 4f"}
        << QStringList{reach + "адрес 5 в поле адреса", reach + "адрес 6 в поле адреса"};
    // A meter that does not confirm holds up nobody.
    QTest::newRow("no answer, the next meter still written")
        << int(write_item::address) << QStringList{"s000000000011", "s000000000012"} << QVector<int>{5, 6}
        << QStringList{"silent", "ok"}
        << QStringList{"fd 42 00 11 00 00 00 00 03 00 00 05 94 be", "fd 42 00 12 00 00 00 00 03 00 00 06 c0 4f"}
        << QStringList{"Запись не подтверждена", reach + "адрес 6 в поле адреса"};
    QTest::newRow("no address left: nothing sent")
        << int(write_item::address) << QStringList{"s000000000011"} << QVector<int>{0} << QStringList{} << QStringList{}
        << QStringList{"Свободных адресов не осталось"};
    QTest::newRow("save date refused") << int(write_item::save_date) << QStringList{"a7"} << QVector<int>{15}
                                       << QStringList{"exception"} << QStringList{"07 06 03 03 00 0f 39 ec"}
                                       << QStringList{"Неверное значение параметра"};
    // Address and function right, the value another: not what was written.
    QTest::newRow("wrong echo") << int(write_item::save_date) << QStringList{"a7"} << QVector<int>{15}
                                << QStringList{"wrong echo"} << QStringList{"07 06 03 03 00 0f 39 ec"}
                                << QStringList{"Запись не подтверждена"};
    QTest::newRow("rate confirmed") << int(write_item::exchange_rate) << QStringList{"a7"} << QVector<int>{3}
                                    << QStringList{"ok"} << QStringList{"07 06 03 01 00 03 98 29"}
                                    << QStringList{reach + "скорость 9600 в настройках порта"};
}

void tst_commission::writes()
{
    QFETCH(int, item);
    QFETCH(QStringList, meters);
    QFETCH(QVector<int>, values);
    QFETCH(QStringList, answers);
    QFETCH(QStringList, frames);
    QFETCH(QStringList, outcomes);

    QVector<MeterTarget> targets;
    QVector<std::optional<quint32>> to_write;
    for (int i = 0; i < meters.size(); ++i) {
        MeterTarget target;
        target.by_serial = meters[i].startsWith('s');
        if (target.by_serial)
            target.serial = *pack_serial_number(meters[i].mid(1));
        else
            target.address = quint8(meters[i].mid(1).toInt());
        targets << target;
        to_write << (values[i] ? std::optional<quint32>(quint32(values[i])) : std::nullopt);
    }
    MeterWrites run(targets, item, to_write);
    QStringList sent;
    while (!run.finished() && sent.size() < 10) {
        const ExchangeRequest request = run.next_request();
        sent << QString::fromLatin1(request.frame.toHex(' '));
        const QString answer = answers.value(sent.size() - 1);
        ExchangeOutcome outcome;
        if (answer == "ok") {
            outcome.kind = ExchangeOutcome::Kind::answered;
            outcome.answer = request.frame; // a one-register write's confirmation is its copy
        } else if (answer == "exception") {
            outcome.kind = ExchangeOutcome::Kind::exception;
            outcome.exception_code = 3;
        } else if (answer == "wrong echo") {
            QByteArray echo = request.frame.left(request.frame.size() - 2);
            echo[echo.size() - 1] = char(echo.back() + 1);
            outcome.answer = with_crc(echo);
            QCOMPARE(check_answer(outcome.answer, request.frame, request.answer_length), AnswerStatus::ok);
            outcome.kind = ExchangeOutcome::Kind::answered;
        }
        run.conclude(outcome);
    }
    QCOMPARE(sent, frames);
    QStringList shown;
    for (const MeterWriteResult &meter : run.meters())
        shown << write_words(meter.outcome,
                             meter.outcome.ok() ? next_exchange_text(run.item(), meter.value) : QString());
    QCOMPARE(shown, outcomes);
}

void tst_commission::addresses_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("first");
    QTest::addColumn<QVector<int>>("used");
    QTest::addColumn<QVector<int>>("given");
    QTest::addColumn<QVector<int>>("skipped");

    QTest::newRow("free run") << 3 << 10 << QVector<int>{1} << QVector<int>{10, 11, 12} << QVector<int>{};
    QTest::newRow("used addresses passed over")
        << 3 << 2 << QVector<int>{1, 3, 4} << QVector<int>{2, 5, 6} << QVector<int>{3, 4};
    QTest::newRow("past 247: none") << 3 << 246 << QVector<int>{247} << QVector<int>{246, 0, 0} << QVector<int>{247};
}

void tst_commission::addresses()
{
    QFETCH(int, count);
    QFETCH(int, first);
    QFETCH(QVector<int>, used);
    QFETCH(QVector<int>, given);
    QFETCH(QVector<int>, skipped);

    QSet<int> used_set;
    for (int address : used)
        used_set.insert(address);
    QVector<int> passed;
    QCOMPARE(plan_addresses(count, first, used_set, &passed), given);
    QCOMPARE(passed, skipped);
}

QTEST_GUILESS_MAIN(tst_commission)
#include "tst_commission.moc"
