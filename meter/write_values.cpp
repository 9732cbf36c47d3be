#include "meter/write_values.h"

#include <QStringList>
#include <limits>

quint16 write_item_register(int item)
{
    static const quint16 registers[write_item::count] = {0x0300, 0x0301, 0x0302, 0x0303, 0x1000};
    return registers[qBound(0, item, write_item::count - 1)];
}

QByteArray write_item_request(const MeterTarget &target, int item, quint32 value)
{
    if (item == write_item::clock)
        return modbus::write_two_registers_request(target, write_item_register(item), value);
    return modbus::write_register_request(target, write_item_register(item), quint16(value));
}

std::optional<quint16> parse_save_date(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok || value < 0 || value > 0xFFFF)
        return std::nullopt;
    return quint16(value);
}

std::optional<QDateTime> parse_meter_time(const QString &text)
{
    // Date and time apart, so that a wall time that the local zone skips at a
    // daylight-saving change still parses.
    const QStringList parts = text.trimmed().split(QLatin1Char(' '));
    if (parts.size() != 2)
        return std::nullopt;
    const QDate date = QDate::fromString(parts[0], QStringLiteral("dd.MM.yyyy"));
    const QTime time = QTime::fromString(parts[1], QStringLiteral("hh:mm:ss"));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time, Qt::UTC);
}

QDateTime wall_time_as_utc(const QDateTime &local)
{
    return QDateTime(local.date(), local.time(), Qt::UTC);
}

quint32 meter_clock_value(const QDateTime &wall_time_utc)
{
    return quint32(wall_time_utc.toSecsSinceEpoch());
}

QDateTime meter_clock_first()
{
    return QDateTime::fromSecsSinceEpoch(0, Qt::UTC);
}

QDateTime meter_clock_last()
{
    return QDateTime::fromSecsSinceEpoch(std::numeric_limits<qint32>::max(), Qt::UTC);
}

bool meter_clock_holds(const QDateTime &wall_time_utc)
{
    return wall_time_utc >= meter_clock_first() && wall_time_utc <= meter_clock_last();
}
