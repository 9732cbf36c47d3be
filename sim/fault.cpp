#include "fault.h"

#include "slave.h"

#include <QRandomGenerator>

namespace sim {

namespace {

struct fault_form
{
    const char *name;
    fault::kind what;
    int args;
};

const fault_form forms[] = {
    {"silence", fault::silence, 0}, {"delay", fault::delay, 1},     {"split", fault::split, 2},
    {"badcrc", fault::badcrc, 0},   {"short", fault::shortened, 0}, {"long", fault::lengthened, 0},
    {"garbage", fault::garbage, 0}, {"echo", fault::echo, 0},       {"wrongaddr", fault::wrongaddr, 0},
};

} // namespace

QString fault_name(const fault &f)
{
    for (const fault_form &s : forms) {
        if (s.what == f.what)
            return QString::fromLatin1(s.name);
    }
    return QString();
}

bool parse_fault(const QString &text, fault *out, QString *error)
{
    QStringList words = words_of(text);
    fault f;
    bool counted = false;
    bool delayed = false;
    bool filtered = false;
    while (words.size() > 1) {
        const QString last = words.last();
        if (last.startsWith(QLatin1String("reg="))) {
            quint16 reg = 0;
            if (filtered || !parse_register(last.mid(4), &reg)) {
                *error = QStringLiteral("reg wants one register number");
                return false;
            }
            filtered = true;
            f.reg = reg;
            words.removeLast();
            continue;
        }
        const bool is_count = last.startsWith(QLatin1String("count="));
        const bool is_after = last.startsWith(QLatin1String("after="));
        if (!is_count && !is_after)
            break;
        if ((is_count && counted) || (is_after && delayed)) {
            *error = QStringLiteral("%1 given twice").arg(last.left(5));
            return false;
        }
        bool ok = false;
        const int n = last.mid(6).toInt(&ok);
        if (is_count) {
            counted = true;
            f.remaining = n;
            if (!ok || n < 1) {
                *error = QStringLiteral("count wants a number of answers from 1 up");
                return false;
            }
        } else {
            delayed = true;
            f.after = n;
            if (!ok || n < 0) {
                *error = QStringLiteral("after wants a number of answers from 0 up");
                return false;
            }
        }
        words.removeLast();
    }
    if (words.isEmpty()) {
        *error = QStringLiteral("which fault?");
        return false;
    }
    for (const fault_form &s : forms) {
        if (words.first() != QLatin1String(s.name))
            continue;
        if (words.size() != s.args + 1) {
            *error = QStringLiteral("%1 takes %2 argument(s)").arg(words.first()).arg(s.args);
            return false;
        }
        f.what = s.what;
        int values[2] = {0, 0};
        for (int i = 0; i < s.args; ++i) {
            bool ok = false;
            values[i] = words.at(i + 1).toInt(&ok);
            if (!ok || values[i] < 0 || values[i] > 600000) {
                *error = QStringLiteral("'%1' is not a usable number").arg(words.at(i + 1));
                return false;
            }
        }
        f.a = values[0];
        f.b = values[1];
        if (f.what == fault::split && f.a < 2) {
            *error = QStringLiteral("split wants 2 parts or more");
            return false;
        }
        *out = f;
        return true;
    }
    *error = QStringLiteral("unknown fault '%1'").arg(words.first());
    return false;
}

QVector<QByteArray> split_bytes(const QByteArray &bytes, int parts)
{
    QVector<QByteArray> chunks;
    parts = qBound(1, parts, qMax(1, bytes.size()));
    int from = 0;
    for (int i = 0; i < parts; ++i) {
        const int to = int(qint64(bytes.size()) * (i + 1) / parts);
        chunks.append(bytes.mid(from, to - from));
        from = to;
    }
    return chunks;
}

answer_plan plan_answer(const QByteArray &request, const QByteArray &answer, QVector<fault> *active,
                        QRandomGenerator *random)
{
    answer_plan plan;
    plan.bytes = answer;
    QByteArray &b = plan.bytes;

    // Faults for another register, or still waiting their turn, sit this answer out.
    const int reg = request_register(request);
    QVector<fault> acting;
    QVector<bool> acts(active->size(), false);
    for (int i = 0; i < active->size(); ++i) {
        fault &f = (*active)[i];
        if (f.reg >= 0 && f.reg != reg)
            continue;
        if (f.after > 0) {
            --f.after;
        } else {
            acts[i] = true;
            acting.append(f);
        }
    }
    const auto uses = [&acting](fault::kind what) {
        for (const fault &f : acting) {
            if (f.what == what)
                return true;
        }
        return false;
    };

    // Content first, in an order that keeps each fault visible: garbage
    // replaces everything, a wrong address keeps a valid CRC, and only then
    // is the CRC or the length spoiled.
    if (uses(fault::garbage) && b.size() >= 3) {
        for (int i = 0; i < b.size(); ++i)
            b[i] = char(random->bounded(256));
        if (crc_ok(b))
            b[b.size() - 1] = char(b.at(b.size() - 1) ^ 0x5A);
    }
    if (uses(fault::wrongaddr) && b.size() >= 3) {
        QByteArray body = b.left(b.size() - 2);
        if (quint8(body.at(0)) == 0xFD && body.size() >= 8) {
            body[3] = char(body.at(3) + 1); // b6: another meter's serial
        } else {
            quint8 other = quint8(quint8(body.at(0)) + 1);
            if (other == 0)
                other = 1;
            body[0] = char(other);
        }
        b = with_crc(body);
    }
    if (uses(fault::badcrc) && b.size() >= 2)
        b[b.size() - 1] = char(b.at(b.size() - 1) ^ 0xFF);
    if (uses(fault::shortened) && !b.isEmpty())
        b.chop(1);
    if (uses(fault::lengthened))
        b.append('\0');

    for (const fault &f : acting) {
        switch (f.what) {
        case fault::silence: plan.silent = true; break;
        case fault::delay: plan.delay_ms += f.a; break;
        case fault::split:
            plan.parts = f.a;
            plan.pause_ms = f.b;
            break;
        case fault::echo: plan.echo = request; break;
        default: break;
        }
        plan.applied.append(fault_name(f));
    }

    for (int i = active->size() - 1; i >= 0; --i) {
        fault &f = (*active)[i];
        if (acts.at(i) && f.remaining > 0 && --f.remaining == 0)
            active->remove(i);
    }
    return plan;
}

} // namespace sim
