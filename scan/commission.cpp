#include "scan/commission.h"

#include "link/serial_number.h"
#include "meter/write_values.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace scan {

namespace {

// The device address the meter keeps.
constexpr quint16 address_register = 0x0300;

} // namespace

SerialLookup::SerialLookup(const QVector<SerialBytes> &serial_numbers)
    : serials(serial_numbers)
{
    if (serials.isEmpty())
        state = State::done;
}

MeterTarget SerialLookup::target() const
{
    MeterTarget target;
    target.by_serial = true;
    target.serial = serials.at(turn);
    return target;
}

ExchangeRequest SerialLookup::next_request()
{
    const MeterTarget meter = target();
    const Read read = field < field_count ? identification_read(field) : Read{address_register, 1};
    ExchangeRequest request;
    request.frame = modbus::read_registers_request(meter, read.reg, read.count);
    request.answer_length = modbus::read_answer_length(true, read.count);
    request.new_meter = field == 0;
    return request;
}

void SerialLookup::conclude(const ExchangeOutcome &outcome)
{
    if (finished())
        return;
    using Kind = ExchangeOutcome::Kind;
    if (outcome.kind == Kind::stopped || outcome.kind == Kind::port_lost) {
        state = outcome.kind == Kind::stopped ? State::stopped : State::port_lost;
        return;
    }
    if (field == 0) {
        if (!outcome.answered()) {
            QString text;
            for (quint8 byte : serials.at(turn))
                text += QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0'));
            missing.append(text);
            next_meter();
            return;
        }
        meters.append(MeterIdentity());
    }
    MeterIdentity &meter = meters.last();
    const int offset = modbus::read_data_offset(true);
    const QByteArray data
        = outcome.answered() ? outcome.answer.mid(offset, outcome.answer.size() - offset - 2) : QByteArray();
    if (field < field_count)
        meter.data[size_t(field)] = data;
    else if (data.size() == 2)
        meter.address = quint8(data[0]) << 8 | quint8(data[1]);
    ++field;
    if (field > field_count) {
        meter.complete = true;
        next_meter();
    }
}

void SerialLookup::next_meter()
{
    field = 0;
    if (++turn >= serials.size())
        state = State::done;
}

std::optional<QVector<SerialBytes>> parse_serial_list(const QString &text)
{
    QVector<SerialBytes> serials;
    // Emptied by hand: Qt::SkipEmptyParts is Qt 5.14's.
    for (const QString &word : text.split(QRegularExpression(QStringLiteral("[\\s,;]+")))) {
        if (word.isEmpty())
            continue;
        const std::optional<SerialBytes> serial = word.size() == 12 ? pack_serial_number(word) : std::nullopt;
        if (!serial)
            return std::nullopt;
        if (!serials.contains(*serial))
            serials.append(*serial);
    }
    return serials;
}

QVector<int> plan_addresses(int count, int first, const QSet<int> &used, QVector<int> *skipped)
{
    QVector<int> addresses;
    int next = qMax(first, lowest_address);
    for (int i = 0; i < count; ++i) {
        while (next <= highest_address && used.contains(next)) {
            if (skipped)
                skipped->append(next);
            ++next;
        }
        addresses.append(next <= highest_address ? next++ : 0);
    }
    return addresses;
}

MeterWrites::MeterWrites(const QVector<MeterTarget> &targets, int item,
                         const QVector<std::optional<quint32>> &item_values, bool clock_from_computer)
    : what(item)
    , computer_clock(clock_from_computer)
    , values(item_values)
{
    for (const MeterTarget &target : targets) {
        MeterWriteResult meter;
        meter.target = target;
        written.push_back(meter);
    }
    start_turn();
}

// A meter with nothing to write is told so and costs no time on the line.
void MeterWrites::start_turn()
{
    write.reset();
    first_request = true;
    while (turn < int(written.size()) && !values.value(turn)) {
        written[size_t(turn)].outcome = RunOutcome::Kind::no_address;
        ++turn;
    }
    if (turn >= int(written.size())) {
        state = State::done;
        return;
    }
    WriteValues item_values;
    item_values[size_t(what)] = *values.at(turn);
    write.emplace(written[size_t(turn)].target, item_values, computer_clock);
}

ExchangeRequest MeterWrites::next_request()
{
    ExchangeRequest request = write->next_request();
    written[size_t(turn)].value = write->item_value(what);
    written[size_t(turn)].sent = true;
    request.new_meter = first_request;
    first_request = false;
    return request;
}

void MeterWrites::conclude(const ExchangeOutcome &outcome)
{
    if (finished())
        return;
    last = turn;
    MeterWriteResult &meter = written[size_t(turn)];
    const RunOutcome ended = run_outcome(outcome);
    if (ended.ends_run()) {
        meter.outcome = ended;
        state = ended.kind == RunOutcome::Kind::stopped ? State::stopped : State::port_lost;
        write.reset();
        return;
    }
    write->conclude(outcome);
    if (!write->finished())
        return;
    const WriteItemResult result = write->item_result(what);
    meter.outcome = result.outcome;
    ++turn;
    start_turn();
}

int MeterWrites::confirmed_count() const
{
    int count = 0;
    for (const MeterWriteResult &meter : written)
        count += meter.outcome.ok() ? 1 : 0;
    return count;
}

MeterWrites address_assignment(const QVector<SerialBytes> &serials, const QVector<int> &addresses)
{
    QVector<MeterTarget> targets;
    QVector<std::optional<quint32>> values;
    for (int i = 0; i < serials.size(); ++i) {
        MeterTarget target;
        target.by_serial = true;
        target.serial = serials.at(i);
        targets.append(target);
        const int address = addresses.value(i);
        values.append(address > 0 ? std::optional<quint32>(quint32(address)) : std::nullopt);
    }
    return MeterWrites(targets, write_item::address, values);
}

} // namespace scan
