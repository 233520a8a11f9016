#pragma once

#include "sim/ModuleDevice.h"
#include "sim/SimHostOptions.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

class SimTrace;

// What the host device did; a copy is handed to tests.
struct HostState {
    int reboots = 0;                             // reboot requests carried out
    int moduleRestarts = 0;                      // of them, those that restarted the module too
    std::vector<std::array<uint8_t, 14>> blocks; // written blocks, oldest first
};

// The host device behind the module: it adds its family's command set to the module's
// application dispatch table. Requests of another family's command set find no entry there and
// are refused by the module with acknowledgement code 3.
//
// BRN ("QB"): 56 read parameter (1 serial number, 11 firmware version, 37 type byte, others
// read as zeros; answered with code 55), B1 and B4 read word (answered with code B1), B3 and
// B5 write a 14-byte block, 80 reboot (unacknowledged; parameter 00 restarts the module with
// the host, 01 reboots the host alone).
// Wenlo ("RS"): 7F serial number, 7E firmware version, 7B type text, B1 read word, B2 write a
// 14-byte block, 48 status (answered with code 46 and two bytes).
// FND ("MI"): 7F serial number, 7E firmware version.
class HostDevice {
public:
    HostDevice(const SimHostOptions& options, SimTrace& trace);
    HostDevice(const HostDevice&) = delete;
    HostDevice& operator=(const HostDevice&) = delete;

    // Registers the family's commands with the module (before the server starts).
    void Install(ModuleDevice& device);

    HostState State() const;

private:
    void InstallBrn(ModuleDevice& device);
    void InstallWenlo(ModuleDevice& device);
    void InstallFnd(ModuleDevice& device);
    std::vector<uint8_t> BrnParameter(uint16_t id) const;
    // Answers a bare request with fixed data.
    static ModuleDevice::UecpCommand Fixed(uint8_t set0, uint8_t set1, uint8_t code,
                                           std::vector<uint8_t> bytes);
    // Answers a bare request with the word, followed by extra zero bytes, under code B1.
    ModuleDevice::UecpCommand Word(uint8_t set0, uint8_t set1, size_t extra);
    // Stores a 14-byte block; its first two bytes become the word.
    ModuleDevice::UecpCommand Block();

    const SimHostOptions options_;
    SimTrace& trace_;
    mutable std::mutex mutex_;
    HostState state_;
    uint16_t word_;
};

// text as exactly size bytes: cut, or padded with zero bytes.
std::vector<uint8_t> FixedText(const std::string& text, size_t size);
