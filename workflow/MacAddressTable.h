#pragma once

#include <array>
#include <cstdint>
#include <string>

// Six bytes in transmission order.
using MacAddress = std::array<std::uint8_t, 6>;

inline constexpr const char* kMacTableFileName = "sn_mac.txt";

// Looks up the serial number in the table "sn_mac.txt" of directory. Each line holds a serial
// number and a MAC address separated by commas (runs of commas count as one, leading commas are
// skipped, further fields are ignored), both trimmed of white space. The address is six
// hexadecimal numbers separated by ":" or "." of which only the low byte counts. The first line
// with the serial number decides. Sets address to zeros first; true only when that line gave six
// numbers. An empty serial number is never looked up.
bool LookupMacAddress(const std::string& directory, const std::string& serialNumber,
                      MacAddress& address);

// A module that lost the device-specific half of its address reports its last three bytes as 0.
bool MacAddressLost(const MacAddress& address);

// The MAC address can be written by firmware 1.40 or later; the version is read as decimal
// major and minor numbers (a missing or unreadable part counts as 0).
bool FirmwareSupportsMacRepair(const std::string& firmwareVersion);
