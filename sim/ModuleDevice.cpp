#include "sim/ModuleDevice.h"

#include "sim/SimFaultHook.h"
#include "sim/SimImage.h"
#include "sim/SimTrace.h"

#include <cstdio>

namespace {

constexpr uint8_t kMec = 0x2D;
constexpr uint8_t kAckMec = 0x18;
constexpr uint8_t kSetN = 0x4E; // "NS": the module's own command set
constexpr uint8_t kSetS = 0x53;

// Acknowledgement codes the module sends.
constexpr uint8_t kAckOk = 0;
constexpr uint8_t kAckCrc = 1;
constexpr uint8_t kAckUnknown = 3;
constexpr uint8_t kAckElementLength = 7;
constexpr uint8_t kAckFieldLength = 8;

constexpr uint32_t kApplicationOffset = 0x100000;

std::string Hex32(uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", v);
    return text;
}

std::vector<uint8_t> Chars(const std::string& text) {
    return {text.begin(), text.end()};
}

} // namespace

ModuleDevice::ModuleDevice(const SimOptions& options, SimTrace& trace)
    : options_(options), trace_(trace) {
    state_.mode = options.mode;
    state_.appVersion = options.appVersion;
    state_.loaderVersion = options.loaderVersion;
    state_.mac = options.mac;
    state_.nextLoaderVersions.assign(options.nextLoaderVersions.begin(),
                                     options.nextLoaderVersions.end());
    RegisterModuleCommands();
    RegisterLoaderCommands();
}

void ModuleDevice::RegisterUecpCommand(ModuleMode mode, uint8_t set0, uint8_t set1, uint8_t code,
                                       UecpCommand command) {
    uecpCommands_[Key{static_cast<int>(mode), set0, set1, code}] = std::move(command);
}

void ModuleDevice::RegisterLoaderCommand(uint8_t code, Command command) {
    loaderCommands_[code] = std::move(command);
}

SimFrame ModuleDevice::Ack(const SimRequest& request, uint8_t code) {
    SimFrame frame;
    frame.address = request.address;
    frame.sequence = request.sequence;
    frame.message = {kAckMec, code, request.sequence};
    return frame;
}

SimFrame ModuleDevice::LoaderFrame(std::vector<uint8_t> payload) {
    SimFrame frame;
    frame.kind = SimFrameKind::Loader;
    frame.message = std::move(payload);
    return frame;
}

SimFrame ModuleDevice::MecAnswer(const SimRequest& request, uint8_t set0, uint8_t set1,
                                 uint8_t code, const std::vector<uint8_t>& data) {
    SimFrame frame;
    frame.address = request.address;
    frame.sequence = request.sequence;
    frame.message = {kMec, static_cast<uint8_t>(data.size() + 3), set0, set1, code};
    frame.message.insert(frame.message.end(), data.begin(), data.end());
    return frame;
}

SimReply ModuleDevice::Handle(const SimRequest& request) {
    TraceRequest(request);
    SimReply reply;
    if (hook_ != nullptr && (!hook_->BeforeRequest(request) || hook_->Replace(request, reply))) {
        return reply;
    }
    if (request.kind == SimFrameKind::Loader) {
        HandleLoader(request, reply);
    } else {
        HandleUecp(request, reply);
    }
    if (hook_ != nullptr) {
        hook_->AfterRequest(request, reply);
    }
    return reply;
}

void ModuleDevice::TraceRequest(const SimRequest& request) {
    const std::vector<uint8_t>& m = request.message;
    if (request.kind == SimFrameKind::Loader) {
        if (!m.empty() && m[0] == 0x03) {
            trace_.Line("rx loader 03 chunk=" + std::to_string(m.size() - 1));
        } else {
            trace_.Line("rx loader " + HexBytes(m));
        }
        return;
    }
    trace_.Line("rx uecp addr=" + std::to_string(request.address) +
                " sqc=" + std::to_string(request.sequence) + " " + HexBytes(m));
}

void ModuleDevice::HandleUecp(const SimRequest& request, SimReply& reply) {
    const std::vector<uint8_t>& m = request.message;
    if (!request.crcOk) {
        trace_.Line("bad-crc");
        reply.frames.push_back(Ack(request, kAckCrc));
        return;
    }
    if (!request.lengthOk || m.empty()) {
        trace_.Line("bad-length");
        reply.frames.push_back(Ack(request, kAckFieldLength));
        return;
    }
    if (m[0] != kMec) {
        reply.frames.push_back(Ack(request, kAckUnknown));
        return;
    }
    if (m.size() < 5 || m[1] != m.size() - 2) {
        reply.frames.push_back(Ack(request, kAckElementLength));
        return;
    }
    const auto it = uecpCommands_.find(Key{static_cast<int>(state_.mode), m[2], m[3], m[4]});
    if (it == uecpCommands_.end()) {
        reply.frames.push_back(Ack(request, kAckUnknown));
        return;
    }
    SimReply result;
    const int code = it->second.run(request, result);
    if (it->second.acknowledged) {
        reply.frames.push_back(Ack(request, static_cast<uint8_t>(code)));
    }
    reply.frames.insert(reply.frames.end(), result.frames.begin(), result.frames.end());
    reply.restart = result.restart;
    reply.restartMode = result.restartMode;
}

void ModuleDevice::HandleLoader(const SimRequest& request, SimReply& reply) {
    const std::vector<uint8_t>& m = request.message;
    const auto it = m.empty() ? loaderCommands_.end() : loaderCommands_.find(m[0]);
    if (state_.mode != ModuleMode::Loader || it == loaderCommands_.end()) {
        reply.frames.push_back(LoaderFrame({kAckMec, kAckUnknown}));
        return;
    }
    it->second(request, reply);
}

void ModuleDevice::RegisterModuleCommands() {
    const auto app = ModuleMode::Application;
    const auto answer = [](const SimRequest& r, uint8_t code, const std::vector<uint8_t>& data) {
        return MecAnswer(r, kSetN, kSetS, code, data);
    };
    const auto status = [this, answer](const SimRequest& r, SimReply& reply) {
        reply.frames.push_back(answer(r, 0x02, {static_cast<uint8_t>(state_.mode)}));
        return kAckOk;
    };
    RegisterUecpCommand(app, kSetN, kSetS, 0x02, {true, status});
    RegisterUecpCommand(ModuleMode::Loader, kSetN, kSetS, 0x02, {true, status});

    RegisterUecpCommand(app, kSetN, kSetS, 0x03, {true, [](const SimRequest&, SimReply& reply) {
                                                      reply.restart = true;
                                                      reply.restartMode = ModuleMode::Loader;
                                                      return kAckOk;
                                                  }});
    RegisterUecpCommand(
        app, kSetN, kSetS, 0x04,
        {true, [this, answer](const SimRequest& r, SimReply& reply) {
             reply.frames.push_back(answer(r, 0x04, {state_.mac.begin(), state_.mac.end()}));
             return kAckOk;
         }});
    RegisterUecpCommand(app, kSetN, kSetS, 0x05,
                        {true, [this](const SimRequest& r, SimReply&) {
                             if (r.message.size() != 11) {
                                 return kAckElementLength;
                             }
                             std::copy(r.message.begin() + 5, r.message.end(), state_.mac.begin());
                             trace_.Line("mac " + HexBytes(r.message.data() + 5, 6));
                             return kAckOk;
                         }});
    RegisterUecpCommand(app, kSetN, kSetS, 0x80, {false, [](const SimRequest&, SimReply& reply) {
                                                      reply.restart = true;
                                                      reply.restartMode = ModuleMode::Application;
                                                      return kAckOk;
                                                  }});
    RegisterUecpCommand(app, kSetN, kSetS, 0x09,
                        {true, [this, answer](const SimRequest& r, SimReply& reply) {
                             reply.frames.push_back(answer(r, 0x09, Chars(state_.appVersion)));
                             return kAckOk;
                         }});
}

void ModuleDevice::RegisterLoaderCommands() {
    RegisterLoaderCommand(0x01, [](const SimRequest&, SimReply& reply) {
        reply.restart = true;
        reply.restartMode = ModuleMode::Application;
        return 0;
    });
    RegisterLoaderCommand(0x03, [this](const SimRequest& r, SimReply&) {
        const size_t count = r.message.size() - 1;
        const size_t room =
            options_.maxImage - std::min<size_t>(options_.maxImage, state_.image.size());
        const size_t kept = std::min(count, room);
        state_.image.insert(state_.image.end(), r.message.begin() + 1,
                            r.message.begin() + 1 + static_cast<long>(kept));
        trace_.Line("chunk " + std::to_string(count) +
                    " total=" + std::to_string(state_.image.size()));
        if (kept < count) {
            trace_.Line("overflow " + std::to_string(count - kept));
        }
        return 0;
    });
    RegisterLoaderCommand(0x04, [this](const SimRequest&, SimReply&) {
        const uint32_t size = static_cast<uint32_t>(state_.image.size());
        const uint32_t crc = SimCrc32(state_.image.data(), state_.image.size());
        trace_.Line("flash offset=" + Hex32(state_.flashOffset) + " bytes=" + std::to_string(size) +
                    " crc32=" + Hex32(crc).substr(2));
        state_.flashing = true;
        state_.pollsLeft = options_.flashPolls;
        return 0;
    });
    RegisterLoaderCommand(0x05, [this](const SimRequest&, SimReply&) {
        state_.image.clear();
        state_.flashing = false;
        trace_.Line("erase");
        return 0;
    });
    RegisterLoaderCommand(0x06, [this](const SimRequest&, SimReply& reply) {
        if (state_.flashing && state_.pollsLeft > 0) {
            --state_.pollsLeft;
            trace_.Line("poll busy");
            reply.frames.push_back(LoaderFrame({0x06, 0x01}));
            return 0;
        }
        if (state_.flashing) {
            state_.flashing = false;
            const uint32_t size = static_cast<uint32_t>(state_.image.size());
            state_.flashed.push_back(
                {state_.flashOffset, size, SimCrc32(state_.image.data(), state_.image.size())});
            if (state_.flashOffset == kApplicationOffset) {
                std::optional<std::string> version = FindImageVersion(state_.image);
                if (!version && !options_.flashedAppVersion.empty()) {
                    version = options_.flashedAppVersion;
                }
                if (version) {
                    state_.pendingAppVersion = version;
                }
            } else if (state_.flashOffset == 0 && !state_.nextLoaderVersions.empty()) {
                state_.pendingLoaderVersion = state_.nextLoaderVersions.front();
                state_.nextLoaderVersions.pop_front();
            }
        }
        trace_.Line("poll done");
        reply.frames.push_back(LoaderFrame({0x06, 0x00}));
        return 0;
    });
    RegisterLoaderCommand(0x07, [](const SimRequest&, SimReply& reply) {
        reply.frames.push_back(LoaderFrame({kAckMec, kAckOk}));
        return 0;
    });
    RegisterLoaderCommand(0x08, [this](const SimRequest& r, SimReply&) {
        if (r.message.size() != 5) {
            trace_.Line("malformed offset");
            return 0;
        }
        state_.flashOffset = (uint32_t{r.message[1]} << 24) | (uint32_t{r.message[2]} << 16) |
                             (uint32_t{r.message[3]} << 8) | r.message[4];
        trace_.Line("offset " + Hex32(state_.flashOffset));
        return 0;
    });
    RegisterLoaderCommand(0x09, [this](const SimRequest&, SimReply& reply) {
        std::vector<uint8_t> payload = {0x09};
        payload.insert(payload.end(), state_.loaderVersion.begin(), state_.loaderVersion.end());
        reply.frames.push_back(LoaderFrame(payload));
        return 0;
    });
}

void ModuleDevice::Restart(ModuleMode mode) {
    ++state_.restarts;
    if (state_.flashing) {
        trace_.Line("flash aborted");
    }
    if (state_.pendingAppVersion) {
        state_.appVersion = *state_.pendingAppVersion;
        trace_.Line("install application " + state_.appVersion);
        state_.pendingAppVersion.reset();
    }
    if (state_.pendingLoaderVersion) {
        state_.loaderVersion = *state_.pendingLoaderVersion;
        trace_.Line("install loader " + state_.loaderVersion);
        state_.pendingLoaderVersion.reset();
    }
    state_.image.clear();
    state_.flashing = false;
    state_.pollsLeft = 0;
    state_.flashOffset = 0;
    state_.mode = mode;
}
