#include "meter_device.h"

#include "link/answer_check.h"
#include "sim/slave.h"

#include <QTimer>

MeterDevice::MeterDevice()
{
    meters.append(sim::builtin_meter());
    open(QIODevice::ReadWrite);
}

qint64 MeterDevice::readData(char *data, qint64 max_size)
{
    const qint64 n = qMin(max_size, qint64(pending.size()));
    memcpy(data, pending.constData(), size_t(n));
    pending.remove(0, int(n));
    return n;
}

// Every write is one whole request: the exchanger sends frames whole.
qint64 MeterDevice::writeData(const char *data, qint64 size)
{
    const QByteArray request(data, int(size));
    const LineTrick trick = requests.size() < tricks.size() ? tricks[requests.size()] : LineTrick{};
    requests.append(request);
    if (echo)
        deliver(request);
    QByteArray answer = sim::handle_request(&meters, request).answer;
    if (answer.isEmpty() || trick.kind == LineTrick::silent)
        return size;
    if (trick.kind == LineTrick::garble)
        answer[answer.size() - 1] = char(answer.back() ^ 0x55);
    if (trick.kind == LineTrick::dribble) {
        for (int k = 0; k < answer.size(); ++k)
            QTimer::singleShot(trick.delay_ms * (k + 1), this, [this, byte = answer.mid(k, 1)] { deliver(byte); });
        return size;
    }
    QTimer::singleShot(trick.kind == LineTrick::late ? trick.delay_ms : 2, this, [this, answer] { deliver(answer); });
    return size;
}

void MeterDevice::deliver(const QByteArray &bytes)
{
    pending += bytes;
    QTimer::singleShot(0, this, [this] { emit readyRead(); });
}

QList<ExchangeRequest> run_in_process(Sequence &sequence, QVector<sim::meter> &meters, int silent_from)
{
    int sent = 0;
    return run_in_process(sequence, meters, [&sent, silent_from](const ExchangeRequest &) {
        return silent_from < 0 || ++sent <= silent_from;
    });
}

QList<ExchangeRequest> run_in_process(Sequence &sequence, QVector<sim::meter> &meters, const Heard &heard)
{
    QList<ExchangeRequest> sent;
    while (!sequence.finished() && sent.size() < 10000) {
        const ExchangeRequest request = sequence.next_request();
        sent.append(request);
        ExchangeOutcome outcome;
        if (heard(request))
            outcome.answer = sim::handle_request(&meters, request.frame).answer;
        outcome.check = check_answer(outcome.answer, request.frame, request.answer_length);
        if (outcome.answer.isEmpty())
            outcome.kind = ExchangeOutcome::Kind::no_answer;
        else if (outcome.check == AnswerStatus::ok)
            outcome.kind = ExchangeOutcome::Kind::answered;
        else if (outcome.check == AnswerStatus::exception)
            outcome.kind = ExchangeOutcome::Kind::exception, outcome.exception_code = exception_code(outcome.answer);
        else
            outcome.kind = ExchangeOutcome::Kind::bad_answer;
        sequence.conclude(outcome);
    }
    return sent;
}
