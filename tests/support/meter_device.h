#pragma once

// The stand-in's meter inside the test process, behind a QIODevice: the
// exchanger and the engines run on it without a serial port or socat. Each
// request can be told how the line treats its answer.

#include "link/exchange.h"
#include "sim/meter.h"

#include <QIODevice>
#include <QVector>
#include <functional>

struct LineTrick
{
    enum Kind { answer, silent, garble, late, dribble };
    Kind kind = answer;
    int delay_ms = 0; // late: the answer comes this long after the request; dribble: each byte after the last
};

class MeterDevice : public QIODevice
{
    Q_OBJECT
public:
    MeterDevice();

    QVector<sim::meter> meters;
    // How the answers to the 1st, 2nd, ... request are treated; requests
    // past the list are answered at once.
    QVector<LineTrick> tricks;
    bool echo = false;          // hand back every request first, as some adapters do
    QList<QByteArray> requests; // what came over the line, in order

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return pending.size() + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char *data, qint64 max_size) override;
    qint64 writeData(const char *data, qint64 size) override;

private:
    void deliver(const QByteArray &bytes);

    QByteArray pending;
};

// Runs a sequence against the meters without a line or a timer: each request
// is answered at once, checked as the exchanger checks it, unless `heard`
// says the meters do not hear it. Returns the requests sent.
using Heard = std::function<bool(const ExchangeRequest &request)>;
QList<ExchangeRequest> run_in_process(Sequence &sequence, QVector<sim::meter> &meters, const Heard &heard);
// The requests from index `silent_from` on get no answer.
QList<ExchangeRequest> run_in_process(Sequence &sequence, QVector<sim::meter> &meters, int silent_from = -1);
