#pragma once

// What the main window shows for the stand-in's built-in meter (see
// sim/default.meter) with the models_counter.csv of the repository:
// model 0x0C15, factor 0.001.

struct ShownField
{
    const char *field;
    const char *text;
};

inline const ShownField default_meter_fields[] = {
    {"ver_PO_line", "1.05"},
    {"ID_PO_line", "125"},
    {"K_line", "3a7c"},
    {"border_line", "150"},
    {"serial_num_line", "0012345678ab"},
    {"type_line", "6 хол. воды"},
    {"adr_line_w", "1"},
    {"date_line_w", "1"},
    {"real_time_line", "30.01.2024 15:42:10"},
    {"real_state_lin", "12.346"},
    {"real_event_line", "0"},
    {"time_houer_line", "30.01.2024 15:00:00"},
    {"state_houer_line", "12.345"},
    {"event_houer_line", "0"},
    {"time_sut_line", "30.01.2024 00:00:00"},
    {"state_sut_line", "12.300"},
    {"event_sut_line", "0"},
    {"time_jurnal_line", "01.01.2024 00:00:00"},
    {"state_jurnal_line", "12.000"},
    {"event_jurnal_line", "0"},
};

// Read only from protocol version 3 meters.
inline const ShownField default_meter_reverse_flow[] = {
    {"real_obr_line", "0.040"},
    {"obr_houer_line", "0.040"},
    {"obr_sut_line", "0.040"},
    {"obr_jurnal_line", "0.038"},
};

inline const char default_meter_model[] = "c15 СВК-15 RS485";
