#include "scan/scan_plan.h"
#include "meter/quantity.h"

#include "meter/model_table.h"
#include "meter/register_map.h"

#include <algorithm>
#include <cmath>

namespace scan {

std::optional<AddressRange> address_range(int first, int last)
{
    if (first < lowest_address || last > highest_address || first > last)
        return std::nullopt;
    return AddressRange{first, last};
}

int probe_wait_ms(const LineTiming &line, int request_bytes, int answer_bytes, int operator_wait_ms)
{
    const int line_ms = int(std::ceil(line.frame_ms(request_bytes + answer_bytes) + line.inter_frame_ms()));
    return line_ms + std::max(operator_wait_ms, 0) + std::max(line.round_trip_ms, 0);
}

int meter_wait_ms(const LineTiming &line, int request_bytes, int answer_bytes, int fail_period_ms)
{
    return line.answer_wait_ms(fail_period_ms, request_bytes, answer_bytes);
}

const Read &identification_read(int field)
{
    static const Read reads[field_count] = {
        {0x0009, 1}, // protocol version
        {0x0000, 1}, // software version
        {0x0008, 1}, // model code
        {0x0004, 3}, // serial number
        {0x0304, 1}, // device type
    };
    return reads[std::clamp(field, 0, field_count - 1)];
}

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
    row.software_version = has(software_version)
        ? software_version_text(quint8(meter.data[software_version][0]), quint8(meter.data[software_version][1]))
        : missing;
    if (has(model_code)) {
        const quint16 code = word(model_code);
        const ModelLookup model = lookup_model(model_table, code);
        row.model = model_text(code, model.end == ModelLookup::End::matched ? model.name : tr("неизвестная"));
    } else {
        row.model = missing;
    }
    if (has(serial_number)) {
        row.serial_number = quantity::serial_number(meter.data[serial_number]);
        row.addressing_serial = addressing_serial(meter.data[serial_number]);
    } else {
        row.serial_number = missing;
    }
    row.device_type = has(device_type) ? device_type_text(word(device_type)) : missing;
    return row;
}

} // namespace scan
