#pragma once

// One RS-485 line with several devices, as at a riser: meters at 3, 17 and
// 200 (17 a protocol version 2 meter, 200 of a model the table does not
// know), a device at 100 that answers garbage and one at 50 that never answers.
inline const char *const riser = R"(
[meter]
address = 3
serial  = 0012345678AB

[meter]
address = 17
serial  = 00A1B2C3D405
version = 2
software = 0x0203
model = 0x0C16
device_type = 16

[meter]
address = 200
serial  = 0031415926F0
software = 0x0110
model = 0x7777
device_type = 7

[meter]
address = 100
serial  = 0000000000E1
fault = garbage

[meter]
address = 50
serial  = 0000000000E2
fault = silence
)";
