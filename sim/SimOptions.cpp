#include "sim/SimOptions.h"

#include "sim/SimScenario.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <iterator>
#include <sstream>

namespace {

constexpr int kMaxPolls = 100000;
constexpr int kMaxDownMs = 600000;
constexpr int kMaxIdleMs = 86400000;
constexpr uint32_t kMaxImageLimit = 1u << 28;

bool ParseInt(const std::string& text, long long low, long long high, long long& value) {
    if (text.empty()) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 0);
    if (errno != 0 || end == nullptr || *end != '\0' || v < low || v > high) {
        return false;
    }
    value = v;
    return true;
}

bool ParseMac(const std::string& text, std::array<uint8_t, 6>& mac) {
    // Six groups of two hex digits separated by ':'.
    if (text.size() != 17) {
        return false;
    }
    for (size_t i = 0; i < 6; ++i) {
        const std::string group = text.substr(i * 3, 2);
        if (i < 5 && text[i * 3 + 2] != ':') {
            return false;
        }
        for (char c : group) {
            if (!std::isxdigit(static_cast<unsigned char>(c))) {
                return false;
            }
        }
        mac[i] = static_cast<uint8_t>(std::strtoul(group.c_str(), nullptr, 16));
    }
    return true;
}

bool ParseVersionList(const std::string& text, std::vector<std::string>& out) {
    std::vector<std::string> list;
    std::string item;
    std::istringstream in(text);
    while (std::getline(in, item, ',')) {
        if (!IsWireVersion(item)) {
            return false;
        }
        list.push_back(item);
    }
    if (list.size() > 64) {
        return false;
    }
    out = list;
    return true;
}

} // namespace

bool IsWireVersion(const std::string& text) {
    if (text.size() != 5) {
        return false;
    }
    for (char c : text) {
        if (c < 0x20 || c > 0x7E) {
            return false;
        }
    }
    return true;
}

SimParseResult ParseSimOptions(int argc, const char* const* argv, SimOptions& options,
                               std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            return SimParseResult::Help;
        }
        if (name.rfind("--", 0) != 0) {
            error = "unexpected argument '" + name + "'";
            return SimParseResult::Error;
        }
        const SimOptionMatch extra = ParseScenarioOption(argc, argv, i, options, error);
        if (extra == SimOptionMatch::Failed) {
            return SimParseResult::Error;
        }
        if (extra == SimOptionMatch::Taken) {
            continue;
        }
        static const char* const kKnown[] = {"--port",
                                             "--mode",
                                             "--app-version",
                                             "--loader-version",
                                             "--next-loader-versions",
                                             "--flashed-app-version",
                                             "--mac",
                                             "--flash-polls",
                                             "--down-ms",
                                             "--idle-timeout-ms",
                                             "--max-image",
                                             "--trace"};
        if (std::find(std::begin(kKnown), std::end(kKnown), name) == std::end(kKnown)) {
            error = "unknown option " + name;
            return SimParseResult::Error;
        }
        if (i + 1 >= argc) {
            error = "option " + name + " needs a value";
            return SimParseResult::Error;
        }
        const std::string value = argv[++i];
        long long n = 0;
        bool ok = true;
        if (name == "--port") {
            ok = ParseInt(value, 0, 65535, n);
            options.port = static_cast<uint16_t>(n);
        } else if (name == "--mode") {
            ok = value == "application" || value == "loader";
            options.mode = value == "loader" ? ModuleMode::Loader : ModuleMode::Application;
        } else if (name == "--app-version") {
            ok = IsWireVersion(value);
            options.appVersion = value;
        } else if (name == "--loader-version") {
            ok = IsWireVersion(value);
            options.loaderVersion = value;
        } else if (name == "--next-loader-versions") {
            ok = ParseVersionList(value, options.nextLoaderVersions);
        } else if (name == "--flashed-app-version") {
            ok = IsWireVersion(value);
            options.flashedAppVersion = value;
        } else if (name == "--mac") {
            ok = ParseMac(value, options.mac);
        } else if (name == "--flash-polls") {
            ok = ParseInt(value, 0, kMaxPolls, n);
            options.flashPolls = static_cast<int>(n);
        } else if (name == "--down-ms") {
            ok = ParseInt(value, 0, kMaxDownMs, n);
            options.downMs = static_cast<int>(n);
        } else if (name == "--idle-timeout-ms") {
            ok = ParseInt(value, 1, kMaxIdleMs, n);
            options.idleTimeoutMs = static_cast<int>(n);
        } else if (name == "--max-image") {
            ok = ParseInt(value, 0, kMaxImageLimit, n);
            options.maxImage = static_cast<uint32_t>(n);
        } else if (name == "--trace") {
            ok = !value.empty();
            options.tracePath = value;
        }
        if (!ok) {
            error = "bad value '" + value + "' for " + name;
            return SimParseResult::Error;
        }
    }
    return SimParseResult::Run;
}

std::string SimHelpText() {
    return SimHelpTextModule() + SimScenarioHelpText();
}

std::string SimHelpTextModule() {
    return R"(usage: zelta-sim [options]

Simulates a Zelta module on 127.0.0.1: a TCP server that answers the module's UECP
commands while its application (the bridge) runs, and the update-loader commands while
its update loader runs. It prints the address it listens on and runs until SIGINT or
SIGTERM. One client is served at a time; a new connection replaces the old one.

Options (version texts are the five characters the module sends, e.g. 01.40 for 1.40):
  --port N                  TCP port; 0 picks a free one (default 6666)
  --mode application|loader what runs at start (default application)
  --app-version VVVVV       application version (default 01.40)
  --loader-version VVVVV    update-loader version (default 02.03)
  --next-loader-versions L  comma-separated versions; each image flashed at offset 0
                            installs the next one at the following restart (default: none,
                            the loader version stays)
  --flashed-app-version V   version installed by a firmware flashed at 0x100000 when the
                            image has no version marker (default: the version stays)
  --mac AA:BB:CC:DD:EE:FF   the module's MAC address (default 02:00:5A:10:20:30)
  --flash-polls N           flash-status polls answered "busy" before a flash reports
                            done, 0 to 100000 (default 2)
  --down-ms N               a restart closes the connection and the listening port for
                            N ms, 0 to 600000 (default 1000)
  --idle-timeout-ms N       close a connection without traffic for N ms (default 120000)
  --max-image N             bytes kept of an image being written; more are dropped
                            (default 16777216)
  --trace FILE              write a trace of the session to FILE
  --help                    this text

Restarts: StartUpdateLoader restarts into the update loader; RebootModule and the loader's
restart command restart into the application. A firmware flashed at 0x100000 sets the
application version (from the image's "NET+WORKS Version" or "Version: " marker, else
--flashed-app-version); an image flashed at 0 installs the next loader version.

Trace lines (--trace, one per event): "<ms since start> <event> <details>":
  listen 127.0.0.1:PORT MODE     the port is open, MODE application or loader
  accept | replace | peer-closed | reset | idle-timeout | overrun | closed
  rx uecp addr=N sqc=N HEX       a UECP request (message field)
  rx loader HEX                  a loader request (data: "rx loader 03 chunk=N")
  tx uecp addr=N sqc=N HEX | tx loader HEX    a frame sent
  bad-crc | bad-length | malformed HEX        a request that could not be taken
  erase | chunk N total=N | overflow N | offset 0xOOOOOOOO | malformed offset
  flash offset=0xOOOOOOOO bytes=N crc32=XXXXXXXX   flashing starts (CRC-32 of the image)
  poll busy | poll done | flash aborted       flash status, restart while flashing
  mac HEX                        a new MAC address
  restart MODE down=N | install application|loader VVVVV | stay-away | listen-failed
)";
}
