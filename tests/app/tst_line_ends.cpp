// A settings file typed on Windows (CRLF) keeps its line ends when the
// program saves it; one typed with LF, or not there yet, is written with LF.
#include "config/port_settings.h"
#include "config/side_settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class tst_line_ends : public QObject
{
    Q_OBJECT
private slots:
    void save_keeps_line_ends_data();
    void save_keeps_line_ends();
};

void tst_line_ends::save_keeps_line_ends_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("before"); // empty: no file yet
    QTest::addColumn<QByteArray>("after");
    const QByteArray settings("COM3\n9600\n1\n300\n1000\n700\n2000\n0\n");
    QByteArray settings_crlf = settings;
    settings_crlf.replace("\n", "\r\n");
    QTest::newRow("settings.txt, new") << "settings.txt" << QByteArray() << settings;
    QTest::newRow("settings.txt, LF") << "settings.txt" << QByteArray("COM1\n1200\n") << settings;
    QTest::newRow("settings.txt, CRLF") << "settings.txt" << QByteArray("COM1\r\n1200\r\n") << settings_crlf;
    QTest::newRow("addressing.txt, new") << "addressing.txt" << QByteArray() << QByteArray("tcp_host=10.0.0.7\n");
    QTest::newRow("addressing.txt, LF") << "addressing.txt" << QByteArray("address=5\n")
                                        << QByteArray("address=5\ntcp_host=10.0.0.7\n");
    QTest::newRow("addressing.txt, CRLF") << "addressing.txt" << QByteArray("address=5\r\nserial=\r\n")
                                          << QByteArray("address=5\r\nserial=\r\ntcp_host=10.0.0.7\r\n");
}

void tst_line_ends::save_keeps_line_ends()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    const QString path = dir.filePath(file);
    if (!before.isEmpty()) {
        QFile typed(path);
        QVERIFY(typed.open(QIODevice::WriteOnly));
        typed.write(before);
    }
    if (file == QLatin1String("settings.txt")) {
        PortSettings s;
        s.port_name = QStringLiteral("COM3");
        QVERIFY(save_port_settings(path, s));
    } else {
        QVERIFY(update_side_settings(path, {{QStringLiteral("tcp_host"), QStringLiteral("10.0.0.7")}}));
    }
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), after);
}

QTEST_GUILESS_MAIN(tst_line_ends)
#include "tst_line_ends.moc"
