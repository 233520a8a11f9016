#pragma once

#include "sim/SimFaultOptions.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

// The module a run meets, before any fault.
enum class SoakScenario {
    Plain,          // application 1.40, loader 2.03: the firmware alone is flashed
    LoaderUpdate,   // loader 1.05: both loader images go first, with a restart between
    MacRepair,      // the MAC address has lost its last three bytes; the table lists the module
    MacRepairWenlo, // the same inside a Wenlo device: serial number and restart of its own
    MacRepairFnd,   // the same inside an FND device, whose serial number cannot be read
    Downgrade,      // the firmware's Net+OS is too old for the loader: refused, module restarted
    FromLoader,     // the module the previous run left in its update loader
};

const char* SoakScenarioName(SoakScenario scenario);

// How a run ends.
enum class RunEnd {
    QueryFailed,      // the query reported 1 or 2
    CheckFailed,      // the loader check failed with its result
    DowngradeRefused, // the loader check refused the firmware
    UpdateFailed,     // the update failed with its result
    Updated,          // the update succeeded (0, or a MAC result 17 to 22)
};

const char* RunEndName(RunEnd end);

enum class ModuleEnd { Application, Loader };

// What this run flashed at the application offset.
enum class ImageEnd {
    None,      // nothing
    Intact,    // the firmware file, byte for byte
    Lost,      // an image with part of the firmware missing
    Misplaced, // the firmware, but at offset 0
};

struct Outcome {
    RunEnd end = RunEnd::Updated;
    std::vector<int> results{0}; // any of these (a result that depends on timing has several)
    ModuleEnd module = ModuleEnd::Application;
    ImageEnd image = ImageEnd::Intact;
};

// One drawn run: the scenario, the fault and what the run must come to.
struct SoakCase {
    std::string name; // where the fault hits and what it is
    SoakScenario scenario = SoakScenario::Plain;
    SimFaultOptions faults;
    int occurrence = 0; // of a request fault: which matching request, 0 every one
    Outcome expected;
    uint32_t extraMs = 0; // what the fault may add to the run's duration
};

// The connection's read and send time-out the cases are drawn for. Generous: on a busy machine
// the simulator's thread may wait a long while for a core, and that must not count as a fault.
constexpr int32_t kSoakReadTimeoutMs = 1500;
// Chunks of the firmware the runs flash.
constexpr int kSoakFirmwareChunks = 4;

// Draws the next case: a scenario with no fault, a request fault at one of the requests of a
// run, or a module fault.
SoakCase DrawCase(std::mt19937_64& random);

// Every scenario without a fault, every module fault, and every kind of request fault at every
// request of the table, once each.
std::vector<SoakCase> SweepCases(std::mt19937_64& random);

// The case of a run against a module found in its loader: no fault, the update must succeed.
SoakCase RecoveryCase(bool macLost);
