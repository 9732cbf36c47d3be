#include "link/answer_check.h"
#include "link/crc.h"
#include "link/frames.h"

#include <QtTest>

Q_DECLARE_METATYPE(AnswerStatus)

namespace QTest {
template<> char *toString(const AnswerStatus &status)
{
    return qstrdup(answer_status_name(status));
}
} // namespace QTest

namespace {

QByteArray framed(const char *hex)
{
    return with_crc(QByteArray::fromHex(hex));
}

MeterTarget by_serial()
{
    MeterTarget t;
    t.by_serial = true;
    t.serial = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};
    return t;
}

} // namespace

class tst_answer_check : public QObject
{
    Q_OBJECT
private slots:
    void check_data();
    void check();
    void at_end_data();
    void at_end();
    void exceptions_data();
    void exceptions();
    void messages();
    void echo_data();
    void echo();
};

void tst_answer_check::check_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("expected_length");
    QTest::addColumn<AnswerStatus>("status");

    const QByteArray read1 = modbus::read_registers_request(MeterTarget{}, 0x0009, 1);
    const QByteArray read3 = modbus::read_registers_request(MeterTarget{}, 0x0004, 3);
    const QByteArray sn_read = modbus::read_registers_request(by_serial(), 0x0009, 1);
    const QByteArray write = modbus::write_register_request(MeterTarget{}, 0x0300, 5);
    const QByteArray block = modbus::archive_block_request(MeterTarget{}, 1, 504, 8);

    QTest::newRow("good read") << read1 << framed("01030200 03") << 7 << AnswerStatus::ok;
    QTest::newRow("good read of 3") << read3 << framed("010306 00123456789a") << 11 << AnswerStatus::ok;
    QTest::newRow("short") << read1 << framed("010302 00").left(6) << 7 << AnswerStatus::too_short;
    QTest::newRow("long") << read1 << framed("010302 0003 00") << 7 << AnswerStatus::too_long;
    QTest::newRow("bad CRC") << read1 << QByteArray::fromHex("01030200030000") << 7 << AnswerStatus::bad_crc;
    QTest::newRow("one bit flipped in data") << read1 << [] {
        QByteArray a = framed("0103020003");
        a[4] = char(a[4] ^ 0x10);
        return a;
    }() << 7 << AnswerStatus::bad_crc;
    QTest::newRow("other meter") << read1 << framed("0203020003") << 7 << AnswerStatus::wrong_address;
    QTest::newRow("wrong function") << read1 << framed("0104020003") << 7 << AnswerStatus::wrong_function;
    QTest::newRow("wrong byte count") << read1 << framed("0103040003") << 7 << AnswerStatus::wrong_byte_count;
    QTest::newRow("good read by serial") << sn_read << framed("fd41 9abc56781234 02 0003") << 13 << AnswerStatus::ok;
    QTest::newRow("other serial") << sn_read << framed("fd41 9abc56781235 02 0003") << 13
                                  << AnswerStatus::wrong_address;
    QTest::newRow("serial answer to a device request")
        << read1 << framed("fd41 9abc56781234 02 0003") << 7 << AnswerStatus::too_long;
    QTest::newRow("not 0xFD by serial") << sn_read << framed("0141 9abc56781234 02 0003") << 13
                                        << AnswerStatus::wrong_address;
    QTest::newRow("write echo") << write << write << 8 << AnswerStatus::ok;
    QTest::newRow("archive block") << block << with_crc(block.left(6) + QByteArray(80, '\x11')) << 88
                                   << AnswerStatus::ok;
    QTest::newRow("archive block of another version")
        << block << with_crc(block.left(6) + QByteArray(112, '\x11')) << 88 << AnswerStatus::too_long;
    QTest::newRow("nothing") << read1 << QByteArray() << 7 << AnswerStatus::too_short;
    QTest::newRow("exception") << write << QByteArray::fromHex("018602c3a1") << 8 << AnswerStatus::exception;
    QTest::newRow("exception by serial") << sn_read << framed("fdc102") << 13 << AnswerStatus::exception;
    // Only the device asked refuses: another's exception is a bad answer.
    QTest::newRow("exception from another meter") << write << framed("028602") << 8 << AnswerStatus::wrong_address;
    QTest::newRow("exception by device address to a serial request")
        << sn_read << framed("01c102") << 13 << AnswerStatus::wrong_address;
    QTest::newRow("exception by serial to a device request")
        << read1 << framed("fd8302") << 7 << AnswerStatus::wrong_address;
}

void tst_answer_check::at_end_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("found");
    const QByteArray late = framed("0203020003"); // another meter's late answer in front
    QTest::newRow("refusal behind a late answer") << late + framed("018302") << framed("018302");
    QTest::newRow("refusal of another meter") << late + framed("028302") << QByteArray();
    QTest::newRow("refusal of another function") << late + framed("018602") << QByteArray();
    QTest::newRow("answer behind a late answer") << late + framed("0103020007") << framed("0103020007");
}

void tst_answer_check::at_end()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, found);
    const QByteArray read1 = modbus::read_registers_request(MeterTarget{}, 0x0009, 1);
    QCOMPARE(answer_at_end(bytes, read1, 7), found);
}

void tst_answer_check::check()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, answer);
    QFETCH(int, expected_length);
    QFETCH(AnswerStatus, status);
    QCOMPARE(check_answer(answer, request, expected_length), status);
}

void tst_answer_check::exceptions_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("code");
    QTest::newRow("code 2") << QByteArray::fromHex("018602c3a1") << 2;
    QTest::newRow("code 1") << framed("018301") << 1;
    QTest::newRow("by serial") << framed("fdc203") << 3;
    QTest::newRow("bad CRC") << QByteArray::fromHex("018602c3a2") << 0;
    QTest::newRow("bit 7 clear") << framed("010602") << 0;
    QTest::newRow("6 bytes") << framed("01860200") << 0;
}

void tst_answer_check::exceptions()
{
    QFETCH(QByteArray, answer);
    QFETCH(int, code);
    QCOMPARE(exception_code(answer), code);
    QCOMPARE(is_exception_answer(answer), code != 0);
}

void tst_answer_check::messages()
{
    QCOMPARE(exception_message(1), QStringLiteral("Неизвестная команда"));
    QCOMPARE(exception_message(2), QStringLiteral("Неизвестный адрес регистра"));
    QCOMPARE(exception_message(3), QStringLiteral("Неверное значение параметра"));
    QVERIFY(exception_message(0).isEmpty());
    QVERIFY(exception_message(4).isEmpty());
}

void tst_answer_check::echo_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("known_echo");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("echoes_after");

    const QByteArray read = modbus::read_registers_request(MeterTarget{}, 0x0009, 1);
    const QByteArray write = modbus::write_register_request(MeterTarget{}, 0x0300, 5);
    const QByteArray answer = framed("0103020003");

    QTest::newRow("plain answer") << read << answer << false << answer << false;
    QTest::newRow("copy, then the answer") << read << read + answer << false << answer << true;
    QTest::newRow("copy, then part of the answer") << read << read + answer.left(3) << false << answer.left(3) << true;
    QTest::newRow("write echo answer on a plain line") << write << write << false << write << false;
    QTest::newRow("write: copy, then the echo answer") << write << write + write << false << write << true;
    QTest::newRow("only the copy on an echoing line") << write << write << true << QByteArray() << true;
    QTest::newRow("only part of the copy") << read << read.left(4) << true << read.left(4) << true;
    QTest::newRow("nothing") << read << QByteArray() << true << QByteArray() << true;
}

void tst_answer_check::echo()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, known_echo);
    QFETCH(QByteArray, answer);
    QFETCH(bool, echoes_after);
    bool echoes = known_echo;
    QCOMPARE(strip_echo(bytes, request, &echoes).toHex(' '), answer.toHex(' '));
    QCOMPARE(echoes, echoes_after);
}

QTEST_APPLESS_MAIN(tst_answer_check)
#include "tst_answer_check.moc"
