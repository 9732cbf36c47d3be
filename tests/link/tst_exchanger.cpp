// The exchanger against the stand-in's meter in this process: what reaches
// the meter, and what comes of each request, on a line that answers in time,
// falls silent, garbles, answers late or echoes.
#include "link/exchanger.h"
#include "link/frames.h"
#include "link/hex_line.h"
#include "link/io_port.h"
#include "meter/register_map.h"
#include "meter_device.h"

#include <QtTest>

Q_DECLARE_METATYPE(QVector<LineTrick>)

namespace {

using Kind = ExchangeOutcome::Kind;

// Reads one register after another, each with a request of its own.
class ReadList : public Sequence
{
public:
    explicit ReadList(QVector<quint16> registers)
        : registers(std::move(registers))
    { }

    bool finished() const override { return outcomes.size() == registers.size(); }
    ExchangeRequest next_request() override
    {
        ExchangeRequest request;
        request.frame = modbus::read_registers_request(MeterTarget{}, registers[outcomes.size()], 1);
        request.answer_length = modbus::read_answer_length(false, 1);
        request.new_meter = outcomes.size() == new_meter_at;
        return request;
    }
    void conclude(const ExchangeOutcome &outcome) override { outcomes.append(outcome); }

    QVector<quint16> registers;
    QVector<ExchangeOutcome> outcomes;
    int new_meter_at = -1;
};

const quint16 version_register = 0x0009;
const quint16 identifier_register = 0x0001; // one register too: its answer looks like the version's
const quint16 missing_register = 0x0777;

} // namespace

class tst_exchanger : public QObject
{
    Q_OBJECT
private slots:
    void outcomes_data();
    void outcomes();
    void answer_after_stop_data();
    void answer_after_stop();
};

void tst_exchanger::outcomes_data()
{
    QTest::addColumn<bool>("retry");
    QTest::addColumn<bool>("echo");
    QTest::addColumn<QVector<quint16>>("registers");
    QTest::addColumn<QVector<LineTrick>>("tricks");
    QTest::addColumn<QVector<int>>("outcomes");
    QTest::addColumn<int>("requests");
    QTest::addColumn<int>("fail_ms");
    QTest::addColumn<int>("new_meter_at"); // the request that starts another meter's turn; -1: none
    QTest::addColumn<bool>("per_request"); // the strikes start afresh with every request

    const QVector<quint16> two = {version_register, identifier_register};
    const LineTrick silent{LineTrick::silent, 0};
    const LineTrick garble{LineTrick::garble, 0};
    const auto kinds = [](std::initializer_list<Kind> list) {
        QVector<int> v;
        for (Kind k : list)
            v << int(k);
        return v;
    };
    const QVector<int> both = kinds({Kind::answered, Kind::answered});

    QTest::newRow("answers in time") << true << false << two << QVector<LineTrick>{} << both << 2 << 120 << -1 << false;
    QTest::newRow("first answer missing: wait, resend")
        << true << false << two << QVector<LineTrick>{silent} << both << 3 << 120 << -1 << false;
    QTest::newRow("silent meter: given up after one resend")
        << true << false << two << QVector<LineTrick>{silent, silent} << kinds({Kind::no_answer, Kind::answered}) << 3
        << 120 << -1 << false;
    // Given up on, the meter answers the resend after all, later than the
    // failure period: that answer must not pass for the next request's.
    QTest::newRow("answer to the resend after the give-up")
        << true << false << two << QVector<LineTrick>{silent, {LineTrick::late, 1300}, {LineTrick::late, 300}}
        << kinds({Kind::no_answer, Kind::answered}) << 3 << 400 << -1 << false;
    // The same with the failure period short beside the line's own wait, as
    // the collector asks: the late answer comes after the give-up, twice the
    // resend's wait (460 ms) after it, and before the next request's own.
    QTest::newRow("answer to the resend after the give-up, short failure period")
        << true << false << two << QVector<LineTrick>{silent, {LineTrick::late, 1000}, {LineTrick::late, 400}}
        << kinds({Kind::no_answer, Kind::answered}) << 3 << 120 << -1 << true;
    // A resend waits as long as its request did at first (220 ms and two
    // failure periods), not only the line's own wait.
    QTest::newRow("resend answered as late as the first wait allows")
        << true << false << two << QVector<LineTrick>{silent, {LineTrick::late, 350}} << both << 3 << 120 << -1
        << false;
    QTest::newRow("garbled once") << true << false << two << QVector<LineTrick>{garble} << both << 3 << 120 << -1
                                  << false;
    QTest::newRow("garbled throughout: bad answer")
        << true << false << two << QVector<LineTrick>{garble, garble, garble}
        << kinds({Kind::bad_answer, Kind::answered}) << 4 << 120 << -1 << false;
    // The first answer comes after the resend has left, and the resend's
    // answer right behind it: that one must not pass for the answer to the
    // next request, which has the same length and comes later.
    QTest::newRow("late answer, then the resend's")
        << true << false << two
        << QVector<LineTrick>{{LineTrick::late, 520}, {LineTrick::late, 80}, {LineTrick::late, 30}} << both << 3 << 120
        << -1 << false;
    QTest::newRow("echoing adapter") << true << true << two << QVector<LineTrick>{} << both << 2 << 120 << -1 << false;
    QTest::newRow("refusal is a bad answer to a poll")
        << true << false << QVector<quint16>{missing_register} << QVector<LineTrick>{} << kinds({Kind::bad_answer}) << 3
        << 120 << -1 << false;
    QTest::newRow("refusal is told to a write")
        << false << false << QVector<quint16>{missing_register} << QVector<LineTrick>{} << kinds({Kind::exception}) << 1
        << 120 << -1 << false;
    QTest::newRow("one wait without resend") << false << false << two << QVector<LineTrick>{silent}
                                             << kinds({Kind::no_answer, Kind::answered}) << 2 << 120 << -1 << false;
    // The strikes of a run hold for one meter: a meter given up on leaves the
    // next request no wait and no resend, unless it goes to another meter.
    QTest::newRow("after a give-up: the next miss is final")
        << true << false << two << QVector<LineTrick>{silent, silent, silent}
        << kinds({Kind::no_answer, Kind::no_answer}) << 3 << 120 << -1 << false;
    QTest::newRow("another meter: waits and resends afresh")
        << true << false << two << QVector<LineTrick>{silent, silent, silent}
        << kinds({Kind::no_answer, Kind::answered}) << 4 << 120 << 1 << false;
    // Per request: a meter given up on once is still asked afresh, and faults
    // spread over a run (a wait for one request, another for the next) never add up.
    QTest::newRow("per request: after a give-up, a wait and a resend again")
        << true << false << two << QVector<LineTrick>{silent, silent, silent}
        << kinds({Kind::no_answer, Kind::answered}) << 4 << 120 << -1 << true;
    QTest::newRow("per request: a fault in each request")
        << true << false << QVector<quint16>{version_register, identifier_register, version_register}
        << QVector<LineTrick>{silent, {}, silent} << kinds({Kind::answered, Kind::answered, Kind::answered}) << 5 << 120
        << -1 << true;
    QTest::newRow("per run: the same faults end in a give-up")
        << true << false << QVector<quint16>{version_register, identifier_register, version_register}
        << QVector<LineTrick>{silent, {}, silent} << kinds({Kind::answered, Kind::no_answer, Kind::answered}) << 4
        << 120 << -1 << false;
}

void tst_exchanger::outcomes()
{
    QFETCH(bool, retry);
    QFETCH(bool, echo);
    QFETCH(QVector<quint16>, registers);
    QFETCH(QVector<LineTrick>, tricks);
    QFETCH(QVector<int>, outcomes);
    QFETCH(int, requests);
    QFETCH(int, fail_ms);
    QFETCH(int, new_meter_at);
    QFETCH(bool, per_request);

    MeterDevice meter;
    meter.tricks = tricks;
    meter.echo = echo;
    io_port port;
    port.attach(&meter, LineTiming{});
    Exchanger exchanger(&port);
    ExchangeRules rules;
    rules.retry = retry ? ExchangeRules::Retry::wait_resend_give_up : ExchangeRules::Retry::none;
    rules.ok_ms = 40;
    rules.fail_ms = fail_ms;
    rules.strikes_per_request = per_request;
    ReadList reads(registers);
    reads.new_meter_at = new_meter_at;
    QVERIFY(exchanger.run(&reads, rules));
    QVERIFY(exchanger.busy());
    QTRY_VERIFY_WITH_TIMEOUT(!exchanger.busy(), 20000);

    QVector<int> kinds;
    for (const ExchangeOutcome &outcome : qAsConst(reads.outcomes))
        kinds << int(outcome.kind);
    QCOMPARE(kinds, outcomes);
    QCOMPARE(meter.requests.size(), requests);
    // Every answer is the meter's value of the register asked for.
    for (int i = 0; i < reads.outcomes.size(); ++i) {
        if (reads.outcomes[i].answered())
            QCOMPARE(word_at(reads.outcomes[i].answer, 3), meter.meters[0].read(registers[i]));
    }
    QCOMPARE(exchanger.line_echoes(), echo);
}

// A run stopped with its request on the line, and the next run started at
// once: its first request waits for a quiet line, and says so. The stopped
// request's own answer within its wait ends the wait; an answer later than
// that is a late meter's, and lengthens it.
void tst_exchanger::answer_after_stop_data()
{
    QTest::addColumn<int>("answer_after_ms");
    QTest::addColumn<bool>("dribbled");
    QTest::addColumn<bool>("late");

    QTest::newRow("its answer within its wait") << 30 << false << false;
    QTest::newRow("no answer") << -1 << false << false;
    QTest::newRow("an answer after its wait") << 700 << false << true;
    QTest::newRow("its answer a byte at a time") << 15 << true << false;
}

void tst_exchanger::answer_after_stop()
{
    QFETCH(int, answer_after_ms);
    QFETCH(bool, dribbled);
    QFETCH(bool, late);

    MeterDevice meter;
    meter.tricks = {answer_after_ms < 0 ? LineTrick{LineTrick::silent, 0}
                                        : LineTrick{dribbled ? LineTrick::dribble : LineTrick::late, answer_after_ms}};
    io_port port;
    port.attach(&meter, LineTiming{});
    Exchanger exchanger(&port);
    QVector<int> waits; // the quiet waits the next run was told, in ms
    connect(&exchanger, &Exchanger::quiet_wait, this, [&](Sequence *, int ms) { waits << ms; });
    QStringList log;
    connect(&exchanger, &Exchanger::traffic, this, [&](const QString &line) { log << line; });
    ExchangeRules rules;
    rules.fail_ms = 400;
    ReadList stopped({version_register});
    QVERIFY(exchanger.run(&stopped, rules));
    exchanger.stop();
    ReadList next({version_register});
    QVERIFY(exchanger.run(&next, rules));
    QVERIFY(!waits.isEmpty() && waits.first() > 0);
    QTRY_VERIFY_WITH_TIMEOUT(!exchanger.busy(), 20000);

    QCOMPARE(meter.requests.size(), 2);
    QVERIFY(next.outcomes.value(0).answered());
    QCOMPARE(waits.last(), 0); // the wait is over when the request leaves
    // Lengthened only by a late answer; the stopped request's own one is
    // logged whole on one line, marked, before the next request.
    QCOMPARE(waits.size() > 2, late);
    const QStringList answers = log.filter("<-");
    QCOMPARE(answers.size(), answer_after_ms < 0 ? 1 : 2);
    if (answer_after_ms >= 0) {
        const QString whole = received_line(next.outcomes.value(0).answer).mid(3);
        QCOMPARE(answers.first(), "<- (после остановки) " + whole + "\n");
        QCOMPARE(log.indexOf(answers.first()), 1);
    }
}

QTEST_MAIN(tst_exchanger)
#include "tst_exchanger.moc"
