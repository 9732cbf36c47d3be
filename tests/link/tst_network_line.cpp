// A line behind a serial device server: the endpoint the operator types, the
// wait for an answer over the network, and what a flooding server leaves queued.
#include "link/io_port.h"
#include "link/line_timing.h"
#include "link/network_endpoint.h"
#include "scan/scan_plan.h"

#include <QtTest>

namespace {

// Bytes as a server sends them, in whatever pieces the test chooses.
class server_device : public QIODevice
{
public:
    server_device() { open(QIODevice::ReadWrite); }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return pending.size() + QIODevice::bytesAvailable(); }
    void feed(const QByteArray &bytes)
    {
        pending += bytes;
        emit readyRead();
    }

protected:
    qint64 readData(char *data, qint64 max_size) override
    {
        const qint64 n = qMin<qint64>(max_size, pending.size());
        memcpy(data, pending.constData(), size_t(n));
        pending.remove(0, int(n));
        return n;
    }
    qint64 writeData(const char *, qint64 size) override { return size; }

private:
    QByteArray pending;
};

} // namespace

class tst_network_line : public QObject
{
    Q_OBJECT
private slots:
    void host_data();
    void host();
    void tcp_port_data();
    void tcp_port();
    void answer_wait_data();
    void answer_wait();
    void search_wait_data();
    void search_wait();
    void gap_after_a_frame_data();
    void gap_after_a_frame();
    void flood_keeps_the_newest_bytes_data();
    void flood_keeps_the_newest_bytes();
};

void tst_network_line::host_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("problem");
    QTest::addColumn<QString>("used");
    const int none = int(EndpointProblem::none);
    const int missing = int(EndpointProblem::host_missing);
    const int malformed = int(EndpointProblem::host_malformed);
    QTest::newRow("IPv4 address") << "192.168.1.10" << none << "192.168.1.10";
    QTest::newRow("spaces around are dropped") << " 10.0.0.7 " << none << "10.0.0.7";
    QTest::newRow("DNS name") << "gw-3.plant.local" << none << "gw-3.plant.local";
    QTest::newRow("underscore in a local name") << "line_server" << none << "line_server";
    QTest::newRow("IPv6 address") << "fe80::1" << none << "fe80::1";
    QTest::newRow("IPv6 in brackets") << "[::1]" << none << "::1";
    QTest::newRow("nothing typed") << "" << missing << "";
    QTest::newRow("only spaces") << "   " << missing << "";
    QTest::newRow("octet out of range") << "192.168.1.300" << malformed << "192.168.1.300";
    QTest::newRow("address cut short") << "192.168.1" << malformed << "192.168.1";
    QTest::newRow("space inside") << "gw 3" << malformed << "gw 3";
    QTest::newRow("port typed into the host") << "10.0.0.7:4001" << malformed << "10.0.0.7:4001";
    QTest::newRow("label starts with a hyphen") << "-gw.local" << malformed << "-gw.local";
    QTest::newRow("Cyrillic name") << QString::fromUtf8("шлюз") << malformed << QString::fromUtf8("шлюз");
    QTest::newRow("longer than DNS allows") << QString(254, 'a') << malformed << QString(254, 'a');
}

void tst_network_line::host()
{
    QFETCH(QString, typed);
    QFETCH(int, problem);
    QFETCH(QString, used);
    QCOMPARE(int(check_host(typed)), problem);
    QCOMPARE(normalized_host(typed), used);
}

void tst_network_line::tcp_port_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("port"); // 0: refused
    QTest::newRow("a server's usual port") << "4001" << 4001;
    QTest::newRow("highest") << "65535" << 65535;
    QTest::newRow("spaces around") << " 502 " << 502;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("past the highest") << "65536" << 0;
    QTest::newRow("signed") << "+502" << 0;
    QTest::newRow("letters") << "modbus" << 0;
    QTest::newRow("nothing") << "" << 0;
}

void tst_network_line::tcp_port()
{
    QFETCH(QString, typed);
    QFETCH(int, port);
    int parsed = -1;
    const EndpointProblem problem = check_tcp_port(typed, &parsed);
    QCOMPARE(problem == EndpointProblem::none, port > 0);
    if (port > 0)
        QCOMPARE(parsed, port);
}

void tst_network_line::answer_wait_data()
{
    QTest::addColumn<int>("baud_rate");
    QTest::addColumn<int>("round_trip_ms");
    QTest::addColumn<int>("period_ms");
    QTest::addColumn<int>("wait_ms");
    // 8 + 9 bytes and 3.5 characters at 9600 8N1: 20.5 characters, 22 ms,
    // and 200 ms for the meter to turn round.
    QTest::newRow("serial line: the period") << 9600 << 0 << 300 << 300;
    QTest::newRow("server: the period plus the round trip") << 9600 << 40 << 300 << 340;
    QTest::newRow("serial line: the line's need over a short period") << 9600 << 0 << 10 << 222;
    QTest::newRow("server: the line's need plus the round trip") << 9600 << 40 << 10 << 262;
    // The server's line at 1200 baud: 171 ms of characters.
    QTest::newRow("server at 1200 baud over a slow network") << 1200 << 250 << 100 << 621;
}

void tst_network_line::answer_wait()
{
    QFETCH(int, baud_rate);
    QFETCH(int, round_trip_ms);
    QFETCH(int, period_ms);
    QFETCH(int, wait_ms);
    LineTiming timing;
    timing.baud_rate = baud_rate;
    timing.framed_by_server = round_trip_ms > 0;
    timing.round_trip_ms = round_trip_ms;
    QCOMPARE(timing.answer_wait_ms(period_ms, 8, 9), wait_ms);
}

void tst_network_line::search_wait_data()
{
    QTest::addColumn<int>("round_trip_ms");
    QTest::addColumn<int>("wait_ms");
    // 8 + 7 bytes and 3.5 characters at 9600 8N1: 20 ms, then the operator's 100 ms.
    QTest::newRow("serial line") << 0 << 120;
    QTest::newRow("server across the network") << 40 << 160;
}

// The search's short wait for each address crosses the network too.
void tst_network_line::search_wait()
{
    QFETCH(int, round_trip_ms);
    QFETCH(int, wait_ms);
    LineTiming timing;
    timing.framed_by_server = round_trip_ms > 0;
    timing.round_trip_ms = round_trip_ms;
    QCOMPARE(scan::probe_wait_ms(timing, 8, 7, 100), wait_ms);
}

void tst_network_line::gap_after_a_frame_data()
{
    QTest::addColumn<bool>("framed_by_server");
    QTest::addColumn<bool>("waits");
    // At 1200 baud a request and 3.5 characters of silence take over 90 ms.
    QTest::newRow("serial line keeps the silence") << false << true;
    QTest::newRow("server keeps it on its own line") << true << false;
}

void tst_network_line::gap_after_a_frame()
{
    QFETCH(bool, framed_by_server);
    QFETCH(bool, waits);
    server_device server;
    io_port port;
    LineTiming timing;
    timing.baud_rate = 1200;
    timing.framed_by_server = framed_by_server;
    port.attach(&server, timing);
    port.send(QByteArray(8, '\x01'));
    QCOMPARE(port.ms_until_line_free() > 50, waits);
    port.send(QByteArray(8, '\x02'));
    QCOMPARE(port.frames_waiting(), waits);
}

void tst_network_line::flood_keeps_the_newest_bytes_data()
{
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("piece");
    QTest::newRow("an answer, whole") << 9 << 9;
    QTest::newRow("an answer, byte by byte") << 9 << 1;
    QTest::newRow("64 KiB, byte by byte") << 64 * 1024 << 1;
    QTest::newRow("a megabyte in one piece") << 1024 * 1024 << 1024 * 1024;
    QTest::newRow("a megabyte in socket-sized pieces") << 1024 * 1024 << 64 * 1024;
}

void tst_network_line::flood_keeps_the_newest_bytes()
{
    QFETCH(int, total);
    QFETCH(int, piece);
    server_device server;
    io_port port;
    port.attach(&server, LineTiming{});
    QByteArray sent;
    for (int at = 0; at < total; at += piece) {
        QByteArray bytes(qMin(piece, total - at), Qt::Uninitialized);
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = char((at + i) * 7);
        server.feed(bytes);
        if (sent.size() < 4096 || at + piece >= total - 4096)
            sent += bytes;
        else
            sent += QByteArray(bytes.size(), '\0'); // never looked at
    }
    const QByteArray queued = port.queued_bytes();
    QCOMPARE(queued.size(), qMin(total, io_port::max_queued_bytes));
    QCOMPARE(queued, sent.right(queued.size()));
}

QTEST_MAIN(tst_network_line)
#include "tst_network_line.moc"
