#include "sim/HostDevice.h"

#include "sim/ModuleDevice.h"
#include "sim/SimTrace.h"

#include <algorithm>

namespace {

constexpr uint8_t kAckOk = 0;
constexpr uint8_t kAckElementLength = 7;

constexpr uint8_t kBrn0 = 0x51; // "QB"
constexpr uint8_t kBrn1 = 0x42;
constexpr uint8_t kWenlo0 = 0x52; // "RS"
constexpr uint8_t kWenlo1 = 0x53;
constexpr uint8_t kFnd0 = 0x4D; // "MI"
constexpr uint8_t kFnd1 = 0x49;

constexpr size_t kSerialBytes = 10;
constexpr size_t kTypeNameBytes = 10;
constexpr size_t kVersionBytes = 5;
constexpr size_t kBlockBytes = 14;
constexpr size_t kMaxMessage = 255;

constexpr uint16_t kParamSerial = 1;
constexpr uint16_t kParamVersion = 11;
constexpr uint16_t kParamType = 37;

// A command without parameters: exactly 2D 03 s0 s1 code.
bool Bare(const SimRequest& r) {
    return r.message.size() == 5;
}

} // namespace

const char* HostFamilyName(HostFamily family) {
    switch (family) {
    case HostFamily::Brn:
        return "brn";
    case HostFamily::Wenlo:
        return "wenlo";
    case HostFamily::Fnd:
        return "fnd";
    case HostFamily::None:
        break;
    }
    return "none";
}

std::vector<uint8_t> FixedText(const std::string& text, size_t size) {
    std::vector<uint8_t> out(text.begin(),
                             text.begin() + static_cast<long>(std::min(size, text.size())));
    out.resize(size, 0);
    return out;
}

HostDevice::HostDevice(const SimHostOptions& options, SimTrace& trace)
    : options_(options), trace_(trace), word_(options.word) {}

HostState HostDevice::State() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return state_;
}

void HostDevice::Install(ModuleDevice& device) {
    switch (options_.family) {
    case HostFamily::Brn:
        InstallBrn(device);
        break;
    case HostFamily::Wenlo:
        InstallWenlo(device);
        break;
    case HostFamily::Fnd:
        InstallFnd(device);
        break;
    case HostFamily::None:
        break;
    }
}

std::vector<uint8_t> HostDevice::BrnParameter(uint16_t id) const {
    switch (id) {
    case kParamSerial:
        return FixedText(options_.serialNumber, kSerialBytes);
    case kParamVersion:
        return {static_cast<uint8_t>(options_.brnVersion >> 8),
                static_cast<uint8_t>(options_.brnVersion & 0xFF)};
    case kParamType:
        return {options_.brnType};
    default:
        return {};
    }
}

ModuleDevice::UecpCommand HostDevice::Fixed(uint8_t set0, uint8_t set1, uint8_t code,
                                            std::vector<uint8_t> bytes) {
    return {true, [set0, set1, code, bytes](const SimRequest& r, SimReply& reply) {
                if (!Bare(r)) {
                    return int{kAckElementLength};
                }
                reply.frames.push_back(ModuleDevice::MecAnswer(r, set0, set1, code, bytes));
                return int{kAckOk};
            }};
}

ModuleDevice::UecpCommand HostDevice::Word(uint8_t set0, uint8_t set1, size_t extra) {
    return {true, [this, set0, set1, extra](const SimRequest& r, SimReply& reply) {
                if (!Bare(r)) {
                    return int{kAckElementLength};
                }
                uint16_t w;
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    w = word_;
                }
                std::vector<uint8_t> data = {static_cast<uint8_t>(w >> 8),
                                             static_cast<uint8_t>(w & 0xFF)};
                data.resize(2 + extra, 0);
                reply.frames.push_back(ModuleDevice::MecAnswer(r, set0, set1, 0xB1, data));
                return int{kAckOk};
            }};
}

ModuleDevice::UecpCommand HostDevice::Block() {
    return {true, [this](const SimRequest& r, SimReply&) {
                if (r.message.size() != 5 + kBlockBytes) {
                    return int{kAckElementLength};
                }
                std::array<uint8_t, kBlockBytes> block{};
                std::copy(r.message.begin() + 5, r.message.end(), block.begin());
                std::lock_guard<std::mutex> lock(mutex_);
                state_.blocks.push_back(block);
                word_ = static_cast<uint16_t>((block[0] << 8) | block[1]);
                trace_.Line("host block " + HexBytes(block.data(), block.size()));
                return int{kAckOk};
            }};
}

void HostDevice::InstallBrn(ModuleDevice& device) {
    const auto reg = [&device](uint8_t code, ModuleDevice::UecpCommand command) {
        device.RegisterUecpCommand(ModuleMode::Application, kBrn0, kBrn1, code, std::move(command));
    };
    reg(0x56, {true, [this](const SimRequest& r, SimReply& reply) {
                   // 2D 06 51 42 56 idH idL count
                   if (r.message.size() != 8) {
                       return int{kAckElementLength};
                   }
                   const uint16_t id = static_cast<uint16_t>((r.message[5] << 8) | r.message[6]);
                   const size_t count = r.message[7];
                   if (count + 8 > kMaxMessage) {
                       return int{kAckElementLength};
                   }
                   std::vector<uint8_t> data(r.message.begin() + 5, r.message.end());
                   std::vector<uint8_t> value = BrnParameter(id);
                   value.resize(count, 0);
                   data.insert(data.end(), value.begin(), value.end());
                   reply.frames.push_back(ModuleDevice::MecAnswer(r, kBrn0, kBrn1, 0x55, data));
                   return int{kAckOk};
               }});
    reg(0xB1, Word(kBrn0, kBrn1, 0));
    reg(0xB4, Word(kBrn0, kBrn1, 2));
    reg(0xB3, Block());
    reg(0xB5, Block());
    reg(0x80, {false, [this](const SimRequest& r, SimReply& reply) {
                   // 2D 04 51 42 80 X: X 00 restarts the module with the host, 01 reboots the
                   // host alone.
                   if (r.message.size() != 6 || r.message[5] > 1) {
                       trace_.Line("host reboot refused " + HexBytes(r.message));
                       return int{kAckOk};
                   }
                   const bool withModule = r.message[5] == 0;
                   {
                       std::lock_guard<std::mutex> lock(mutex_);
                       ++state_.reboots;
                       state_.moduleRestarts += withModule ? 1 : 0;
                   }
                   trace_.Line(withModule ? "host reboot module" : "host reboot alone");
                   if (withModule) {
                       reply.restart = true;
                       reply.restartMode = ModuleMode::Application;
                   }
                   return int{kAckOk};
               }});
}

void HostDevice::InstallWenlo(ModuleDevice& device) {
    const auto reg = [&device](uint8_t code, ModuleDevice::UecpCommand command) {
        device.RegisterUecpCommand(ModuleMode::Application, kWenlo0, kWenlo1, code,
                                   std::move(command));
    };
    reg(0x7F, Fixed(kWenlo0, kWenlo1, 0x7F, FixedText(options_.serialNumber, kSerialBytes)));
    reg(0x7E, Fixed(kWenlo0, kWenlo1, 0x7E, FixedText(options_.versionText, kVersionBytes)));
    reg(0x7B, Fixed(kWenlo0, kWenlo1, 0x7B, FixedText(options_.typeName, kTypeNameBytes)));
    reg(0x48, Fixed(kWenlo0, kWenlo1, 0x46, {0x00, 0x00}));
    reg(0xB1, Word(kWenlo0, kWenlo1, 0));
    reg(0xB2, Block());
}

void HostDevice::InstallFnd(ModuleDevice& device) {
    const auto reg = [&device](uint8_t code, ModuleDevice::UecpCommand command) {
        device.RegisterUecpCommand(ModuleMode::Application, kFnd0, kFnd1, code, std::move(command));
    };
    reg(0x7F, Fixed(kFnd0, kFnd1, 0x7F, FixedText(options_.serialNumber, kSerialBytes)));
    reg(0x7E, Fixed(kFnd0, kFnd1, 0x7E, FixedText(options_.versionText, kVersionBytes)));
}
