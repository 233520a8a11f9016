#pragma once

#include <cstdint>
#include <string>

// The host device the simulated module sits in.
enum class HostFamily { None, Brn, Wenlo, Fnd };

const char* HostFamilyName(HostFamily family);

struct SimHostOptions {
    // Which command set the host device answers; the others are refused with acknowledgement
    // code 3. None refuses all of them.
    HostFamily family = HostFamily::Brn;
    // Sent as 10 bytes, padded with zero bytes; may itself hold zero bytes.
    std::string serialNumber = "0012345678";
    uint8_t brnType = 0x20;     // BRN type byte (0x20: BRN RDS)
    uint16_t brnVersion = 1234; // BRN firmware version number (1234 reads 1.23.4)
    // Wenlo type text, sent as 10 bytes padded with zero bytes.
    std::string typeName = "RSK Basic";
    // Wenlo and FND firmware version, sent as 5 bytes padded with zero bytes.
    std::string versionText = "2.10a";
    uint16_t word = 0x1234; // what the word requests read until a block is written

    // The module's MAC address has lost its last three bytes (they read as zero until a new
    // address is written).
    bool macLost = false;
    // The module's MAC answer carries the element length (9) as its MFL byte instead of the
    // message length (11), as some module firmware does.
    bool macMflQuirk = false;
};
