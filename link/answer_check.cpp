#include "link/answer_check.h"

#include <QCoreApplication>

#include "link/crc.h"
#include "link/frames.h"

bool is_exception_answer(const QByteArray &answer)
{
    return answer.size() == 5 && (quint8(answer[1]) & 0x80) && crc_matches(answer);
}

int exception_code(const QByteArray &answer)
{
    return is_exception_answer(answer) ? quint8(answer[2]) : 0;
}

QString exception_message(int code)
{
    switch (code) {
    case 1: return QCoreApplication::translate("modbus", "Неизвестная команда");
    case 2: return QCoreApplication::translate("modbus", "Неизвестный адрес регистра");
    case 3: return QCoreApplication::translate("modbus", "Неверное значение параметра");
    default: return QString();
    }
}

AnswerStatus check_answer(const QByteArray &answer, const QByteArray &request, int expected_length)
{
    // A refusal is the meter's only when it carries the address byte asked
    // (0xFD by serial number): from any other device it answers nothing of ours.
    if (is_exception_answer(answer))
        return !request.isEmpty() && answer[0] == request[0] ? AnswerStatus::exception : AnswerStatus::wrong_address;
    if (answer.size() < expected_length)
        return AnswerStatus::too_short;
    if (answer.size() > expected_length)
        return AnswerStatus::too_long;
    if (!crc_matches(answer))
        return AnswerStatus::bad_crc;

    const bool by_serial = !request.isEmpty() && quint8(request[0]) == modbus::serial_address;
    const int address_part = modbus::address_part_length(by_serial);
    if (request.size() < address_part || answer.size() < address_part)
        return AnswerStatus::too_short;
    if (answer[0] != request[0])
        return AnswerStatus::wrong_address;
    if (by_serial && answer.mid(2, 6) != request.mid(2, 6))
        return AnswerStatus::wrong_address;
    if (answer[1] != request[1])
        return AnswerStatus::wrong_function;

    const quint8 function = quint8(request[1]);
    if (function == modbus::read_registers || function == modbus::read_registers_sn) {
        // Register count: the 16-bit field after the start register.
        if (request.size() < address_part + 4 || answer.size() <= address_part)
            return AnswerStatus::too_short;
        const int registers = quint8(request[address_part + 2]) * 256 + quint8(request[address_part + 3]);
        if (quint8(answer[address_part]) != 2 * registers)
            return AnswerStatus::wrong_byte_count;
    }
    return AnswerStatus::ok;
}

QByteArray strip_echo(const QByteArray &bytes, const QByteArray &request, bool *line_echoes)
{
    if (request.isEmpty())
        return bytes;
    if (bytes.size() > request.size() && bytes.startsWith(request)) {
        *line_echoes = true;
        return bytes.mid(request.size());
    }
    if (*line_echoes && bytes == request)
        return QByteArray();
    return bytes;
}

QByteArray answer_at_end(const QByteArray &bytes, const QByteArray &request, int expected_length)
{
    if (request.size() < 2)
        return QByteArray();
    const QByteArray data = bytes.right(expected_length);
    if (check_answer(data, request, expected_length) == AnswerStatus::ok)
        return data;
    // A refusal in front of which a late answer sits counts only for the function asked.
    const QByteArray refusal = bytes.right(5);
    if (check_answer(refusal, request, expected_length) == AnswerStatus::exception
        && (quint8(refusal[1]) & 0x7F) == quint8(request[1]))
        return refusal;
    return QByteArray();
}

const char *answer_status_name(AnswerStatus status)
{
    switch (status) {
    case AnswerStatus::ok: return "ok";
    case AnswerStatus::too_short: return "too short";
    case AnswerStatus::too_long: return "too long";
    case AnswerStatus::bad_crc: return "bad CRC";
    case AnswerStatus::wrong_address: return "wrong address";
    case AnswerStatus::wrong_function: return "wrong function";
    case AnswerStatus::wrong_byte_count: return "wrong byte count";
    case AnswerStatus::exception: return "exception";
    }
    return "?";
}
