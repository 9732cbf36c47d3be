#include "line.h"

#include "slave.h"

#include <QDateTime>
#include <QFile>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#ifdef Q_OS_UNIX
// The master's pty settings are read from its end of the pair (Linux ptys).
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#endif
#include <utility>

namespace sim {

namespace {

void log_line(const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

// An incomplete request gets this long to be completed before it is dropped:
// generous, since the program's own writes may be split by the driver.
constexpr int incomplete_grace_ms = 1000;

int archive_type_of(const QString &text)
{
    if (text == QLatin1String("hourly"))
        return hourly;
    if (text == QLatin1String("daily"))
        return daily;
    if (text == QLatin1String("monthly"))
        return monthly;
    bool ok = false;
    const int t = text.toInt(&ok);
    return ok && t >= 1 && t <= 3 ? t : 0;
}

int parity_bit(quint8 byte, int parity)
{
    int ones = 0;
    for (int bit = 0; bit < 8; ++bit)
        ones += (byte >> bit) & 1;
    return parity == 1 ? (ones + 1) % 2 : ones % 2;
}

#ifdef Q_OS_UNIX
int baud_of(speed_t speed)
{
    static const struct
    {
        speed_t code;
        int baud;
    } rates[] = {{B300, 300},   {B600, 600},     {B1200, 1200},   {B2400, 2400},   {B4800, 4800},
                 {B9600, 9600}, {B19200, 19200}, {B38400, 38400}, {B57600, 57600}, {B115200, 115200}};
    for (const auto &rate : rates) {
        if (rate.code == speed)
            return rate.baud;
    }
    return 0;
}
#endif

} // namespace

bool byte_survives(quint8 byte, int sent_parity, int read_parity)
{
    // The bit after the data: the sender's parity bit, or its stop bit.
    const int sent = sent_parity ? parity_bit(byte, sent_parity) : 1;
    // The reader takes it for its own parity bit, or for the stop bit. Bytes
    // sent back to back are taken as apart.
    return read_parity ? sent == parity_bit(byte, read_parity) : sent == 1;
}

line::~line()
{
#ifdef Q_OS_UNIX
    if (master_fd_ >= 0)
        ::close(master_fd_);
#endif
}

line::line(const QVector<meter> &meters, const line_options &options, QObject *parent)
    : QObject(parent)
    , options_(options)
    , meters_(meters)
    , random_(quint32(QDateTime::currentMSecsSinceEpoch()))
{
    clock_.start();
    for (const meter &m : meters_) {
        QVector<fault> permanent;
        for (const QString &text : m.faults) {
            fault f;
            QString unused;
            if (parse_fault(text, &f, &unused))
                permanent.append(f);
        }
        faults_.append(permanent);
    }
    silence_timer_.setSingleShot(true);
    silence_timer_.setTimerType(Qt::PreciseTimer);
    connect(&silence_timer_, &QTimer::timeout, this, &line::silence);
    tx_timer_.setSingleShot(true);
    tx_timer_.setTimerType(Qt::PreciseTimer);
    connect(&tx_timer_, &QTimer::timeout, this, &line::pump);
    connect(&port_, &QSerialPort::readyRead, this, &line::read_bytes);
    connect(&port_, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        if (e == QSerialPort::NoError)
            return;
        log_line(QStringLiteral("port error %1: %2").arg(int(e)).arg(port_.errorString()));
        // The other end is gone (a pty pair torn down, an adapter pulled
        // out): reads would fail forever, so there is nothing left to serve.
        if (e == QSerialPort::ResourceError || e == QSerialPort::ReadError) {
            port_.close();
            emit quit_requested(3);
        }
    });
}

double line::char_us() const
{
    const int bits = 1 + 8 + (options_.parity ? 1 : 0) + options_.stop_bits;
    return bits * 1e6 / qMax(1, options_.baud);
}

int line::silence_ms() const
{
    // 3.5 character times end a frame; a pty is much faster than any baud
    // rate, so never go below 2 ms.
    return qMax(2, int(std::ceil(3.5 * char_us() / 1000.0)));
}

bool line::open(QString *error)
{
    if (options_.tcp) {
        io_ = nullptr;
        connect(&server_, &QTcpServer::newConnection, this, &line::accept_connection);
        if (!server_.listen(QHostAddress::LocalHost, quint16(options_.tcp_port))) {
            *error
                = QStringLiteral("cannot listen on 127.0.0.1:%1: %2").arg(options_.tcp_port).arg(server_.errorString());
            return false;
        }
        log_line(QStringLiteral("tcp port %1").arg(server_.serverPort()));
        return true;
    }
    port_.setPortName(options_.port);
    if (!port_.open(QIODevice::ReadWrite)) {
        *error = QStringLiteral("cannot open %1: %2").arg(options_.port, port_.errorString());
        return false;
    }
    // A pty ignores these; a real adapter needs them.
    const bool ok = port_.setBaudRate(options_.baud) && port_.setDataBits(QSerialPort::Data8)
        && port_.setParity(options_.parity == 1       ? QSerialPort::OddParity
                               : options_.parity == 2 ? QSerialPort::EvenParity
                                                      : QSerialPort::NoParity)
        && port_.setStopBits(options_.stop_bits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop)
        && port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!ok)
        log_line(QStringLiteral("line settings not applied: %1").arg(port_.errorString()));
    port_.clearError();
#ifdef Q_OS_UNIX
    if (!options_.master_port.isEmpty()) {
        // Opened before the master opens it for itself (it may lock it), and
        // never read: the bytes stay the master's.
        master_fd_ = ::open(QFile::encodeName(options_.master_port).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
        if (master_fd_ < 0) {
            *error = QStringLiteral("cannot open %1: %2")
                         .arg(options_.master_port, QString::fromLocal8Bit(strerror(errno)));
            return false;
        }
    }
#endif
    return true;
}

// The master's rate and parity now, from its port's termios, or else this
// end's own. A pty drops the parity-enable flag but keeps the odd flag, so on
// a pty odd parity is heard and even parity passes for none.
void line::master_setting(int *baud, int *parity) const
{
    *baud = options_.baud;
    *parity = options_.parity;
#ifdef Q_OS_UNIX
    termios t{};
    if (master_fd_ < 0 || ::tcgetattr(master_fd_, &t) != 0)
        return;
    *baud = baud_of(cfgetospeed(&t));
    *parity = (t.c_cflag & PARODD) ? 1 : (t.c_cflag & PARENB) ? 2 : 0;
#endif
}

// A meter hears a frame sent at its own rate; at another rate it gets noise
// that is no frame. Its receiver does not check parity.
bool line::hears(const meter &m, int baud) const
{
    return m.baud == 0 || m.baud == baud;
}

void line::accept_connection()
{
    while (QTcpSocket *next = server_.nextPendingConnection()) {
        if (client_) {
            log_line(QStringLiteral("tcp connection replaced"));
            client_->disconnect(this);
            client_->abort();
            client_->deleteLater();
        }
        client_ = next;
        io_ = client_;
        client_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(client_, &QTcpSocket::readyRead, this, &line::read_bytes);
        connect(client_, &QTcpSocket::disconnected, this, [this, next] {
            if (client_ != next)
                return;
            log_line(QStringLiteral("tcp connection closed"));
            client_->deleteLater();
            client_ = nullptr;
            io_ = nullptr;
        });
        // What was half received or still to be sent belonged to the old connection.
        rx_.clear();
        rx_done_us_.clear();
        tx_queue_.clear();
        segment_start_us_ = -1;
        log_line(QStringLiteral("tcp connection from %1").arg(client_->peerAddress().toString()));
    }
}

void line::write_out(const QByteArray &bytes)
{
    if (!io_)
        return; // no one connected: the bytes go nowhere, as on an idle line
    io_->write(bytes);
    if (io_ == &port_)
        port_.flush();
    else if (client_)
        client_->flush();
}

void line::read_bytes()
{
    if (!io_)
        return;
    const QByteArray data = io_->readAll();
    if (data.isEmpty())
        return;
    const qint64 now = now_us();
    if (options_.wire_time && !options_.tcp && rx_.isEmpty() && last_tx_end_us_ > 0 && tx_queue_.isEmpty()) {
        // A master must leave 3.5 characters of silence after our answer
        // before its next request; a little less is timer jitter, not a fault.
        const qint64 gap_us = now - last_tx_end_us_;
        if (gap_us < qint64(3.0 * char_us()))
            log_line(QStringLiteral("rx too early: %1 us after the answer").arg(gap_us));
    }
    // A server sends a request onto its line only after the silence that
    // ends the answer before it.
    const qint64 line_free_us
        = options_.tcp && last_tx_end_us_ > 0 ? last_tx_end_us_ + qint64(std::ceil(3.5 * char_us())) : 0;
    for (int i = 0; i < data.size(); ++i) {
        if (options_.wire_time) {
            // Bytes written to a pty arrive at once; on a real line each one
            // takes a character time after the previous one.
            wire_end_us_ = qMax(qMax(now, line_free_us), wire_end_us_) + qint64(char_us());
            rx_done_us_.append(wire_end_us_);
        } else {
            rx_done_us_.append(now);
        }
    }
    rx_.append(data);
    waiting_ = false;
    cut_frames();
    if (!rx_.isEmpty()) {
        const qint64 wire_left_ms = options_.wire_time ? qMax<qint64>(0, wire_end_us_ - now) / 1000 : 0;
        silence_timer_.start(int(wire_left_ms) + silence_ms());
    } else {
        silence_timer_.stop();
    }
}

void line::cut_frames()
{
    for (;;) {
        const int n = request_length(rx_);
        if (n <= 0 || rx_.size() < n)
            return;
        const QByteArray frame = rx_.left(n);
        if (!crc_ok(frame))
            return; // left to the silence that follows
        const qint64 done = rx_done_us_.at(n - 1);
        rx_.remove(0, n);
        rx_done_us_.remove(0, n);
        deliver(frame, done);
    }
}

bool line::resync()
{
    for (int offset = 1; offset + 4 <= rx_.size(); ++offset) {
        const QByteArray rest = rx_.mid(offset);
        const int n = request_length(rest);
        const bool whole = n > 0 && rest.size() >= n && crc_ok(rest.left(n));
        if (!whole)
            continue;
        log_line(QStringLiteral("rx discarded %1").arg(hex(rx_.left(offset))));
        rx_.remove(0, offset);
        rx_done_us_.remove(0, offset);
        cut_frames();
        return true;
    }
    return false;
}

void line::silence()
{
    if (rx_.isEmpty())
        return;
    const int n = request_length(rx_);
    if (n < 0 && rx_.size() >= 4 && crc_ok(rx_)) {
        // A frame of a function this meter family does not know: still a
        // frame, and the meter it is for answers exception 1.
        const QByteArray frame = rx_;
        const qint64 done = rx_done_us_.last();
        rx_.clear();
        rx_done_us_.clear();
        deliver(frame, done);
        return;
    }
    if (resync()) {
        if (!rx_.isEmpty())
            silence_timer_.start(silence_ms());
        return;
    }
    if (n >= 0 && (n == 0 || rx_.size() < n)) {
        if (!waiting_) {
            waiting_ = true;
            log_line(QStringLiteral("rx waiting %1 (%2 of %3 bytes)")
                         .arg(hex(rx_))
                         .arg(rx_.size())
                         .arg(n > 0 ? QString::number(n) : QStringLiteral("?")));
            silence_timer_.start(incomplete_grace_ms);
            return;
        }
    }
    log_line(QStringLiteral("rx discarded %1").arg(hex(rx_)));
    rx_.clear();
    rx_done_us_.clear();
    waiting_ = false;
}

void line::deliver(const QByteArray &frame, qint64 done_us)
{
    const qint64 wait_us = done_us - now_us();
    if (wait_us <= 0) {
        process(frame, done_us);
        return;
    }
    // Not yet across the wire: the meter cannot have seen it.
    QTimer::singleShot(int((wait_us + 999) / 1000), Qt::PreciseTimer, this,
                       [this, frame, done_us] { process(frame, done_us); });
}

void line::process(const QByteArray &frame, qint64 done_us)
{
    int master_baud = 0;
    int master_parity = 0;
    master_setting(&master_baud, &master_parity);
    QVector<int> listening;
    QVector<meter> hearing;
    for (int i = 0; i < meters_.size(); ++i) {
        if (hears(meters_.at(i), master_baud)) {
            listening.append(i);
            hearing.append(meters_.at(i));
        }
    }
    handled h = handle_request(&hearing, frame);
    for (int k = 0; k < listening.size(); ++k)
        meters_[listening.at(k)] = hearing.at(k);
    if (h.meter >= 0)
        h.meter = listening.at(h.meter);
    if (hearing.size() < meters_.size())
        log_line(QStringLiteral("line at %1 baud, parity %2").arg(master_baud).arg(master_parity));
    if (h.to == destination::other) {
        log_line(QStringLiteral("rx ignored %1 (%2)").arg(hex(frame), h.note));
        return;
    }
    ++valid_requests_;
    log_line(QStringLiteral("rx %1 (%2)").arg(hex(frame), h.note));
    if (h.to == destination::broadcast || h.answer.isEmpty()) {
        log_line(QStringLiteral("no answer (broadcast)"));
        return;
    }

    answer_plan plan = plan_answer(frame, h.answer, &faults_[h.meter], &random_);
    const int parity = meters_.at(h.meter).parity;
    if (parity >= 0 && parity != master_parity) {
        QByteArray heard;
        for (const char byte : std::as_const(plan.bytes)) {
            if (byte_survives(quint8(byte), parity, master_parity))
                heard.append(byte);
        }
        plan.applied.append(QStringLiteral("parity %1 read as %2").arg(parity).arg(master_parity));
        plan.bytes = heard;
    }
    const QString faults
        = plan.applied.isEmpty() ? QString() : QStringLiteral(" (fault %1)").arg(plan.applied.join(QLatin1Char(',')));
    const qint64 now = now_us();
    if (!plan.echo.isEmpty()) {
        segment s;
        s.bytes = plan.echo;
        s.not_before_us = now;
        send(s);
        log_line(QStringLiteral("echo %1").arg(hex(plan.echo)));
    }
    if (plan.silent || plan.bytes.isEmpty()) {
        log_line(QStringLiteral("no answer%1").arg(faults));
        return;
    }
    log_line(QStringLiteral("tx %1%2").arg(hex(plan.bytes), faults));
    const qint64 start = qMax(now, done_us) + qint64(options_.turnaround_ms + plan.delay_ms) * 1000;
    const QVector<QByteArray> parts = split_bytes(plan.bytes, plan.parts);
    for (int i = 0; i < parts.size(); ++i) {
        segment s;
        s.bytes = parts.at(i);
        s.not_before_us = start;
        s.gap_us = i == 0 ? 0 : qint64(plan.pause_ms) * 1000;
        s.paced = options_.wire_time;
        send(s);
    }
}

void line::send(const segment &s)
{
    tx_queue_.append(s);
    if (!tx_timer_.isActive())
        pump();
}

void line::pump()
{
    while (!tx_queue_.isEmpty()) {
        const segment &s = tx_queue_.first();
        const qint64 now = now_us();
        if (segment_start_us_ < 0) {
            const qint64 start = qMax(s.not_before_us, last_tx_end_us_ + s.gap_us);
            if (now < start) {
                tx_timer_.start(int((start - now + 999) / 1000));
                return;
            }
            segment_start_us_ = now;
            segment_sent_ = 0;
        }
        int due = s.bytes.size();
        if (s.paced) {
            // A byte is written once it would have fully crossed the wire.
            due = qMin(due, int(double(now - segment_start_us_) / char_us()));
        }
        if (due > segment_sent_) {
            write_out(s.bytes.mid(segment_sent_, due - segment_sent_));
            segment_sent_ = due;
        }
        if (segment_sent_ < s.bytes.size()) {
            tx_timer_.start(1);
            return;
        }
        last_tx_end_us_ = s.paced ? segment_start_us_ + qint64(s.bytes.size() * char_us()) : now;
        segment_start_us_ = -1;
        tx_queue_.removeFirst();
    }
}

QString line::command(const QString &text)
{
    QStringList words = words_of(text);
    int target = 0;
    if (words.value(0) == QLatin1String("meter")) {
        bool ok = false;
        target = words.value(1).toInt(&ok) - 1;
        if (!ok || target < 0 || target >= meters_.size())
            return QStringLiteral("error no meter '%1' (1..%2)").arg(words.value(1)).arg(meters_.size());
        words = words.mid(2);
    }
    if (words.isEmpty())
        return QStringLiteral("error empty command");
    meter &m = meters_[target];
    const QString name = words.first();

    if (name == QLatin1String("drop")) {
        // The network goes down under the program: the connection ends.
        if (!client_)
            return QStringLiteral("error no connection");
        client_->abort();
        return QStringLiteral("ok");
    }
    if (name == QLatin1String("fault")) {
        if (words.size() == 2 && words.at(1) == QLatin1String("clear")) {
            faults_[target].clear();
            return QStringLiteral("ok");
        }
        fault f;
        QString error;
        if (!parse_fault(words.mid(1).join(QLatin1Char(' ')), &f, &error))
            return QStringLiteral("error ") + error;
        faults_[target].append(f);
        return QStringLiteral("ok");
    }
    if (name == QLatin1String("exception")) {
        if (words.size() == 2 && words.at(1) == QLatin1String("clear")) {
            m.forced_exceptions.clear();
            return QStringLiteral("ok");
        }
        quint16 reg = 0;
        bool ok = false;
        const int code = words.value(2).toInt(&ok);
        if (words.size() != 3 || !parse_register(words.at(1), &reg) || !ok || code < 1 || code > 255)
            return QStringLiteral("error usage: exception REG CODE | exception clear");
        m.forced_exceptions[reg] = code;
        return QStringLiteral("ok");
    }
    if (name == QLatin1String("get")) {
        quint16 reg = 0;
        if (words.size() != 2 || !parse_register(words.at(1), &reg))
            return QStringLiteral("error usage: get REG");
        if (!m.has_register(reg))
            return QStringLiteral("error no register 0x%1").arg(reg, 4, 16, QLatin1Char('0'));
        return QStringLiteral("ok %1").arg(m.read(reg));
    }
    if (name == QLatin1String("set")) {
        quint16 reg = 0;
        qint64 value = 0;
        if (words.size() != 3 || !parse_register(words.at(1), &reg) || !parse_number(words.at(2), &value)
            || value < -32768 || value > 0xFFFF)
            return QStringLiteral("error usage: set REG VALUE");
        m.set(reg, quint16(value));
        return QStringLiteral("ok");
    }
    if (name == QLatin1String("record")) {
        const int type = archive_type_of(words.value(1));
        bool ok = false;
        const int index = words.value(2).toInt(&ok);
        if (words.size() != 3 || type == 0 || !ok)
            return QStringLiteral("error usage: record TYPE INDEX");
        if (index < 0 || index >= m.archive_depth(type))
            return QStringLiteral("error index %1 outside 0..%2").arg(index).arg(m.archive_depth(type) - 1);
        return QStringLiteral("ok ") + hex(m.record_bytes(type, index));
    }
    if (name == QLatin1String("inject")) {
        // Bytes out of turn, as from a meter answering late or line noise.
        QByteArray bytes;
        if (words.size() < 2 || !parse_hex(words.mid(1).join(QLatin1Char(' ')), &bytes) || bytes.isEmpty())
            return QStringLiteral("error usage: inject HEX BYTES");
        segment s;
        s.bytes = bytes;
        s.not_before_us = now_us();
        send(s);
        log_line(QStringLiteral("injected %1").arg(hex(bytes)));
        return QStringLiteral("ok");
    }
    if (name == QLatin1String("count") && words.size() == 1)
        return QStringLiteral("ok %1").arg(valid_requests_);
    if (name == QLatin1String("quit") && words.size() == 1) {
        emit quit_requested(0);
        return QStringLiteral("ok");
    }
    return QStringLiteral("error unknown command '%1'").arg(text.simplified());
}

} // namespace sim
