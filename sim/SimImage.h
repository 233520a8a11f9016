#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Facts the simulated module takes from an image it flashes.

// CRC-32 (the zlib/Ethernet one), used for the trace's checksum of flashed bytes.
uint32_t SimCrc32(const uint8_t* data, size_t size);

// The firmware version an application image carries, as five wire characters: the text before
// "NET+WORKS Version %s" (digit, three bytes, digit, three zero bytes, CR, LF), else the text
// twelve bytes after "Version: " when its first and fifth characters are digits.
std::optional<std::string> FindImageVersion(const std::vector<uint8_t>& image);
