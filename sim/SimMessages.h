#pragma once

#include <cstdint>
#include <vector>

// Value types that pass between the simulator's server and its device model. The device model
// sees decoded requests and produces decoded frames; encoding happens in the server, so every
// command can be exercised without sockets.

// The values are the module's status byte.
enum class ModuleMode { Application = 1, Loader = 2 };

inline const char* ModuleModeName(ModuleMode mode) {
    return mode == ModuleMode::Loader ? "loader" : "application";
}

enum class SimFrameKind { Uecp, Loader };

// One received request, already unstuffed and checked.
struct SimRequest {
    SimFrameKind kind = SimFrameKind::Uecp;
    uint16_t address = 0;
    uint8_t sequence = 0;
    std::vector<uint8_t> message; // UECP message field, or the loader payload
    bool crcOk = true;
    bool lengthOk = true;
};

// One frame the module sends back.
struct SimFrame {
    SimFrameKind kind = SimFrameKind::Uecp;
    uint16_t address = 0;
    uint8_t sequence = 0;
    std::vector<uint8_t> message;
    int delayMs = 0; // pause before this frame goes out
};

// What the module does after a request: frames to send, then optionally a restart.
struct SimReply {
    std::vector<SimFrame> frames;
    bool restart = false;
    ModuleMode restartMode = ModuleMode::Application;
    bool reset = false; // after the frames, the connection is dropped with a reset
};
