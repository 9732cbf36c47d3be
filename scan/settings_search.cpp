#include "scan/settings_search.h"

#include "link/frames.h"

#include <algorithm>

namespace scan {

const QVector<int> &meter_rates()
{
    static const QVector<int> rates = {1200, 2400, 4800, 9600};
    return rates;
}

QVector<LineSetting> settings_to_try(const QVector<int> &rates, const QVector<int> &parities)
{
    QVector<LineSetting> settings;
    for (const int rate : rates) {
        if (!meter_rates().contains(rate))
            continue;
        for (const int parity : parities) {
            const LineSetting setting{rate, parity};
            if (parity >= 0 && parity <= 2 && !settings.contains(setting))
                settings.append(setting);
        }
    }
    return settings;
}

LineTiming timing_of(const LineSetting &setting, int stop_bits)
{
    LineTiming timing;
    timing.baud_rate = setting.baud_rate;
    timing.parity = setting.parity;
    timing.stop_bits = stop_bits == 2 ? 2 : 1;
    return timing;
}

qint64 search_ms(const QVector<LineSetting> &settings, int stop_bits, const AddressRange &range, int wait_ms)
{
    const Read &probe = identification_read(protocol_version);
    const int request_bytes = modbus::read_registers_request(MeterTarget{}, probe.reg, probe.count).size();
    const int answer_bytes = modbus::read_answer_length(false, probe.count);
    qint64 total = 0;
    for (const LineSetting &setting : settings)
        total += qint64(range.size())
            * probe_wait_ms(timing_of(setting, stop_bits), request_bytes, answer_bytes, wait_ms);
    return total;
}

void FoundMeters::take(int part, int index, const LineSetting &setting, const MeterIdentity &meter)
{
    for (Heard &h : heard) {
        if (h.part == part && h.index == index) {
            h.found.meter = meter;
            return;
        }
    }
    heard.append({part, index, {meter, setting}});
}

QVector<FoundMeter> FoundMeters::list() const
{
    QVector<FoundMeter> shown;
    for (const Heard &h : heard) {
        const MeterIdentity &meter = h.found.meter;
        const auto same_address = [&meter](const FoundMeter &f) { return f.meter.address == meter.address; };
        const auto at = std::find_if(shown.begin(), shown.end(), [&](const FoundMeter &f) {
            // Serial numbers tell two meters on one address (at two rates) apart.
            return same_address(f)
                && (f.meter.garbled || meter.garbled || f.meter.data[serial_number] == meter.data[serial_number]);
        });
        if (at == shown.end())
            shown.append(h.found);
        else if (at->meter.garbled && !meter.garbled)
            *at = h.found; // the clean answer replaces the garbled one
    }
    std::stable_sort(shown.begin(), shown.end(),
                     [](const FoundMeter &a, const FoundMeter &b) { return a.meter.address < b.meter.address; });
    return shown;
}

SettingsSearch::SettingsSearch(const Settings &base, const QVector<LineSetting> &settings, int stop)
    : config(base)
    , tried(settings)
    , stop_bits(stop)
{
    if (tried.isEmpty())
        tried.append(LineSetting{base.line.baud_rate, base.line.parity});
    config.line = timing_of(tried.first(), stop_bits);
    current.emplace(config);
}

int SettingsSearch::addresses_done() const
{
    const int in_part
        = current->finished() ? config.range.size() : current->exchange().address - config.range.first + 1;
    return part_index * config.range.size() + in_part;
}

void SettingsSearch::take_step()
{
    const int index = current->last_step().meter;
    if (index >= 0)
        meters.take(part_index, index, setting(), current->meters().at(index));
}

bool SettingsSearch::next_part()
{
    if (!current->finished() || current->stopped() || current->port_lost() || part_index + 1 >= tried.size())
        return false;
    ++part_index;
    config.line = timing_of(tried.at(part_index), stop_bits);
    current.emplace(config);
    return true;
}

} // namespace scan
