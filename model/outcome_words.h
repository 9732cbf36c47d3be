#pragma once

// The operator's words for what came of a run: one text per outcome, the same
// in the main window's status line, the line table, the register window, the
// watch, the search, commissioning and the collector's output. A window that
// adds something of its own (a port name, a count of missed polls) adds it
// around these words.

#include "link/line_place.h"
#include "link/run_outcome.h"
#include "meter/write.h"

#include <QString>

// Empty while the outcome is pending.
QString outcome_words(const RunOutcome &outcome);

// A clock set and read back: "Время установлено"; otherwise the outcome's words.
QString clock_setting_words(const RunOutcome &outcome);

// A write confirmed: "Записано", and on a line of its own what the next
// exchange with the meter needs (`next_exchange`, when there is something);
// otherwise the outcome's words.
QString write_words(const RunOutcome &outcome, const QString &next_exchange = QString());

// What the next exchange with the meter needs once it takes a new address,
// rate or parity (`item` of the write block := `value`), in the words of the
// port settings window: "адрес 5 в поле адреса"; empty for any other item.
QString next_exchange_text(int item, quint32 value);
// A write item's result in words: write_words() with what the next exchange needs.
QString write_words(const WriteItemResult &result, int item);

// Why a line did not open, with what to check: a serial port "COM3: Порт не
// открыт", a serial device server why it was not reached; `connect_ms`: how
// long the connection was given.
QString line_failure_words(LineFailure why, const LinePlace &place, int connect_ms);
