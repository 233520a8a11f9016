#pragma once

#include "sim/SimFaultOptions.h"
#include "sim/SimHostOptions.h"
#include "sim/SimMessages.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Everything that configures one simulated module: the server, the device and the trace.
// Version texts are the five characters the module puts on the wire ("01.40" reads as 1.40).
struct SimOptions {
    uint16_t port = 6666; // 0 picks a free port
    ModuleMode mode = ModuleMode::Application;
    std::string appVersion = "01.40";
    std::string loaderVersion = "02.03";
    std::vector<std::string> nextLoaderVersions; // installed in turn by images flashed at 0
    std::string flashedAppVersion;               // used when a flashed firmware carries none
    std::array<uint8_t, 6> mac = {0x02, 0x00, 0x5A, 0x10, 0x20, 0x30};
    int flashPolls = 2;           // status polls answered "busy" before a flash is done
    int downMs = 1000;            // how long a restart keeps the port closed
    int idleTimeoutMs = 120000;   // a connection without traffic for this long is closed
    uint32_t maxImage = 1u << 24; // bytes kept of the image being written
    std::string tracePath;        // empty: no trace file
    SimHostOptions host;          // the host device (sim/SimScenario.h parses these)
    SimFaultOptions faults;       // misbehaviour (none by default)
};

enum class SimParseResult { Run, Help, Error };

// Parses the command line (argv[0] is skipped). On Error, error holds a one-line reason.
SimParseResult ParseSimOptions(int argc, const char* const* argv, SimOptions& options,
                               std::string& error);

// The text of --help: every option with its default, and the trace file's lines.
std::string SimHelpText();
// The part of it that describes the module.
std::string SimHelpTextModule();

// A version text as the module sends it: exactly five printable characters.
bool IsWireVersion(const std::string& text);
