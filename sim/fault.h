#pragma once

// Misbehaviour on demand: what the line does to the next answers of a meter.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

class QRandomGenerator;

namespace sim {

struct fault
{
    enum kind { silence, delay, split, badcrc, shortened, lengthened, garbage, echo, wrongaddr };
    kind what = silence;
    int a = 0;          // delay: ms; split: parts
    int b = 0;          // split: pause ms
    int remaining = -1; // answers still to spoil; -1 until cleared
    int after = 0;      // answers to leave alone before it starts
    int reg = -1;       // only answers to requests for this register; -1: all
};

// "NAME [args] [count=N] [after=N] [reg=R]", e.g. "split 3 20 count=2":
// several faults act together on the same answers; after=N queues one behind
// others; reg=R spoils only the answers to requests for register R (counted
// alone), to hit one step of a longer exchange.
bool parse_fault(const QString &text, fault *out, QString *error);
QString fault_name(const fault &f);

// How one answer goes out once the faults have had their say.
struct answer_plan
{
    QByteArray echo;  // written back at once, before the answer
    QByteArray bytes; // the answer as it will be written
    bool silent = false;
    int delay_ms = 0; // on top of the turnaround
    int parts = 1;
    int pause_ms = 0;
    QStringList applied;
};

// Applies every active fault to one answer, counts them down and drops the
// used-up ones.
answer_plan plan_answer(const QByteArray &request, const QByteArray &answer, QVector<fault> *active,
                        QRandomGenerator *random);

// Cuts bytes into `parts` nearly equal chunks (at least one byte each).
QVector<QByteArray> split_bytes(const QByteArray &bytes, int parts);

} // namespace sim
