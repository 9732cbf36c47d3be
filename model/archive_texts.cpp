#include "model/archive_texts.h"

#include "archive/archive_export.h"

#include <QCoreApplication>

namespace arc {

namespace {

constexpr int reverse_flow_version = 3;

} // namespace

QString meter_caption(const QString &serial, const MeterTarget &target, const QString &model)
{
    QStringList parts;
    if (target.by_serial)
        parts << quantity::addressing(target);
    else if (!serial.isEmpty())
        parts << QCoreApplication::translate("quantity", "с/н %1").arg(serial);
    if (!target.by_serial)
        parts << quantity::addressing(target);
    if (!model.isEmpty())
        parts << model;
    return parts.join(QLatin1String(", "));
}

QString meter_line(const QString &caption, const QDateTime &read_at)
{
    if (!read_at.isValid())
        return caption;
    return QCoreApplication::translate("archive", "%1; время чтения %2").arg(caption, quantity::computer_time(read_at));
}

QString window_title(const QString &caption, const QDateTime &read_at)
{
    if (caption.isEmpty())
        return QCoreApplication::translate("archive", "Архив");
    return QCoreApplication::translate("archive", "Архив: %1").arg(meter_line(caption, read_at));
}

QStringList column_titles(const VolumeScale &scale)
{
    return {QCoreApplication::translate("archive", "Номер записи"), QCoreApplication::translate("archive", "Время"),
            quantity::volume_caption(QCoreApplication::translate("archive", "Показания"), scale),
            QCoreApplication::translate("archive", "Событие"),
            quantity::volume_caption(QCoreApplication::translate("archive", "Пок. обр. потока"), scale)};
}

QStringList record_row(int k, const QByteArray &record, int version, const VolumeScale &scale)
{
    return record_row(k, decode_record(record, version), version, scale);
}

QStringList record_row(int k, const Record &r, int version, const VolumeScale &scale)
{
    const QString none = QStringLiteral("--");
    if (r.empty())
        return {QString::number(k), none, none, none, none};
    return {QString::number(k), quantity::clock(r.time), quantity::archived_volume(r.reading, scale),
            QString::number(r.event), version == reverse_flow_version ? quantity::volume(r.reverse_flow, scale) : none};
}

QByteArray archive_csv(const CsvHeader &header, const QList<CsvSection> &sections)
{
    const auto line = [](const QStringList &fields) {
        QStringList quoted;
        for (const QString &field : fields)
            quoted << csv_field(field);
        return csv_line(quoted);
    };
    const QString read_at
        = header.read_at.isValid() ? header.read_at.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")) : QString();

    QString text;
    text += csv_line({csv_field(QCoreApplication::translate("archive", "Серийный номер")), csv_serial(header.serial)});
    text += line({QCoreApplication::translate("archive", "Модель"), header.model});
    text += line({QCoreApplication::translate("archive", "Версия протокола"), header.version});
    text += line({QCoreApplication::translate("archive", "Время чтения"), read_at});
    text += QLatin1String("\r\n");
    for (const CsvSection &section : sections) {
        text += line({section.name});
        text += csv_rows(column_titles(header.scale), section.rows);
        text += QLatin1String("\r\n");
    }
    return csv_file(text);
}

} // namespace arc
