#include "link/network_line.h"

#include <QTcpSocket>
#include <QTimer>

network_line::network_line(QObject *parent)
    : QObject(parent)
    , deadline(new QTimer(this))
{
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, this, [this] { fail(ConnectFailure::timed_out); });
}

network_line::~network_line()
{
    drop();
}

QTcpSocket *network_line::socket() const
{
    return current && current->state() == QAbstractSocket::ConnectedState ? current : nullptr;
}

void network_line::drop()
{
    deadline->stop();
    attempt_running = false;
    if (!current)
        return;
    // A new socket per connection, so nothing of the old one is delivered
    // again; whoever still holds it lets go first (io_port::close_port).
    disconnect(current, nullptr, this, nullptr);
    current->abort();
    current->deleteLater();
    current = nullptr;
}

void network_line::connect_to(const NetworkEndpoint &endpoint, int connect_ms)
{
    drop();
    current = new QTcpSocket(this);
    current->setReadBufferSize(read_buffer_bytes);
    attempt_running = true;
    handshake.start();
    connect(current, &QAbstractSocket::stateChanged, this, [this](QAbstractSocket::SocketState state) {
        // The name is looked up: from here on the time is the handshake's.
        if (state == QAbstractSocket::ConnectingState)
            handshake.restart();
    });
    connect(current, &QAbstractSocket::connected, this, [this] {
        deadline->stop();
        attempt_running = false;
        current->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        emit connected(int(handshake.elapsed()));
    });
    // A connection that ends later closes the device, which tells its reader.
    connect(current, &QAbstractSocket::disconnected, this, [this] {
        if (!attempt_running && current->isOpen())
            current->close();
    });
#if QT_VERSION >= QT_VERSION_CHECK(5, 15, 0)
    const auto error_signal = &QAbstractSocket::errorOccurred;
#else
    const auto error_signal = QOverload<QAbstractSocket::SocketError>::of(&QAbstractSocket::error);
#endif
    connect(current, error_signal, this, [this](QAbstractSocket::SocketError error) {
        if (!attempt_running)
            return; // a connection that drops later is io_port's to tell
        switch (error) {
        case QAbstractSocket::HostNotFoundError: fail(ConnectFailure::name_not_found); break;
        case QAbstractSocket::ConnectionRefusedError: fail(ConnectFailure::refused); break;
        case QAbstractSocket::SocketTimeoutError: fail(ConnectFailure::timed_out); break;
        case QAbstractSocket::NetworkError: fail(ConnectFailure::network_unreachable); break;
        default: fail(ConnectFailure::other); break;
        }
    });
    deadline->start(connect_ms);
    current->connectToHost(normalized_host(endpoint.host), quint16(endpoint.tcp_port));
}

void network_line::fail(ConnectFailure why)
{
    if (!attempt_running)
        return;
    drop();
    emit failed(why);
}
