#include "log/hex_line.h"
#include "log/log_class.h"

#include <QPushButton>
#include <QTextEdit>
#include <QtTest>

class tst_log : public QObject
{
    Q_OBJECT
private slots:
    void frame_lines_data();
    void frame_lines();
    void append_and_clear();
};

void tst_log::frame_lines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected");
    QTest::newRow("request") << sent_line(QByteArray::fromHex("0103000900015408"))
                             << "-> 01 03 00 09 00 01 54 08";
    QTest::newRow("0x0A and 0xFF") << received_line(QByteArray::fromHex("0aff")) << "<- 0a ff";
    QTest::newRow("nothing") << received_line(QByteArray()) << "<-";
}

void tst_log::frame_lines()
{
    QFETCH(QString, line);
    QFETCH(QString, expected);
    QCOMPARE(line, expected);
}

void tst_log::append_and_clear()
{
    LOG_class log;
    QCOMPARE(log.windowTitle(), QStringLiteral("Логи"));
    log.append("-> 01");
    log.append("<- 02\n");
    QCOMPARE(log.text(), QStringLiteral("-> 01\n<- 02\n"));

    log.findChild<QPushButton *>("clear_btn")->click();
    QCOMPARE(log.text(), QString());
    log.append("-> 03");
    QCOMPARE(log.text(), QStringLiteral("-> 03"));
}

QTEST_MAIN(tst_log)
#include "tst_log.moc"
