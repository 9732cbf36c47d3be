#include "meter/register_access.h"

#include "meter/register_map.h"

#include <QRegularExpression>

namespace registers {

namespace {

constexpr int max_frame = 256;

// A whole number, decimal or "0x" hex; no value for anything else.
std::optional<qint64> parse_number(const QString &text)
{
    const QString t = text.trimmed();
    bool ok = false;
    qint64 value = 0;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) && t.size() > 2)
        value = t.mid(2).toLongLong(&ok, 16);
    else
        value = t.toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace

int max_read_count(bool by_serial)
{
    // Answer: address part, byte count, the data, CRC.
    return qMin(125, (max_frame - modbus::read_answer_length(by_serial, 0)) / 2);
}

int max_write_count(bool by_serial)
{
    // Request: address part, register, count, byte count, the data, CRC.
    return qMin(123, (max_frame - modbus::address_part_length(by_serial) - 7) / 2);
}

std::optional<quint16> parse_register(const QString &text)
{
    const std::optional<qint64> value = parse_number(text);
    if (!value || *value < 0 || *value > 0xFFFF || text.trimmed().startsWith(QLatin1Char('+')))
        return std::nullopt;
    return quint16(*value);
}

std::optional<int> parse_count(const QString &text, quint16 first, bool by_serial)
{
    const std::optional<qint64> value = parse_number(text);
    if (!value || *value < 1 || *value > max_read_count(by_serial) || first + *value > 0x10000)
        return std::nullopt;
    return int(*value);
}

ParsedValues parse_values(const QString &text, bool pairs, quint16 first, bool by_serial)
{
    ParsedValues result;
    // Split and emptied by hand: Qt::SkipEmptyParts is Qt 5.14's.
    QStringList tokens = text.split(QRegularExpression(QStringLiteral("[\\s,;]+")));
    tokens.removeAll(QString());
    if (tokens.isEmpty()) {
        result.error = ValuesError::empty;
        return result;
    }
    const qint64 low = pairs ? -2147483648LL : -32768;
    const qint64 high = pairs ? 0xFFFFFFFFLL : 0xFFFF;
    for (const QString &token : tokens) {
        const std::optional<qint64> value = parse_number(token);
        if (!value) {
            result.error = ValuesError::not_a_number;
            result.bad_token = token;
            result.words.clear();
            return result;
        }
        if (*value < low || *value > high) {
            result.error = ValuesError::out_of_range;
            result.bad_token = token;
            result.words.clear();
            return result;
        }
        const quint32 bits = quint32(*value);
        result.words.append(quint16(bits & 0xFFFF));
        if (pairs)
            result.words.append(quint16(bits >> 16));
    }
    if (result.words.size() > max_write_count(by_serial) || first + result.words.size() > 0x10000) {
        result.error = ValuesError::too_many;
        result.words.clear();
    }
    return result;
}

QString hex_text(quint16 value)
{
    return QLatin1String("0x") + QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')).toUpper();
}

QString unsigned_text(quint16 value)
{
    return QString::number(value);
}

QString signed_text(quint16 value)
{
    return QString::number(qint16(value));
}

quint32 pair_value(quint16 low, quint16 high)
{
    return quint32(high) << 16 | low;
}

} // namespace registers

RegisterAccess::RegisterAccess(const MeterTarget &target, quint16 first_register, int registers)
    : meter(target)
    , first(first_register)
    , count(registers)
{ }

RegisterAccess::RegisterAccess(const MeterTarget &target, quint16 first_register, const QVector<quint16> &values)
    : meter(target)
    , first(first_register)
    , count(values.size())
    , to_write(values)
{ }

SequenceProgress RegisterAccess::progress() const
{
    const int total = writes() ? 2 : 1;
    const int done = finished() ? total : (written ? 1 : 0);
    return {done, total};
}

ExchangeRequest RegisterAccess::next_request()
{
    ExchangeRequest request;
    if (writes() && !written) {
        request.frame = to_write.size() == 1 ? modbus::write_register_request(meter, first, to_write[0])
                                             : modbus::write_registers_request(meter, first, to_write);
        request.answer_length = modbus::write_answer_length(meter.by_serial);
    } else {
        request.frame = modbus::read_registers_request(meter, first, quint16(count));
        request.answer_length = modbus::read_answer_length(meter.by_serial, count);
    }
    request.blank_line_after = true;
    return request;
}

void RegisterAccess::conclude(const ExchangeOutcome &outcome)
{
    if (!outcome.answered()) {
        failed_with = run_outcome(outcome);
        state = State::failed;
        return;
    }
    if (writes() && !written) {
        written = true; // the read-back comes next
        return;
    }
    const int offset = modbus::read_data_offset(meter.by_serial);
    read.clear();
    for (int i = 0; i < count; ++i)
        read.append(word_at(outcome.answer, offset + 2 * i));
    state = State::done;
}
