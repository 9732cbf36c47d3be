#pragma once

// Time on an RS-485 line at the configured baud rate, parity and stop bits:
// one character is a start bit, 8 data bits, the parity bit if any and the
// stop bits.
struct LineTiming
{
    int baud_rate = 9600;
    int parity = 0; // 0 none, 1 odd, 2 even
    int stop_bits = 1;
    // A line behind a serial device server: the server keeps the silence
    // between frames on its line, and every answer also crosses the network.
    bool framed_by_server = false;
    int round_trip_ms = 0; // the network's, measured at connect

    int bits_per_character() const;
    double character_ms() const;
    double frame_ms(int bytes) const;

    // Modbus RTU frames are separated by at least 3.5 characters of silence.
    double inter_frame_ms() const;

    // The longest wait for an answer: the sequence's period, but never less
    // than the line needs to carry the request and its expected answer, plus
    // the meter's turnaround; behind a server, the network's round trip on top.
    int answer_wait_ms(int period_ms, int request_bytes, int answer_bytes) const;

    static constexpr int turnaround_allowance_ms = 200;
};
