// The long soak: hundreds of polls and tens of archive reads against a line
// that misbehaves at random. Usage: soak [POLLS] [ARCHIVES] [SEED] [late]
// ("late": half the faults are answers later than the failure period).
#include "soak.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList args = application.arguments();
    SoakConfig config;
    if (args.size() > 1)
        config.polls = args[1].toInt();
    if (args.size() > 2)
        config.archives = args[2].toInt();
    if (args.size() > 3)
        config.seed = args[3].toUInt();
    config.late_answers = args.contains(QStringLiteral("late"));

    QTextStream out(stdout);
    const SoakReport r = run_soak(config, &out);
    out << "\nruns " << r.runs << ", hung runs " << r.hung_runs << ", faults injected " << r.faults_injected
        << ", give-ups " << r.give_ups << ", wrong values shown " << r.wrong_values << ", crashes 0\n"
        << "memory after warm-up " << r.memory_start_kb / 1024.0 << " MiB, at the end " << r.memory_end_kb / 1024.0
        << " MiB (log cleared both times)\n";
    for (const QString &problem : r.problems)
        out << "problem: " << problem << '\n';
    return r.problems.isEmpty() ? 0 : 1;
}
