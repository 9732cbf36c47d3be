// A short soak: a few dozen runs against a line that misbehaves at random.
// tools/soak.sh runs the long one.
#include "soak.h"

#include <QtTest>

class tst_e2e_soak : public QObject
{
    Q_OBJECT
private slots:
    void random_faults_never_show_wrong_values();
};

void tst_e2e_soak::random_faults_never_show_wrong_values()
{
    SoakConfig config;
    config.polls = 24;
    config.archives = 3;
    config.seed = 7;
    config.clear_log_every = 5;
    config.late_answers = true;
    const SoakReport report = run_soak(config);
    QVERIFY2(report.problems.isEmpty(), qPrintable(report.problems.mid(0, 10).join('\n')));
    QCOMPARE(report.wrong_values, 0);
    QCOMPARE(report.runs, config.polls + config.archives + 3);
    QVERIFY(report.faults_injected > 0);
    QVERIFY(report.give_ups > 0);
}

QTEST_MAIN(tst_e2e_soak)
#include "tst_e2e_soak.moc"
