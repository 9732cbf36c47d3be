// Every outcome in the words of every place that shows it: the line table,
// the register window, the watch, the search, commissioning and the
// collector say outcome_words(); the status line, a clock setting and a
// write add only what is theirs.
#include "model/outcome_words.h"
#include "windows/main_window/job_context.h"

#include <QtTest>

namespace {

RunOutcome exception(int code)
{
    RunOutcome outcome(RunOutcome::Kind::exception);
    outcome.exception_code = code;
    return outcome;
}

RunOutcome bad(AnswerStatus why)
{
    RunOutcome outcome(RunOutcome::Kind::bad_answer);
    outcome.why = why;
    return outcome;
}

} // namespace

Q_DECLARE_METATYPE(RunOutcome)

class tst_outcome_words : public QObject
{
    Q_OBJECT
private slots:
    void words_data();
    void words();
    void last_request_names_the_outcome_data();
    void last_request_names_the_outcome();
    void line_not_opened_data();
    void line_not_opened();
};

void tst_outcome_words::words_data()
{
    using K = RunOutcome::Kind;
    QTest::addColumn<RunOutcome>("outcome");
    QTest::addColumn<QString>("words");   // the tables, the windows, the collector
    QTest::addColumn<QString>("poll");    // the main window's status line after a poll
    QTest::addColumn<QString>("archive"); // ... after an archive read
    QTest::addColumn<QString>("write");   // ... after a write
    QTest::addColumn<QString>("clock");   // a clock setting's row
    QTest::addColumn<QString>("written"); // a commissioning write's row

    const QString none = "Соединение отсутствует";
    QTest::newRow("pending") << RunOutcome() << ""
                             << ""
                             << ""
                             << ""
                             << ""
                             << "";
    QTest::newRow("ok") << RunOutcome(K::ok) << "OK"
                        << ""
                        << ""
                        << ""
                        << "Время установлено"
                        << "Записано\nДля следующего обмена: адрес 5 в поле адреса";
    QTest::newRow("no answer") << RunOutcome(K::no_answer) << none << none << none << none << none << none;
    QTest::newRow("bad answer: the archive's status keeps its word")
        << bad(AnswerStatus::bad_crc) << "Некорректные данные"
        << "Некорректные данные"
        << "Неверные данные"
        << "Некорректные данные"
        << "Некорректные данные"
        << "Некорректные данные";
    const QString meaning = "Неизвестный адрес регистра";
    QTest::newRow("exception with a meaning")
        << exception(2) << meaning << meaning << meaning << meaning << meaning << meaning;
    QTest::newRow("exception without one") << exception(6) << "Исключение 6"
                                           << "Исключение 6"
                                           << "Исключение 6"
                                           << "Исключение 6"
                                           << "Исключение 6"
                                           << "Исключение 6";
    const QString unconfirmed = "Запись не подтверждена";
    QTest::newRow("not confirmed") << RunOutcome(K::not_confirmed) << unconfirmed << unconfirmed << unconfirmed
                                   << unconfirmed << unconfirmed << unconfirmed;
    const QString stopped = "Обмен остановлен";
    QTest::newRow("stopped") << RunOutcome(K::stopped) << stopped << stopped << stopped << stopped << stopped
                             << stopped;
    const QString lost = "Порт не открыт";
    QTest::newRow("port lost") << RunOutcome(K::port_lost) << lost << lost << lost << lost << lost << lost;
    const QString no_address = "Свободных адресов не осталось";
    QTest::newRow("no address left") << RunOutcome(K::no_address) << no_address << no_address << no_address
                                     << no_address << no_address << no_address;
}

void tst_outcome_words::words()
{
    QFETCH(RunOutcome, outcome);
    QFETCH(QString, words);
    QFETCH(QString, poll);
    QFETCH(QString, archive);
    QFETCH(QString, write);
    QFETCH(QString, clock);
    QFETCH(QString, written);
    QCOMPARE(outcome_words(outcome), words);
    // The status line speaks only of a run that failed.
    if (!outcome.ok()) {
        QCOMPARE(run_status_text(Job::poll, outcome), poll);
        QCOMPARE(run_status_text(Job::archive, outcome), archive);
        QCOMPARE(run_status_text(Job::write, outcome), write);
    }
    QCOMPARE(clock_setting_words(outcome), clock);
    QCOMPARE(write_words(outcome, "адрес 5 в поле адреса"), written);
}

void tst_outcome_words::last_request_names_the_outcome_data()
{
    using E = ExchangeOutcome::Kind;
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("check");
    QTest::addColumn<QString>("words");
    // 01 83 02 with its CRC: the meter refuses a read.
    const QByteArray refusal = QByteArray::fromHex("018302c0f1");
    QTest::newRow("answered") << int(E::answered) << QByteArray() << int(AnswerStatus::ok) << "OK";
    QTest::newRow("silence") << int(E::no_answer) << QByteArray() << int(AnswerStatus::ok) << "Соединение отсутствует";
    QTest::newRow("bad crc") << int(E::bad_answer) << QByteArray::fromHex("0103") << int(AnswerStatus::bad_crc)
                             << "Некорректные данные";
    QTest::newRow("a refusal the rules took for a bad answer is named")
        << int(E::bad_answer) << refusal << int(AnswerStatus::exception) << "Неизвестный адрес регистра";
    QTest::newRow("stopped") << int(E::stopped) << QByteArray() << int(AnswerStatus::ok) << "Обмен остановлен";
    QTest::newRow("port lost") << int(E::port_lost) << QByteArray() << int(AnswerStatus::ok) << "Порт не открыт";
}

void tst_outcome_words::last_request_names_the_outcome()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, answer);
    QFETCH(int, check);
    QFETCH(QString, words);
    ExchangeOutcome last;
    last.kind = ExchangeOutcome::Kind(kind);
    last.answer = answer;
    last.check = AnswerStatus(check);
    QCOMPARE(outcome_words(run_outcome(last)), words);
}

// The status line and the collector's output say why a line did not open
// alike: a serial port by its name, a server with what to check.
void tst_outcome_words::line_not_opened_data()
{
    QTest::addColumn<bool>("networked");
    QTest::addColumn<int>("why");
    QTest::addColumn<QString>("words");
    QTest::newRow("port missing") << false << int(LineFailure::port_not_found) << "COM7: Порт не открыт";
    QTest::newRow("port busy") << false << int(LineFailure::port_busy) << "COM7: Порт не открыт";
    QTest::newRow("port refused") << false << int(LineFailure::port_failed) << "COM7: Порт не открыт";
    QTest::newRow("name") << true << int(LineFailure::name_not_found)
                          << "Имя riser-7.local не найдено: проверьте адрес сервера";
    QTest::newRow("refused") << true << int(LineFailure::refused)
                             << "riser-7.local:4001 отказал в соединении: проверьте TCP порт и что сервер включен";
    QTest::newRow("timed out") << true << int(LineFailure::timed_out)
                               << "riser-7.local:4001 не ответил за 5 с: проверьте адрес и сеть";
    QTest::newRow("unreachable") << true << int(LineFailure::network_unreachable)
                                 << "Сеть до riser-7.local:4001 недоступна: проверьте подключение";
    QTest::newRow("other") << true << int(LineFailure::connect_failed) << "Нет соединения с riser-7.local:4001";
}

void tst_outcome_words::line_not_opened()
{
    QFETCH(bool, networked);
    QFETCH(int, why);
    QFETCH(QString, words);
    LinePlace place;
    place.serial.port_name = "COM7";
    place.networked = networked;
    place.server.host = "riser-7.local";
    place.server.tcp_port = 4001;
    QCOMPARE(line_failure_words(LineFailure(why), place, 5000), words);
}

QTEST_MAIN(tst_outcome_words)
#include "tst_outcome_words.moc"
