#include "sim/SimScenario.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

constexpr size_t kMaxTextBytes = 10;
constexpr size_t kMaxVersionBytes = 5;
constexpr int kMaxScenarioLines = 10000;
constexpr size_t kMaxLineBytes = 4096;

const char* const kFlags[] = {"--mac-lost", "--mac-mfl-quirk", "--flash-never-done"};
const char* const kValued[] = {
    "--scenario",    "--host-family",        "--serial",      "--brn-type",     "--brn-version",
    "--type-name",   "--host-version",       "--ignore",      "--no-ack",       "--nack",
    "--answer-size", "--bad-crc-answer",     "--bad-crc-ack", "--wrong-answer", "--slow",
    "--stay-away",   "--reset-after-chunks", "--garbage"};

template <size_t N> bool OneOf(const char* const (&names)[N], const std::string& name) {
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

bool ParseNumber(const std::string& text, long low, long high, long& value) {
    if (text.empty()) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 0);
    if (errno != 0 || end == nullptr || *end != '\0' || v < low || v > high) {
        return false;
    }
    value = v;
    return true;
}

// "SEL" or "SEL,N" with N in low..high; fallback is used when N is optional and missing
// (fallback < low: N is required).
bool ParseFault(const std::string& text, SimFaultKind kind, bool withValue, long low, long high,
                long fallback, SimFaultOptions& faults) {
    SimCommandFault fault;
    fault.kind = kind;
    const size_t comma = text.find(',');
    if (!ParseRequestSelector(text.substr(0, comma), fault.target)) {
        return false;
    }
    long value = fallback;
    if (comma != std::string::npos) {
        if (!withValue || !ParseNumber(text.substr(comma + 1), low, high, value)) {
            return false;
        }
    } else if (withValue && fallback < low) {
        return false;
    }
    fault.value = static_cast<int>(value);
    faults.commands.push_back(fault);
    return true;
}

bool ApplyValue(const std::string& name, const std::string& value, SimOptions& options,
                std::string& error) {
    SimHostOptions& host = options.host;
    SimFaultOptions& faults = options.faults;
    long n = 0;
    bool ok = true;
    if (name == "--scenario") {
        return LoadScenarioFile(value, options, error);
    } else if (name == "--host-family") {
        const struct {
            const char* name;
            HostFamily family;
        } families[] = {{"brn", HostFamily::Brn},
                        {"wenlo", HostFamily::Wenlo},
                        {"fnd", HostFamily::Fnd},
                        {"none", HostFamily::None}};
        ok = false;
        for (const auto& f : families) {
            if (value == f.name) {
                host.family = f.family;
                ok = true;
            }
        }
    } else if (name == "--serial") {
        ok = value.size() <= kMaxTextBytes;
        host.serialNumber = value;
    } else if (name == "--type-name") {
        ok = value.size() <= kMaxTextBytes;
        host.typeName = value;
    } else if (name == "--host-version") {
        ok = value.size() <= kMaxVersionBytes;
        host.versionText = value;
    } else if (name == "--brn-type") {
        ok = ParseNumber(value, 0, 255, n);
        host.brnType = static_cast<uint8_t>(n);
    } else if (name == "--brn-version") {
        ok = ParseNumber(value, 0, 65535, n);
        host.brnVersion = static_cast<uint16_t>(n);
    } else if (name == "--ignore") {
        ok = ParseFault(value, SimFaultKind::Ignore, false, 0, 0, 0, faults);
    } else if (name == "--no-ack") {
        ok = ParseFault(value, SimFaultKind::NoAck, false, 0, 0, 0, faults);
    } else if (name == "--bad-crc-answer") {
        ok = ParseFault(value, SimFaultKind::BadCrcAnswer, false, 0, 0, 0, faults);
    } else if (name == "--bad-crc-ack") {
        ok = ParseFault(value, SimFaultKind::BadCrcAck, false, 0, 0, 0, faults);
    } else if (name == "--nack") {
        ok = ParseFault(value, SimFaultKind::Nack, true, 1, 255, 0, faults);
    } else if (name == "--answer-size") {
        ok = ParseFault(value, SimFaultKind::AnswerSize, true, -255, 255, -256, faults) &&
             faults.commands.back().value != 0;
    } else if (name == "--wrong-answer") {
        ok = ParseFault(value, SimFaultKind::WrongAnswer, true, 1, 1000, 1, faults);
    } else if (name == "--slow") {
        ok = ParseFault(value, SimFaultKind::Slow, true, 0, 600000, -1, faults);
    } else if (name == "--stay-away") {
        ok = ParseNumber(value, 1, 100000, n);
        faults.stayAwayAfter = static_cast<int>(n);
    } else if (name == "--reset-after-chunks") {
        ok = ParseNumber(value, 1, 100000000, n);
        faults.resetAfterChunks = static_cast<int>(n);
    } else if (name == "--garbage") {
        ok = ParseNumber(value, 0, 1024, n);
        faults.garbageBytes = static_cast<int>(n);
    }
    if (!ok) {
        error = "bad value '" + value + "' for " + name;
    }
    return ok;
}

void ApplyFlag(const std::string& name, bool on, SimOptions& options) {
    if (name == "--mac-lost") {
        options.host.macLost = on;
    } else if (name == "--mac-mfl-quirk") {
        options.host.macMflQuirk = on;
    } else if (name == "--flash-never-done") {
        options.faults.flashNeverDone = on;
    }
}

std::string Trim(const std::string& text) {
    const char* blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// One line of a scenario file.
bool ApplyLine(const std::string& line, SimOptions& options, std::string& error) {
    const size_t eq = line.find('=');
    const std::string key = Trim(line.substr(0, eq));
    const std::string name = "--" + key;
    if (key == "scenario") {
        error = "a scenario file cannot load another";
        return false;
    }
    if (OneOf(kFlags, name)) {
        const std::string value = eq == std::string::npos ? "yes" : Trim(line.substr(eq + 1));
        if (value != "yes" && value != "no") {
            error = "bad value '" + value + "' for " + key + " (yes or no)";
            return false;
        }
        ApplyFlag(name, value == "yes", options);
        return true;
    }
    if (eq == std::string::npos) {
        error = "expected 'name = value'";
        return false;
    }
    const std::string value = Trim(line.substr(eq + 1));
    const char* argv[] = {"zelta-sim", name.c_str(), value.c_str()};
    SimOptions trial = options;
    switch (ParseSimOptions(3, argv, trial, error)) {
    case SimParseResult::Run:
        options = trial;
        return true;
    case SimParseResult::Help:
        error = "unknown setting " + key;
        return false;
    case SimParseResult::Error:
        break;
    }
    return false;
}

} // namespace

SimOptionMatch ParseScenarioOption(int argc, const char* const* argv, int& i, SimOptions& options,
                                   std::string& error) {
    const std::string name = argv[i];
    if (OneOf(kFlags, name)) {
        ApplyFlag(name, true, options);
        return SimOptionMatch::Taken;
    }
    if (!OneOf(kValued, name)) {
        return SimOptionMatch::NotMine;
    }
    if (i + 1 >= argc) {
        error = "option " + name + " needs a value";
        return SimOptionMatch::Failed;
    }
    const std::string value = argv[++i];
    return ApplyValue(name, value, options, error) ? SimOptionMatch::Taken : SimOptionMatch::Failed;
}

bool LoadScenarioFile(const std::string& path, SimOptions& options, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read the scenario file " + path;
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (number > kMaxScenarioLines || line.size() > kMaxLineBytes) {
            error = path + ":" + std::to_string(number) + ": too long";
            return false;
        }
        const std::string text = Trim(line);
        if (text.empty() || text[0] == '#' || text[0] == ';' ||
            (text.front() == '[' && text.back() == ']')) {
            continue;
        }
        std::string reason;
        if (!ApplyLine(text, options, reason)) {
            error = path + ":" + std::to_string(number) + ": " + reason;
            return false;
        }
    }
    if (in.bad()) {
        error = "cannot read the scenario file " + path;
        return false;
    }
    return true;
}

SimOptions ResolveSimOptions(const SimOptions& options) {
    SimOptions resolved = options;
    if (resolved.host.macLost) {
        std::fill(resolved.mac.begin() + 3, resolved.mac.end(), 0);
    }
    return resolved;
}

std::string SimScenarioHelpText() {
    return R"(
Host device (the device the module sits in; it answers its family's command set, every
other family's requests are refused with acknowledgement code 3):
  --host-family brn|wenlo|fnd|none   (default brn; none refuses every family)
  --serial TEXT             serial number, up to 10 characters (default 0012345678)
  --brn-type N              BRN type byte, 0 to 255 (default 0x20, BRN RDS)
  --brn-version N           BRN firmware version number, 0 to 65535 (default 1234: 1.23.4)
  --type-name TEXT          Wenlo type text, up to 10 characters (default "RSK Basic")
  --host-version TEXT       Wenlo and FND firmware version, up to 5 characters (default 2.10a)
  --mac-lost                the MAC address has lost its last three bytes (read as 00 00 00
                            until a new address is written)
  --mac-mfl-quirk           the MAC answer's MFL byte says 9 where the message has 11 bytes
BRN reboot (QB 80): parameter 00 restarts the module with the host, 01 reboots the host alone.

Faults. SEL picks requests: * (all), SS or SS:* (command set SS, e.g. NS QB RS MI), SS:CC
(command CC in hex), loader or loader:CC (update-loader commands); SEL/N only the first N of
them. Fault options may be repeated; every matching one applies.
  --ignore SEL              neither carried out nor answered (no acknowledgement)
  --no-ack SEL              carried out and answered, but not acknowledged
  --nack SEL,CODE           refused with acknowledgement code CODE (1 to 255), not carried out
  --answer-size SEL,DELTA   the answer has DELTA more (or, negative, fewer) bytes
  --bad-crc-answer SEL      the answer is sent with a corrupted CRC
  --bad-crc-ack SEL         the acknowledgement is sent with a corrupted CRC
  --wrong-answer SEL[,N]    the answer carries another answer code, sent N times 20 ms apart
                            (default 1)
  --slow SEL,MS             the answer is sent MS ms late (the acknowledgement is not)
  --flash-never-done        every flash-status poll answers "busy"
  --stay-away N             the module does not come back from its N-th restart, nor later
  --reset-after-chunks N    the connection is reset after the N-th data chunk (once)
  --garbage N               N garbage bytes (never 0xFE) before every frame sent, 0 to 1024

Scenario file (--scenario FILE): the same settings, one per line, "name = value" for
"--name value" and a flag's name alone (or "name = yes|no"); '#' or ';' starts a comment
line; [section] lines only group. Applied where --scenario stands; later options override.
  [host]
  host-family = wenlo
  type-name = RSK Basic
  [faults]
  nack = RS:7B,3
  slow = *,200

More trace lines:
  fault NAME SEL | fault flash-never-done | fault reset-after-chunks N   a fault applied
  host reboot module | host reboot alone | host reboot refused HEX | host block HEX
)";
}
