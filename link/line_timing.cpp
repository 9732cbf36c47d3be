#include "link/line_timing.h"

#include <algorithm>
#include <cmath>

int LineTiming::bits_per_character() const
{
    return 1 + 8 + (parity != 0 ? 1 : 0) + (stop_bits == 2 ? 2 : 1);
}

double LineTiming::character_ms() const
{
    return 1000.0 * bits_per_character() / std::max(baud_rate, 1);
}

double LineTiming::frame_ms(int bytes) const
{
    return bytes * character_ms();
}

double LineTiming::inter_frame_ms() const
{
    return 3.5 * character_ms();
}

int LineTiming::answer_wait_ms(int period_ms, int request_bytes, int answer_bytes) const
{
    const int line_ms = int(std::ceil(frame_ms(request_bytes + answer_bytes) + inter_frame_ms()));
    return std::max(period_ms, line_ms + turnaround_allowance_ms) + std::max(round_trip_ms, 0);
}
