#include "model/outcome_words.h"

#include "link/answer_check.h"

#include <QCoreApplication>

// The main window's status line has always said these; the other windows
// now say them too.
QString outcome_words(const RunOutcome &outcome)
{
    using Kind = RunOutcome::Kind;
    switch (outcome.kind) {
    case Kind::pending: return QString();
    case Kind::ok: return QStringLiteral("OK");
    case Kind::no_answer: return QCoreApplication::translate("outcome", "Соединение отсутствует");
    case Kind::bad_answer: return QCoreApplication::translate("outcome", "Некорректные данные");
    case Kind::exception: {
        const QString meaning = exception_message(outcome.exception_code);
        return meaning.isEmpty() ? QCoreApplication::translate("outcome", "Исключение %1").arg(outcome.exception_code)
                                 : meaning;
    }
    case Kind::not_confirmed: return QCoreApplication::translate("outcome", "Запись не подтверждена");
    case Kind::stopped: return QCoreApplication::translate("outcome", "Обмен остановлен");
    case Kind::port_lost: return QCoreApplication::translate("outcome", "Порт не открыт");
    case Kind::no_address: return QCoreApplication::translate("outcome", "Свободных адресов не осталось");
    }
    return QString();
}

QString clock_setting_words(const RunOutcome &outcome)
{
    return outcome.ok() ? QCoreApplication::translate("outcome", "Время установлено") : outcome_words(outcome);
}

QString write_words(const RunOutcome &outcome, const QString &next_exchange)
{
    if (!outcome.ok())
        return outcome_words(outcome);
    QString text = QCoreApplication::translate("outcome", "Записано");
    if (!next_exchange.isEmpty())
        text += QLatin1Char('\n')
            + QCoreApplication::translate("outcome", "Для следующего обмена: %1").arg(next_exchange);
    return text;
}

QString line_failure_words(LineFailure why, const LinePlace &place, int connect_ms)
{
    const NetworkEndpoint &server = place.server;
    const QString where = QStringLiteral("%1:%2").arg(server.host).arg(server.tcp_port);
    switch (why) {
    case LineFailure::port_not_found:
    case LineFailure::port_busy:
    case LineFailure::port_failed:
        return QStringLiteral("%1: %2").arg(place.serial.port_name, outcome_words(RunOutcome::Kind::port_lost));
    case LineFailure::name_not_found:
        return QCoreApplication::translate("outcome", "Имя %1 не найдено: проверьте адрес сервера").arg(server.host);
    case LineFailure::refused:
        return QCoreApplication::translate("outcome",
                                           "%1 отказал в соединении: проверьте TCP порт и что сервер включен")
            .arg(where);
    case LineFailure::timed_out:
        return QCoreApplication::translate("outcome", "%1 не ответил за %2 с: проверьте адрес и сеть")
            .arg(where)
            .arg(connect_ms / 1000);
    case LineFailure::network_unreachable:
        return QCoreApplication::translate("outcome", "Сеть до %1 недоступна: проверьте подключение").arg(where);
    case LineFailure::none:
    case LineFailure::connect_failed: break;
    }
    return QCoreApplication::translate("outcome", "Нет соединения с %1").arg(where);
}

QString next_exchange_text(int item, quint32 value)
{
    switch (item) {
    case write_item::address: return QCoreApplication::translate("write", "адрес %1 в поле адреса").arg(value);
    case write_item::exchange_rate: {
        static const int rates[] = {1200, 2400, 4800, 9600};
        return value < 4 ? QCoreApplication::translate("write", "скорость %1 в настройках порта").arg(rates[value])
                         : QString();
    }
    case write_item::parity: {
        const quint32 stop_bits = value & 0xFF;
        QString parity;
        switch (value >> 8) {
        case 0: parity = QCoreApplication::translate("write", "нет проверки"); break;
        case 2: parity = QCoreApplication::translate("write", "проверка на нечетность"); break;
        case 3: parity = QCoreApplication::translate("write", "проверка на четность"); break;
        default: return QString();
        }
        return QCoreApplication::translate("write", "стоп-битов %1, %2 в настройках порта").arg(stop_bits).arg(parity);
    }
    default: return QString();
    }
}

QString write_words(const WriteItemResult &result, int item)
{
    return write_words(result.outcome,
                       result.kind == WriteItemResult::Kind::confirmed ? next_exchange_text(item, result.value)
                                                                       : QString());
}
