#pragma once

#include "sim/SimMessages.h"
#include "sim/SimOptions.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

class SimFaultHook;
class SimTrace;

// One image that the loader has flashed.
struct FlashedImage {
    uint32_t offset = 0;
    uint32_t size = 0;
    uint32_t crc32 = 0;
};

// What the simulated module holds; a copy is handed to tests.
struct ModuleState {
    ModuleMode mode = ModuleMode::Application;
    std::string appVersion;
    std::string loaderVersion;
    std::array<uint8_t, 6> mac{};
    std::vector<uint8_t> image; // erased and written image of the running loader
    uint32_t flashOffset = 0;
    bool flashing = false;
    int pollsLeft = 0;
    std::vector<FlashedImage> flashed; // every completed flash, oldest first
    std::optional<std::string> pendingAppVersion;
    std::optional<std::string> pendingLoaderVersion;
    std::deque<std::string> nextLoaderVersions;
    int restarts = 0;
};

// The module's behaviour as a pure function from a decoded request to its reply. Commands live
// in dispatch tables: UECP commands per mode keyed by command set ("NS" for the module) and
// command code, loader commands by their command byte. Not thread-safe; the server serialises.
class ModuleDevice {
public:
    // Runs one command. For an acknowledged UECP command the return value is the
    // acknowledgement code (sent before the frames the command adds); otherwise it is ignored.
    using Command = std::function<int(const SimRequest&, SimReply&)>;
    struct UecpCommand {
        bool acknowledged = true;
        Command run;
    };

    ModuleDevice(const SimOptions& options, SimTrace& trace);

    SimReply Handle(const SimRequest& request);

    void RegisterUecpCommand(ModuleMode mode, uint8_t set0, uint8_t set1, uint8_t code,
                             UecpCommand command);
    void RegisterLoaderCommand(uint8_t code, Command command);
    void SetFaultHook(SimFaultHook* hook) { hook_ = hook; }

    // Carries out a restart into the given mode: whatever a completed flash installed takes
    // effect, the loader's working memory is lost.
    void Restart(ModuleMode mode);

    ModuleMode Mode() const { return state_.mode; }
    const ModuleState& State() const { return state_; }

    // Reply helpers for command implementations.
    static SimFrame Ack(const SimRequest& request, uint8_t code);
    static SimFrame LoaderFrame(std::vector<uint8_t> payload);
    // 2D <len> s0 s1 code data...: the manufacturer-specific answer to a request.
    static SimFrame MecAnswer(const SimRequest& request, uint8_t set0, uint8_t set1, uint8_t code,
                              const std::vector<uint8_t>& data);

private:
    using Key = std::tuple<int, uint8_t, uint8_t, uint8_t>;

    void HandleUecp(const SimRequest& request, SimReply& reply);
    void HandleLoader(const SimRequest& request, SimReply& reply);
    void RegisterModuleCommands();
    void RegisterLoaderCommands();
    void TraceRequest(const SimRequest& request);

    const SimOptions options_;
    SimTrace& trace_;
    SimFaultHook* hook_ = nullptr;
    ModuleState state_;
    std::map<Key, UecpCommand> uecpCommands_;
    std::map<uint8_t, Command> loaderCommands_;
};
