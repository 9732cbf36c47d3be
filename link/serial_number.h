#pragma once

#include "link/frames.h"

#include <QString>
#include <optional>

// Packs the serial number typed by the operator: hexadecimal digit pairs
// aligned to the right end of b1..b6 (b6 takes the last two digits, an odd
// first digit stands alone), bytes not reached by the text are 0.
// Empty text, more than 12 characters or a non-hex character: no value.
std::optional<SerialBytes> pack_serial_number(const QString &text);

// A Modbus device address: a whole number 1..247. Anything else (empty,
// letters, 0 = broadcast, above 247) gives no value.
std::optional<quint8> parse_device_address(const QString &text);
