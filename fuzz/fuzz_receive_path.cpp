// The receive path of a line: bytes from a serial device server (or any line)
// in pieces of any size, into io_port's queue and the exchanger's judging of
// them, while a run of register reads is on the line. The input:
//   byte 0   bit 0: the run waits, resends and gives up (else one wait per
//            request); bit 1: the answer may have bytes in front of it;
//            bit 2: a line framed by a server (no silence kept here)
//   byte 1   registers per read (1 to 8)
//   then     pieces: a length byte and that many bytes; a length of 0 ends
//            the connection.
// No timer fires here: what is judged is what bytes alone decide.
#include "fuzz_check.h"

#include "link/answer_check.h"
#include "link/exchanger.h"
#include "link/frames.h"
#include "link/io_port.h"
#include "meter/exchange_rules.h"

#include <QCoreApplication>
#include <QIODevice>

#include <cstring>

namespace {

class server_line : public QIODevice
{
public:
    server_line() { open(QIODevice::ReadWrite); }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return pending.size() + QIODevice::bytesAvailable(); }
    void feed(const QByteArray &bytes)
    {
        pending += bytes;
        emit readyRead();
    }
    int sent = 0;

protected:
    qint64 readData(char *data, qint64 max_size) override
    {
        const qint64 n = std::min<qint64>(max_size, pending.size());
        std::memcpy(data, pending.constData(), size_t(n));
        pending.remove(0, int(n));
        return n;
    }
    qint64 writeData(const char *, qint64 size) override
    {
        ++sent;
        return size;
    }

private:
    QByteArray pending;
};

class register_reads : public Sequence
{
public:
    register_reads(int count, bool at_end)
        : count(count)
        , at_end(at_end)
    { }
    bool finished() const override { return concluded >= 64 || ended; }
    ExchangeRequest next_request() override
    {
        ExchangeRequest request;
        request.frame = modbus::read_registers_request(MeterTarget{}, quint16(concluded), quint16(count));
        request.answer_length = modbus::read_answer_length(false, count);
        request.answer_at_end = at_end;
        last_request = request.frame;
        return request;
    }
    void conclude(const ExchangeOutcome &outcome) override
    {
        ++concluded;
        if (outcome.kind == ExchangeOutcome::Kind::port_lost || outcome.kind == ExchangeOutcome::Kind::stopped)
            ended = true;
        else
            ++judged;
        // An answer handed to a sequence is whole and checked against its request.
        if (outcome.kind == ExchangeOutcome::Kind::answered) {
            FUZZ_CHECK(check_answer(outcome.answer, last_request, modbus::read_answer_length(false, count))
                       == AnswerStatus::ok);
        }
    }

    int count;
    bool at_end;
    int concluded = 0;
    int judged = 0; // outcomes of requests that left: answered, refused, bad or missing
    bool ended = false;
    QByteArray last_request;
};

QCoreApplication *application()
{
    static int argc = 1;
    static char name[] = "fuzz_receive_path";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return &app;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    application();
    if (size < 2)
        return 0;
    const int flags = data[0];
    const int count = 1 + data[1] % 8;

    server_line line;
    io_port port;
    LineTiming timing;
    timing.framed_by_server = flags & 4;
    port.attach(&line, timing);
    Exchanger exchanger(&port);
    register_reads run(count, flags & 2);
    const ExchangeRules rules = flags & 1 ? exchange_rules::watch({}) : exchange_rules::serial_lookup({});
    FUZZ_CHECK(exchanger.run(&run, rules));

    size_t at = 2;
    while (at < size) {
        const size_t length = data[at++];
        if (length == 0) {
            line.close();
            QCoreApplication::processEvents();
            continue;
        }
        const size_t taken = std::min(length, size - at);
        line.feed(QByteArray(reinterpret_cast<const char *>(data + at), int(taken)));
        at += taken;
        FUZZ_CHECK(port.queued_bytes().size() <= io_port::max_queued_bytes);
        QCoreApplication::processEvents();
    }
    exchanger.stop();
    FUZZ_CHECK(!exchanger.busy());
    // Every request judged has left, once at least.
    FUZZ_CHECK(run.judged <= line.sent);
    return 0;
}
