#pragma once

// The search for meters over several exchange rates and parities: which
// settings are tried, how long that takes, and one list of what answered,
// each meter at the setting it answered cleanly at.

#include "scan/line_scan.h"

#include <QVector>

#include <optional>

namespace scan {

struct LineSetting
{
    int baud_rate = 9600;
    int parity = 0; // 0 none, 1 odd, 2 even

    bool operator==(const LineSetting &other) const { return baud_rate == other.baud_rate && parity == other.parity; }
};

// The rates a meter can be set to, slowest first.
const QVector<int> &meter_rates();

// Every rate with every parity, in the order given, each pair once; rates a
// meter cannot have and unknown parities are left out. Stop bits are not
// tried: a receiver checks the first stop bit only, so a meter set to two
// is heard at one, and the other way round.
QVector<LineSetting> settings_to_try(const QVector<int> &rates, const QVector<int> &parities);

// The line time of one setting, with the configured stop bits.
LineTiming timing_of(const LineSetting &setting, int stop_bits);

// How long a search takes when no address answers: at every setting, every
// address waits its probe's time. Each meter found adds its reads.
qint64 search_ms(const QVector<LineSetting> &settings, int stop_bits, const AddressRange &range, int wait_ms);

struct FoundMeter
{
    MeterIdentity meter;
    LineSetting setting;
};

// What the searches at each setting found, as one list. A device heard
// cleanly at one setting is listed there only: its garbled answers at other
// settings (another parity at its rate) are not listed. The same meter
// answering cleanly at two settings (it does not check parity) is listed at
// the first. A device that never answered cleanly is listed once, garbled.
class FoundMeters
{
public:
    // The identification of meter `index` of the search at setting `part`
    // so far; called again as it fills in.
    void take(int part, int index, const LineSetting &setting, const MeterIdentity &meter);
    // By address, then in the order heard.
    QVector<FoundMeter> list() const;

private:
    struct Heard
    {
        int part = 0;
        int index = 0;
        FoundMeter found;
    };
    QVector<Heard> heard;
};

// The searches one after another, one LineScan per setting. Between two, the
// port is set to the next setting by whoever runs them.
class SettingsSearch
{
public:
    SettingsSearch(const Settings &base, const QVector<LineSetting> &settings, int stop_bits);

    LineScan &part() { return *current; }
    const LineScan &part() const { return *current; }
    const LineSetting &setting() const { return tried.at(part_index); }
    int part_number() const { return part_index; }
    int part_count() const { return tried.size(); }
    // Addresses asked so far over every setting, of addresses_total().
    int addresses_done() const;
    int addresses_total() const { return tried.size() * config.range.size(); }

    // Takes what the current search's last exchange changed.
    void take_step();
    // Once the current search has finished: moves to the next setting,
    // unless it was stopped or lost the port or it was the last.
    bool next_part();

    const FoundMeters &found() const { return meters; }

private:
    Settings config;
    QVector<LineSetting> tried;
    int stop_bits = 1;
    int part_index = 0;
    std::optional<LineScan> current;
    FoundMeters meters;
};

} // namespace scan
