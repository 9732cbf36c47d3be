#include "scan/scan_plan.h"

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

} // namespace scan
