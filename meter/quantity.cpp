#include "meter/quantity.h"

#include <QCoreApplication>
#include <QDateTime>

VolumeScale VolumeScale::of(const ModelLookup &model)
{
    VolumeScale scale;
    if (model.end != ModelLookup::End::matched)
        return scale;
    scale.factor = model.factor;
    scale.decimals = model.factor_has_point ? model.factor_decimals : 0;
    return scale;
}

namespace quantity {

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
    if (!scale.known())
        return QString::number(units);
    return QString::number(double(units) * scale.factor, 'f', scale.decimals);
}

QString current_volume(qint32 units, const VolumeScale &scale)
{
    return volume(qMax(units, 0), scale);
}

QString archived_volume(qint32 units, const VolumeScale &scale)
{
    return units < 0 ? QStringLiteral("--") : volume(units, scale);
}

QString with_unit(const QString &value, const VolumeScale &scale)
{
    return value.isEmpty() ? value : value + QLatin1Char(' ') + volume_unit(scale);
}

QString flow_rate(double per_hour)
{
    return QString::number(per_hour, 'f', 3);
}

QString clock(qint32 seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC, 0).toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
}

QString archived_clock(qint32 seconds)
{
    return seconds < 0 ? QStringLiteral("--") : clock(seconds);
}

QString offset(qint64 seconds)
{
    return seconds > 0 ? QLatin1Char('+') + QString::number(seconds) : QString::number(seconds);
}

QString event(quint16 code)
{
    return QString::number(code);
}

QString archived_event(quint16 code)
{
    return code == 7 ? QStringLiteral("--") : QString::number(code);
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

} // namespace quantity
