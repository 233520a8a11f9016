#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// Device families a firmware image is built for; the same codes as the host device's family.
enum FirmwareFamily : int {
    kFirmwareFamilyUnknown = 0,
    kFirmwareFamilyBRN = 1,
    kFirmwareFamilyWenlo = 2,
    kFirmwareFamilyFND = 3,
};

// What the run knows about the chosen firmware file.
struct FirmwareFileInfo {
    std::string path;                        // full path; empty while no file is chosen
    std::string version;                     // display version, "???" while unknown
    std::string netOsVersion;                // operating-system version, "???" while unknown
    int deviceType = kFirmwareFamilyUnknown; // FirmwareFamily the image is built for
};

// Plain forward search for pattern in buffer. It tries the start positions 0 up to, but not
// including, length - patternLength, so a pattern that ends exactly at the end of the buffer is
// not found, and a buffer no longer than the pattern finds nothing. An empty pattern finds
// nothing either.
std::optional<std::size_t> FindBytes(const std::uint8_t* buffer, std::size_t length,
                                     const std::uint8_t* pattern, std::size_t patternLength);

// Searches the image bytes for the version, operating-system and device markers. Sets
// info.version (without any file-name suffix), info.netOsVersion and info.deviceType where it
// finds them and leaves them unchanged otherwise. True only when it found the firmware version.
bool InspectFirmwareBytes(const std::uint8_t* bytes, std::size_t length, FirmwareFileInfo& info);

// Reads the file at info.path whole and inspects it. A file that is missing, not a regular file,
// unreadable or too large to hold in memory gives false and leaves info unchanged.
bool InspectFirmwareImage(FirmwareFileInfo& info);
