// The pass over a line of meters and the clock setting against stand-in
// meters in the test process: who is asked when, how, and what each row says.
#include "meter/write_values.h"
#include "meter_device.h"
#include "model/outcome_words.h"
#include "model/quantity.h"
#include "scan/line_readout.h"

#include <QMap>
#include <QtTest>
#include <climits>

using namespace scan;

namespace {

// The meter's clock in these tests: 2026-03-01 12:00:00 on its wall.
const qint32 meter_clock = 1772366400;

sim::meter meter_at(int address, int version = 3)
{
    sim::meter m = sim::builtin_meter();
    m.address = quint8(address);
    m.serial = 0x001234567800ULL + quint64(address);
    m.version = version;
    m.clock_running = false;
    m.set_clock(quint32(meter_clock));
    return m;
}

// Answers each request as the meters on one line would. The first
// `silent[address]` requests to that address go unanswered. Returns the
// address each request went to (0xFD: by serial number).
QList<int> drive(Sequence &sequence, QVector<sim::meter> &meters, QMap<int, int> silent = {})
{
    const auto heard = [&silent](const ExchangeRequest &request) {
        const int address = quint8(request.frame[0]);
        if (silent.value(address) == 0)
            return true;
        --silent[address];
        return false;
    };
    QList<int> asked;
    for (const ExchangeRequest &request : run_in_process(sequence, meters, heard))
        asked.append(quint8(request.frame[0]));
    return asked;
}

// Runs of requests to one address, as "3x31": who held the line, in order.
QStringList turns_of(const QList<int> &asked)
{
    QStringList turns;
    int count = 0;
    for (int i = 0; i < asked.size(); ++i) {
        ++count;
        if (i + 1 == asked.size() || asked[i + 1] != asked[i]) {
            turns << QStringLiteral("%1x%2").arg(asked[i]).arg(count);
            count = 0;
        }
    }
    return turns;
}

} // namespace

class tst_line_readout : public QObject
{
    Q_OBJECT
private slots:
    void addressing_data();
    void addressing();
    void pass_data();
    void pass();
    void clock_sync();
    void clocks_to_set_data();
    void clocks_to_set();
};

void tst_line_readout::addressing_data()
{
    QTest::addColumn<QVector<int>>("addresses");
    QTest::addColumn<QStringList>("serials");
    QTest::addColumn<QVector<bool>>("by_serial");
    QTest::addColumn<QStringList>("turns"); // of a pass over stand-ins as listed; empty: not run

    QTest::newRow("own addresses: by address") << QVector<int>{3, 17} << QStringList{"0012345678ab", "00a1b2c3d405"}
                                               << QVector<bool>{false, false} << QStringList{"3x31", "17x31"};
    // 253 is 0xFD, the address of every request by serial number.
    QTest::newRow("shared address with serial numbers: by serial")
        << QVector<int>{5, 5, 9} << QStringList{"000000000001", "000000000002", "000000000003"}
        << QVector<bool>{true, true, false} << QStringList{"253x62", "9x31"};
    QTest::newRow("shared address without a serial number: by address")
        << QVector<int>{5, 5} << QStringList{"000000000001", ""} << QVector<bool>{true, false} << QStringList{};
}

void tst_line_readout::addressing()
{
    QFETCH(QVector<int>, addresses);
    QFETCH(QStringList, serials);
    QFETCH(QVector<bool>, by_serial);
    QFETCH(QStringList, turns);

    QVector<ListedMeter> rows;
    for (int i = 0; i < addresses.size(); ++i)
        rows.append({addresses[i], serials[i]});
    const QVector<MeterTarget> targets = readout_targets(rows);
    QCOMPARE(targets.size(), rows.size());
    for (int i = 0; i < targets.size(); ++i) {
        QCOMPARE(targets[i].by_serial, by_serial[i]);
        QCOMPARE(int(targets[i].address), addresses[i]);
    }
    if (turns.isEmpty())
        return;
    // Each meter answers its own requests only, and in full.
    QVector<sim::meter> meters;
    for (int i = 0; i < rows.size(); ++i) {
        meters.append(meter_at(addresses[i]));
        meters.last().serial = serials[i].toULongLong(nullptr, 16);
    }
    LineReadout readout(targets, {});
    QCOMPARE(turns_of(drive(readout, meters)), turns);
    for (const MeterReadout &m : readout.meters()) {
        QCOMPARE(outcome_words(m.outcome), QStringLiteral("OK"));
        QCOMPARE(quantity::serial_number(m.values.serial), serials[int(&m - &readout.meters()[0])]);
    }
}

void tst_line_readout::pass_data()
{
    QTest::addColumn<QVector<int>>("on_line"); // addresses of the stand-ins, negative: version 2
    QTest::addColumn<QVector<int>>("listed");
    QTest::addColumn<int>("silent_address");
    QTest::addColumn<int>("silent_requests");
    QTest::addColumn<int>("refusing"); // address of a meter that refuses to give its clock; 0: none
    QTest::addColumn<QStringList>("turns");
    QTest::addColumn<QStringList>("outcomes");
    QTest::addColumn<QStringList>("offsets");

    // Version 2 meters have no reverse flow: four reads fewer.
    QTest::newRow("every meter answers") << QVector<int>{3, -17} << QVector<int>{3, 17} << 0 << 0 << 0
                                         << QStringList{"3x31", "17x27"} << QStringList{"OK", "OK"}
                                         << QStringList{"+5", "+5"};
    QTest::newRow("a meter that fails once is asked again after the others")
        << QVector<int>{3, -17} << QVector<int>{3, 17} << 3 << 1 << 0 << QStringList{"3x1", "17x27", "3x31"}
        << QStringList{"OK", "OK"} << QStringList{"+5", "+5"};
    QTest::newRow("a silent meter holds up no other")
        << QVector<int>{3, -17} << QVector<int>{50, 3, 17} << 0 << 0 << 0
        << QStringList{"50x1", "3x31", "17x27", "50x1"} << QStringList{"Соединение отсутствует", "OK", "OK"}
        << QStringList{"", "+5", "+5"};
    QTest::newRow("a meter silent twice keeps its outcome")
        << QVector<int>{3, -17} << QVector<int>{3, 17} << 3 << 2 << 0 << QStringList{"3x1", "17x27", "3x1"}
        << QStringList{"Соединение отсутствует", "OK"} << QStringList{"", "+5"};
    QTest::newRow("a refusal is named, after a second try")
        << QVector<int>{3, -17} << QVector<int>{3, 17} << 0 << 0 << 3 << QStringList{"3x13", "17x27", "3x13"}
        << QStringList{"Неизвестный адрес регистра", "OK"} << QStringList{"", "+5"};
}

void tst_line_readout::pass()
{
    QFETCH(QVector<int>, on_line);
    QFETCH(QVector<int>, listed);
    QFETCH(int, silent_address);
    QFETCH(int, silent_requests);
    QFETCH(int, refusing);
    QFETCH(QStringList, turns);
    QFETCH(QStringList, outcomes);
    QFETCH(QStringList, offsets);

    QVector<sim::meter> meters;
    for (int a : on_line)
        meters.append(meter_at(qAbs(a), a < 0 ? 2 : 3));
    for (sim::meter &m : meters)
        if (m.address == refusing)
            m.forced_exceptions[0x1000] = 2;
    QVector<ListedMeter> rows;
    for (int a : listed)
        rows.append({a, QString()});
    // The computer's wall clock five seconds behind the meters'.
    const QDateTime face = QDateTime::fromSecsSinceEpoch(meter_clock - 5, Qt::UTC);
    LineReadout readout(readout_targets(rows), {}, [&] { return QDateTime(face.date(), face.time(), Qt::LocalTime); });
    QMap<int, int> silent;
    if (silent_address)
        silent[silent_address] = silent_requests;
    const QList<int> asked = drive(readout, meters, silent);

    QCOMPARE(turns_of(asked), turns);
    QVERIFY(readout.finished());
    QCOMPARE(readout.progress().done, readout.progress().total);
    QStringList shown, shown_offsets;
    for (const MeterReadout &m : readout.meters()) {
        shown << outcome_words(m.outcome);
        shown_offsets << (m.clock_offset_s ? quantity::offset(*m.clock_offset_s) : QString());
    }
    QCOMPARE(shown, outcomes);
    QCOMPARE(shown_offsets, offsets);
}

// Every meter set to the computer's clock and read back; one refuses.
void tst_line_readout::clock_sync()
{
    QVector<sim::meter> meters{meter_at(3), meter_at(17, 2)};
    meters[1].forced_exceptions[0x1000] = 3;
    QVector<ListedMeter> rows{{3, QString()}, {17, QString()}};
    ClockSync sync(readout_targets(rows));
    const QList<int> asked = drive(sync, meters);

    // A write and its read-back for the one that took it.
    QCOMPARE(turns_of(asked), (QStringList{"3x2", "17x1"}));
    QCOMPARE(clock_setting_words(sync.meters()[0].outcome), QString("Время установлено"));
    QCOMPARE(clock_setting_words(sync.meters()[1].outcome), exception_message(3));
    const qint64 computer = meter_clock_value(wall_time_as_utc(QDateTime::currentDateTime()));
    QVERIFY(qAbs(qint64(meters[0].clock()) - computer) <= 2);
    QVERIFY(sync.meters()[0].clock_offset_s && qAbs(*sync.meters()[0].clock_offset_s) <= 2);
    QCOMPARE(meters[1].clock(), quint32(meter_clock));
    QVERIFY(!sync.meters()[1].clock_offset_s);
    // What each write sent, for the report: the meter that took it holds it.
    QCOMPARE(sync.meters()[0].sent, std::optional<quint32>(meters[0].clock()));
    QVERIFY(sync.meters()[1].sent);
}

void tst_line_readout::clocks_to_set_data()
{
    QTest::addColumn<qint64>("offset"); // LLONG_MIN: unknown
    QTest::addColumn<int>("threshold"); // -1: every clock
    QTest::addColumn<bool>("set");
    QTest::newRow("every clock, right") << qint64(0) << -1 << true;
    QTest::newRow("at the threshold") << qint64(10) << 10 << false;
    QTest::newRow("behind by the threshold") << qint64(-10) << 10 << false;
    QTest::newRow("ahead past it") << qint64(11) << 10 << true;
    QTest::newRow("behind past it") << qint64(-11) << 10 << true;
    QTest::newRow("threshold 0, off by 1") << qint64(1) << 0 << true;
    QTest::newRow("offset unknown") << LLONG_MIN << 10 << true;
}

void tst_line_readout::clocks_to_set()
{
    QFETCH(qint64, offset);
    QFETCH(int, threshold);
    QFETCH(bool, set);
    QCOMPARE(clock_needs_setting(offset == LLONG_MIN ? std::nullopt : std::optional<qint64>(offset),
                                 threshold < 0 ? std::nullopt : std::optional<int>(threshold)),
             set);
}

QTEST_GUILESS_MAIN(tst_line_readout)
#include "tst_line_readout.moc"
