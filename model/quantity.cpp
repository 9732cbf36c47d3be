#include "model/quantity.h"

#include <QCoreApplication>

namespace quantity {

namespace {

// One row per quantity, in the order of Kind.
const Meta table[] = {
    // kind, caption, unit, form, decimals, no value, never below 0
    {Kind::clock, QT_TRANSLATE_NOOP("quantity", "Время"), Unit::none, Form::date, 0, NoValue::never, false},
    {Kind::volume, QT_TRANSLATE_NOOP("quantity", "Показания"), Unit::volume, Form::number, -1, NoValue::never, true},
    {Kind::event, QT_TRANSLATE_NOOP("quantity", "Событие"), Unit::none, Form::number, 0, NoValue::never, false},
    {Kind::reverse_volume, QT_TRANSLATE_NOOP("quantity", "Пок. обр. потока"), Unit::volume, Form::number, -1,
     NoValue::never, true},
    {Kind::archived_time, QT_TRANSLATE_NOOP("quantity", "Время"), Unit::none, Form::date, 0, NoValue::negative, false},
    {Kind::archived_volume, QT_TRANSLATE_NOOP("quantity", "Показания"), Unit::volume, Form::number, -1,
     NoValue::negative, false},
    {Kind::archived_event, QT_TRANSLATE_NOOP("quantity", "Событие"), Unit::none, Form::number, 0, NoValue::code_7,
     false},
    {Kind::archived_reverse, QT_TRANSLATE_NOOP("quantity", "Пок. обр. потока"), Unit::volume, Form::number, -1,
     NoValue::negative, false},
    {Kind::record_reverse, QT_TRANSLATE_NOOP("quantity", "Пок. обр. потока"), Unit::volume, Form::number, -1,
     NoValue::never, false},
    {Kind::clock_offset, QT_TRANSLATE_NOOP("quantity", "Расхождение часов"), Unit::seconds, Form::signed_number, 0,
     NoValue::never, false},
    {Kind::flow, QT_TRANSLATE_NOOP("quantity", "Расход"), Unit::flow, Form::number, 3, NoValue::never, false},
};

QString hex(unsigned value)
{
    return QString::number(value, 16);
}

} // namespace

const Meta &meta(Kind kind)
{
    static_assert(sizeof table / sizeof table[0] == int(Kind::flow) + 1, "a row for every quantity");
    Q_ASSERT(table[int(kind)].kind == kind);
    return table[int(kind)];
}

QString unit(Kind kind, const VolumeScale &scale)
{
    switch (meta(kind).unit) {
    case Unit::volume: return volume_unit(scale);
    case Unit::flow: return flow_unit(scale);
    case Unit::seconds: return QCoreApplication::translate("quantity", "с");
    case Unit::none: break;
    }
    return QString();
}

QString caption(Kind kind, const VolumeScale &scale)
{
    const QString name = QCoreApplication::translate("quantity", meta(kind).caption);
    const QString shown_unit = unit(kind, scale);
    return shown_unit.isEmpty() ? name : name + QStringLiteral(", ") + shown_unit;
}

bool holds_value(Kind kind, qint64 raw)
{
    switch (meta(kind).no_value) {
    case NoValue::negative: return raw >= 0;
    case NoValue::code_7: return raw != 7;
    case NoValue::never: break;
    }
    return true;
}

QString text(Kind kind, qint64 raw, const VolumeScale &scale)
{
    const Meta &m = meta(kind);
    if (!holds_value(kind, raw))
        return QStringLiteral("--");
    if (m.never_below_0)
        raw = qMax<qint64>(raw, 0);
    switch (m.form) {
    case Form::date: return QDateTime::fromSecsSinceEpoch(qint32(raw), Qt::UTC, 0).toString(clock_format());
    case Form::signed_number: return raw > 0 ? QLatin1Char('+') + QString::number(raw) : QString::number(raw);
    case Form::number: break;
    }
    switch (m.unit) {
    case Unit::volume:
        if (!scale.known())
            return QString::number(raw);
        return QString::number(double(raw) * scale.factor, 'f', m.decimals < 0 ? scale.decimals : m.decimals);
    case Unit::flow: return QString::number(double(raw), 'f', m.decimals);
    case Unit::seconds:
    case Unit::none: break;
    }
    return QString::number(raw);
}

QString text(Kind kind, const std::optional<qint64> &raw, const VolumeScale &scale)
{
    return raw ? text(kind, *raw, scale) : QString();
}

QString volume_unit(const VolumeScale &scale)
{
    return scale.known() ? QCoreApplication::translate("quantity", "м3")
                         : QCoreApplication::translate("quantity", "ед.");
}

QString flow_unit(const VolumeScale &scale)
{
    return scale.known() ? QCoreApplication::translate("quantity", "м3/ч")
                         : QCoreApplication::translate("quantity", "ед./ч");
}

QString volume_caption(const QString &caption, const VolumeScale &scale)
{
    return caption + QStringLiteral(", ") + volume_unit(scale);
}

QString volume(qint64 units, const VolumeScale &scale)
{
    return text(Kind::record_reverse, units, scale);
}

QString current_volume(qint32 units, const VolumeScale &scale)
{
    return text(Kind::volume, units, scale);
}

QString archived_volume(qint32 units, const VolumeScale &scale)
{
    return text(Kind::archived_volume, units, scale);
}

QString with_unit(const QString &value, const VolumeScale &scale)
{
    return value.isEmpty() ? value : value + QLatin1Char(' ') + volume_unit(scale);
}

QString flow_rate(double per_hour)
{
    return QString::number(per_hour, 'f', meta(Kind::flow).decimals);
}

QString clock(qint32 seconds)
{
    return text(Kind::clock, seconds);
}

QString archived_clock(qint32 seconds)
{
    return text(Kind::archived_time, seconds);
}

QString offset(qint64 seconds)
{
    return text(Kind::clock_offset, seconds);
}

QString event(quint16 code)
{
    return text(Kind::event, code);
}

QString archived_event(quint16 code)
{
    return text(Kind::archived_event, code);
}

QString serial_number(const QByteArray &data)
{
    if (data.size() < 6)
        return QString();
    QString text;
    // Every byte with two digits: the text is typed back to address the meter.
    for (int i : {4, 5, 2, 3, 0, 1})
        text += QStringLiteral("%1").arg(quint8(data[i]), 2, 16, QLatin1Char('0'));
    return text;
}

QString serial_number(const SerialBytes &serial)
{
    QString text;
    for (quint8 byte : serial)
        text += QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0'));
    return text;
}

QString software_version_text(quint8 major, quint8 minor)
{
    return hex(major) + QLatin1Char('.') + hex(minor).rightJustified(2, QLatin1Char('0'));
}

QString software_identifier_text(quint8 high, quint8 low)
{
    return hex(high) + hex(low);
}

QString device_type_text(quint16 type)
{
    QString name;
    switch (type) {
    case 6: name = QCoreApplication::translate("meter", "хол. воды"); break;
    case 7: name = QCoreApplication::translate("meter", "вода"); break;
    case 16: name = QCoreApplication::translate("meter", "гор. вод"); break;
    default: break;
    }
    return QString::number(type) + QLatin1Char(' ') + name;
}

QString build_text(const QByteArray &data, int offset)
{
    return data.mid(offset, 4).toHex();
}

QString model_text(quint16 code, const QString &name)
{
    return hex(code) + QLatin1Char(' ') + name;
}

QString number(const std::optional<quint16> &value)
{
    return value ? QString::number(*value) : QString();
}

QString software_version(const std::optional<quint16> &word)
{
    return word ? software_version_text(quint8(*word >> 8), quint8(*word)) : QString();
}

QString software_id(const std::optional<quint16> &word)
{
    return word ? software_identifier_text(quint8(*word >> 8), quint8(*word)) : QString();
}

QString k_number(const std::optional<quint16> &word)
{
    return word ? hex(*word) : QString();
}

QString device_type(const std::optional<quint16> &type)
{
    return type ? device_type_text(*type) : QString();
}

QString serial_number(const std::optional<SerialBytes> &serial)
{
    return serial ? serial_number(*serial) : QString();
}

QString build(const std::optional<QByteArray> &bytes)
{
    return bytes ? build_text(*bytes, 0) : QString();
}

QString model_name(quint16 code, const ModelLookup &model, bool searched_in_vain)
{
    const QString name = model.end == ModelLookup::End::matched ? model.name
        : searched_in_vain && model.end == ModelLookup::End::not_found
        ? QCoreApplication::translate("quantity", "неизвестная-")
        : QCoreApplication::translate("quantity", "неизвестная");
    return hex(code) + QLatin1Char(' ') + name;
}

QString model_name(quint16 code, const QString &name)
{
    return model_text(code, name.isEmpty() ? QCoreApplication::translate("quantity", "неизвестная") : name);
}

QString addressing(const MeterTarget &target)
{
    return target.by_serial ? QCoreApplication::translate("quantity", "с/н %1").arg(serial_number(target.serial))
                            : QCoreApplication::translate("quantity", "адрес %1").arg(target.address);
}

QString clock_format()
{
    return QStringLiteral("dd.MM.yyyy hh:mm:ss");
}

QString computer_time(const QDateTime &at)
{
    return at.isValid() ? at.toString(clock_format()) : QString();
}

} // namespace quantity
