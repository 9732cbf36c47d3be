#include "meter/exchange_rules.h"

#include <QtTest>

// The waits, resends and looks each kind of run keeps, in one line: which of
// the four periods it waits by tells a poll from an archive read at a glance.
static QString shown(const ExchangeRules &r)
{
    QStringList words;
    words << (r.retry == ExchangeRules::Retry::none ? QStringLiteral("one wait") : QStringLiteral("resend"));
    if (r.retry != ExchangeRules::Retry::none)
        words << QStringLiteral("ok %1").arg(r.ok_ms);
    words << QStringLiteral("fail %1").arg(r.fail_ms);
    if (r.look_ms)
        words << QStringLiteral("look %1").arg(r.look_ms);
    if (r.strikes_per_request)
        words << QStringLiteral("per request");
    if (!r.log_first_bad_answer)
        words << QStringLiteral("first bad unlogged");
    if (!r.quiet_after_failure)
        words << QStringLiteral("no quiet");
    return words.join(QStringLiteral(", "));
}

class tst_exchange_rules : public QObject
{
    Q_OBJECT
private slots:
    void rules_data();
    void rules();
};

void tst_exchange_rules::rules_data()
{
    QTest::addColumn<QString>("made");
    QTest::addColumn<QString>("expected");
    const ExchangePeriods p{310, 1010, 720, 2020};
    QTest::newRow("poll") << shown(exchange_rules::poll(p)) << "resend, ok 310, fail 1010, first bad unlogged";
    QTest::newRow("archive") << shown(exchange_rules::archive(p)) << "resend, ok 720, fail 2020";
    QTest::newRow("write") << shown(exchange_rules::write(p)) << "one wait, fail 1010, look 100";
    QTest::newRow("register read") << shown(exchange_rules::registers(p, false)) << "one wait, fail 1010";
    QTest::newRow("register write") << shown(exchange_rules::registers(p, true)) << "one wait, fail 1010, look 100";
    QTest::newRow("watch") << shown(exchange_rules::watch(p)) << "resend, ok 310, fail 1010";
    QTest::newRow("search") << shown(exchange_rules::search(p)) << "one wait, fail 1010, no quiet";
    QTest::newRow("serial lookup") << shown(exchange_rules::serial_lookup(p)) << "one wait, fail 1010";
    QTest::newRow("line pass") << shown(exchange_rules::line_pass(p))
                               << "resend, ok 310, fail 1010, per request, first bad unlogged";
    QTest::newRow("line pass archive") << shown(exchange_rules::line_pass_archive(p))
                                       << "resend, ok 720, fail 2020, per request, first bad unlogged";
    QTest::newRow("defaults: the port's periods out of the box")
        << shown(exchange_rules::poll(ExchangePeriods())) << "resend, ok 300, fail 1000, first bad unlogged";
}

void tst_exchange_rules::rules()
{
    QFETCH(QString, made);
    QFETCH(QString, expected);
    QCOMPARE(made, expected);
}

QTEST_APPLESS_MAIN(tst_exchange_rules)
#include "tst_exchange_rules.moc"
