#include "model/archive_rows.h"

#include "model/quantity.h"

#include <QCoreApplication>

namespace arc {

namespace {

constexpr int reverse_flow_version = 3;

} // namespace

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
    if (r.event == event_empty)
        return {QString::number(k), none, none, none, none};
    // The forward reading never shows below 0; reverse flow keeps its sign.
    return {QString::number(k), quantity::clock(r.time), quantity::volume(qMax(r.reading, 0), scale),
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
    const QString read_at = quantity::computer_time(header.read_at);

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
