#include "model/scan_rows.h"

#include "meter/model_table.h"
#include "meter/register_map.h"
#include "model/quantity.h"

namespace scan {

QString Rows::addressing_serial(const QByteArray &d)
{
    return quantity::serial_number(d);
}

MeterRow Rows::row(const MeterIdentity &meter, const QStringList &model_table)
{
    const QString missing = meter.complete ? QStringLiteral("?") : QString();
    const auto word = [&meter](int field) { return word_at(meter.data[size_t(field)], 0); };
    const auto has
        = [&meter](int field) { return meter.data[size_t(field)].size() >= 2 * identification_read(field).count; };

    MeterRow row;
    row.address = QString::number(meter.address);
    if (meter.garbled) {
        const QString unknown = QStringLiteral("?");
        row.serial_number = row.protocol_version = row.software_version = row.device_type = unknown;
        row.model = tr("ответ не распознан");
        return row;
    }
    row.protocol_version = has(protocol_version) ? QString::number(word(protocol_version)) : missing;
    row.software_version = has(software_version) ? quantity::software_version_text(
                               quint8(meter.data[software_version][0]), quint8(meter.data[software_version][1]))
                                                 : missing;
    if (has(model_code)) {
        const quint16 code = word(model_code);
        row.model = quantity::model_name(code, lookup_model(model_table, code));
    } else {
        row.model = missing;
    }
    if (has(serial_number)) {
        row.serial_number = quantity::serial_number(meter.data[serial_number]);
        row.addressing_serial = addressing_serial(meter.data[serial_number]);
    } else {
        row.serial_number = missing;
    }
    row.device_type = has(device_type) ? quantity::device_type_text(word(device_type)) : missing;
    return row;
}

} // namespace scan
