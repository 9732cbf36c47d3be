# The widget-free core: frames, CRC, answer checking, decoders, file parsing,
# and the sequences as engines that say which request comes next. Shared by
# the program's build and the fuzz harnesses' (fuzz/CMakeLists.txt).
set(meter_core_sources
    link/crc.cpp
    link/frames.cpp
    link/answer_check.cpp
    link/serial_number.cpp
    link/line_timing.cpp
    link/hex_line.cpp
    config/atomic_file.cpp
    config/port_settings.cpp
    config/remembered_addressing.cpp
    config/side_settings.cpp
    config/network_settings.cpp
    model/outcome_words.cpp
    meter/model_table.cpp
    meter/register_map.cpp
    meter/write_values.cpp
    meter/poll.cpp
    meter/write.cpp
    meter/exchange_rules.cpp
    meter/register_access.cpp
    meter/watch.cpp
    archive/records.cpp
    archive/archive_geometry.cpp
    archive/archive_export.cpp
    archive/archive_chart_data.cpp
    archive/archive_reader.cpp
    archive/archive_summary.cpp
    scan/scan_plan.cpp
    scan/line_scan.cpp
    scan/line_readout.cpp
    scan/settings_search.cpp
    scan/commission.cpp
)

# The quantities as the operator sees them: one table of what each is and one
# formatter over it. Above the core: the core hands over raw values.
set(meter_text_sources
    model/quantity.cpp
    model/archive_texts.cpp
    model/scan_rows.cpp
)
