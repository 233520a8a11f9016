#pragma once

#include <cstdint>

// CRC-16/GENIBUS of length bytes: polynomial 0x1021, MSB first, initial value 0xFFFF, result
// inverted. 0 for a null or empty input.
uint16_t FrameCrc(const uint8_t* bytes, int length);
