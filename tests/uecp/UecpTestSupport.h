#pragma once

#include "base/FrameCrc.h"
#include "base/FrameLimits.h"
#include "base/FrameParser.h"
#include "base/FrameStuffing.h"
#include "base/TestHex.h"
#include "io/WaitUntil.h"
#include "sim/SimFaultHook.h"
#include "sim/SimServer.h"
#include "uecp/Quarvo_UECPMessageHandler.h"

#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// Stuffed UECP frame with the given MFL byte (normally the message length) and a CRC that is
// correct for those bytes unless crcXor is set.
inline std::vector<uint8_t> RawUecp(uint8_t sequence, const std::string& message, int mfl = -1,
                                    uint16_t crcXor = 0) {
    const std::vector<uint8_t> m = Hex(message);
    std::vector<uint8_t> frame = {0xFE, 0x00, 0x00, sequence,
                                  static_cast<uint8_t>(mfl < 0 ? m.size() : mfl)};
    frame.insert(frame.end(), m.begin(), m.end());
    const uint16_t crc = FrameCrc(frame.data() + 1, static_cast<int>(frame.size()) - 1) ^ crcXor;
    frame.push_back(static_cast<uint8_t>(crc >> 8));
    frame.push_back(static_cast<uint8_t>(crc));
    frame.push_back(0xFF);
    std::vector<uint8_t> out(2 * frame.size());
    out.resize(static_cast<size_t>(StuffFrame(frame.data(), static_cast<int>(frame.size()),
                                              out.data(), static_cast<int>(out.size()))));
    return out;
}

inline std::vector<uint8_t> RawLoader(const std::string& payload) {
    std::vector<uint8_t> p = Hex(payload);
    std::vector<uint8_t> frame = {0xFE, static_cast<uint8_t>(p.size() >> 8),
                                  static_cast<uint8_t>(p.size())};
    frame.insert(frame.end(), p.begin(), p.end());
    frame.push_back(0xFF);
    std::vector<uint8_t> out(2 * frame.size());
    out.resize(static_cast<size_t>(StuffFrame(frame.data(), static_cast<int>(frame.size()),
                                              out.data(), static_cast<int>(out.size()))));
    return out;
}

// One frame a script sends: its raw bytes, after a pause.
struct ScriptedFrame {
    ScriptedFrame(std::vector<uint8_t> raw, int delay = 0)
        : bytes(std::move(raw)), delayMs(delay) {}
    std::vector<uint8_t> bytes;
    int delayMs = 0;
};

// Makes the simulator misbehave on cue: while a script is set, it decides the raw frames sent
// for each request instead of the device (nullopt leaves the device's answer).
class ScriptHook : public SimFaultHook {
public:
    using Script = std::function<std::optional<std::vector<ScriptedFrame>>(const SimRequest&)>;

    void Set(Script script) {
        std::lock_guard<std::mutex> lock(mutex_);
        script_ = std::move(script);
    }

    void AfterRequest(const SimRequest& request, SimReply& reply) override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!script_) {
            return;
        }
        auto frames = script_(request);
        if (!frames) {
            return;
        }
        reply.frames.clear();
        for (const ScriptedFrame& f : *frames) {
            SimFrame placeholder;
            placeholder.delayMs = f.delayMs;
            reply.frames.push_back(placeholder);
            pending_.push_back(f.bytes);
        }
    }

    void BeforeSend(const SimFrame&, std::vector<uint8_t>& bytes) override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!pending_.empty()) {
            bytes = pending_.front();
            pending_.pop_front();
        }
    }

private:
    std::mutex mutex_;
    Script script_;
    std::deque<std::vector<uint8_t>> pending_;
};

// The module handler, recording every frame it sends.
class RecordingHandler : public Quarvo_UECPMessageHandler {
public:
    ~RecordingHandler() override { Close(false); }

    void FrameSent(const uint8_t* bytes, int length) override {
        std::lock_guard<std::mutex> lock(mutex_);
        sent_.emplace_back(bytes, bytes + length);
    }

    std::vector<std::vector<uint8_t>> Sent() {
        std::lock_guard<std::mutex> lock(mutex_);
        return sent_;
    }

    std::vector<uint8_t> LastSent() {
        std::lock_guard<std::mutex> lock(mutex_);
        return sent_.empty() ? std::vector<uint8_t>{} : sent_.back();
    }

    int Received() {
        std::lock_guard<MyCriticalSection> lock(ReceivedList());
        return ReceivedList().Count();
    }

private:
    std::mutex mutex_;
    std::vector<std::vector<uint8_t>> sent_;
};

// A family-neutral handler with the base behaviour, as the target of a connection hand-over.
class PlainHandler : public UECPMessageHandler {
public:
    ~PlainHandler() override { Close(false); }
    int32_t HandlerKind() const override { return 1; }
};

// Message field of a stuffed UECP frame.
inline std::string MessageOf(const std::vector<uint8_t>& frame) {
    auto parsed = ParseFrame(frame.data(), static_cast<int>(frame.size()));
    return parsed ? ToHex(parsed->data(), parsed->size()) : "none";
}

inline int SequenceOf(const std::vector<uint8_t>& frame) {
    auto parsed = ParseFrame(frame.data(), static_cast<int>(frame.size()));
    return parsed ? parsed->sequence : -1;
}

// A simulator on a free port and handler parameters that point at it.
class SimFixture {
public:
    explicit SimFixture(ModuleMode mode = ModuleMode::Application, int downMs = 100) {
        options.port = 0;
        options.mode = mode;
        options.downMs = downMs;
        options.loaderVersion = "02.15";
    }

    bool Start() {
        server = std::make_unique<SimServer>(options);
        server->SetFaultHook(&hook);
        return server->Start();
    }

    TCP_ConnectionParams Params(uint32_t readTimeout = 2000) const {
        TCP_ConnectionParams p("127.0.0.1", server->Port());
        p.connectTimeout = 2000;
        p.readTimeout = readTimeout;
        p.sendTimeout = 2000;
        return p;
    }

    SimOptions options;
    ScriptHook hook;
    std::unique_ptr<SimServer> server;
};
