// One line as the windows and the collector open it: a serial port or a
// server's TCP connection, and what the session says came of it.
#include "link/line_session.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

Q_DECLARE_METATYPE(LineFailure)

class tst_line_session : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<LineFailure>(); }
    void open_data();
    void open();
    void server_gone_is_a_line_lost();
};

namespace {

constexpr int opens = -1; // the line opens

LinePlace server_at(quint16 tcp_port)
{
    LinePlace place;
    place.networked = true;
    place.server.host = QStringLiteral("127.0.0.1");
    place.server.tcp_port = tcp_port;
    return place;
}

} // namespace

void tst_line_session::open_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("outcome");
    QTest::newRow("serial port missing") << "serial" << int(LineFailure::port_not_found);
    QTest::newRow("server refuses") << "closed server" << int(LineFailure::refused);
    QTest::newRow("server listens") << "server" << opens;
}

void tst_line_session::open()
{
    QFETCH(QString, line);
    QFETCH(int, outcome);
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    LinePlace place = server_at(server.serverPort());
    if (line == "serial") {
        place = LinePlace();
        place.serial.port_name = QStringLiteral("/dev/ttyNOSUCHPORT7");
    } else if (line == "closed server") {
        server.close();
    }
    LineSession session;
    QSignalSpy opened(&session, &LineSession::opened);
    QSignalSpy failed(&session, &LineSession::failed);
    session.open(place);
    QTRY_COMPARE_WITH_TIMEOUT(opened.count() + failed.count(), 1, 10000);
    if (outcome == opens) {
        QCOMPARE(opened.count(), 1);
        QVERIFY(session.is_open());
    } else {
        QCOMPARE(failed.count(), 1);
        QCOMPARE(int(failed.first().first().value<LineFailure>()), outcome);
        QVERIFY(!session.is_open());
    }
}

void tst_line_session::server_gone_is_a_line_lost()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    LineSession session;
    QSignalSpy opened(&session, &LineSession::opened);
    QSignalSpy lost(&session, &LineSession::lost);
    session.open(server_at(server.serverPort()));
    QTRY_COMPARE_WITH_TIMEOUT(opened.count(), 1, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(server.hasPendingConnections(), 10000);
    delete server.nextPendingConnection();
    QTRY_COMPARE_WITH_TIMEOUT(lost.count(), 1, 10000);
    QVERIFY(!session.is_open());
}

QTEST_MAIN(tst_line_session)
#include "tst_line_session.moc"
