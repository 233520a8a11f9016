#include "sim/SimFaultInjector.h"

#include "base/FrameCrc.h"
#include "base/FrameStuffing.h"
#include "sim/ModuleDevice.h"
#include "sim/SimTrace.h"

#include <algorithm>
#include <string>

namespace {

constexpr uint8_t kAckMec = 0x18;
constexpr uint8_t kLoaderWriteData = 0x03;
constexpr uint8_t kLoaderFlashStatus = 0x06;
constexpr uint16_t kCrcAlwaysAccepted = 0x5253; // "RS": receivers take it as a valid CRC
constexpr size_t kMaxPendingCrc = 64;
constexpr uint8_t kMacAnswerMfl = 9; // the element length, where the message length (11) belongs

bool IsAck(const SimFrame& f) {
    return !f.message.empty() && f.message[0] == kAckMec;
}

bool IsMacAnswer(const SimFrame& f) {
    const std::vector<uint8_t>& m = f.message;
    return f.kind == SimFrameKind::Uecp && m.size() == 11 && m[0] == 0x2D && m[2] == 0x4E &&
           m[3] == 0x53 && m[4] == 0x04;
}

// The code byte of an answer: byte 4 of a UECP message field, byte 0 of a loader payload.
uint8_t* AnswerCode(SimFrame& f) {
    if (f.kind == SimFrameKind::Loader) {
        return f.message.empty() ? nullptr : &f.message[0];
    }
    return f.message.size() >= 5 ? &f.message[4] : nullptr;
}

void Resize(SimFrame& f, int delta) {
    const size_t floor = f.kind == SimFrameKind::Loader ? 1 : 2;
    const long size = static_cast<long>(f.message.size()) + delta;
    f.message.resize(static_cast<size_t>(std::max<long>(size, static_cast<long>(floor))), 0);
    if (f.kind == SimFrameKind::Uecp) {
        f.message[1] = static_cast<uint8_t>(f.message.size() - 2);
    }
}

// A UECP frame laid out with the given MFL byte and, when asked, a CRC that does not match.
std::vector<uint8_t> EncodeUecp(const SimFrame& f, uint8_t mfl, bool badCrc) {
    std::vector<uint8_t> plain = {0xFE, static_cast<uint8_t>(f.address >> 8),
                                  static_cast<uint8_t>(f.address & 0xFF), f.sequence, mfl};
    plain.insert(plain.end(), f.message.begin(), f.message.end());
    uint16_t crc = FrameCrc(plain.data() + 1, static_cast<int>(plain.size() - 1));
    if (badCrc) {
        crc ^= 0x0101;
        if (crc == kCrcAlwaysAccepted) {
            crc ^= 0x0303;
        }
    }
    plain.push_back(static_cast<uint8_t>(crc >> 8));
    plain.push_back(static_cast<uint8_t>(crc & 0xFF));
    plain.push_back(0xFF);
    std::vector<uint8_t> out(plain.size() * 2);
    const int n = StuffFrame(plain.data(), static_cast<int>(plain.size()), out.data(),
                             static_cast<int>(out.size()));
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return out;
}

} // namespace

SimFaultInjector::SimFaultInjector(const SimFaultOptions& options, bool macMflQuirk,
                                   SimTrace& trace)
    : options_(options), macMflQuirk_(macMflQuirk), trace_(trace),
      used_(options.commands.size(), 0) {}

bool SimFaultInjector::Take(size_t i, SimFaultKind kind, const SimRequest& request) {
    const SimCommandFault& f = options_.commands[i];
    if (f.kind != kind || !SelectsRequest(f.target, request) ||
        (f.target.times >= 0 && used_[i] >= f.target.times)) {
        return false;
    }
    ++used_[i];
    trace_.Line(std::string("fault ") + SimFaultKindName(kind) + " " + f.target.text);
    return true;
}

bool SimFaultInjector::BeforeRequest(const SimRequest& request) {
    for (size_t i = 0; i < options_.commands.size(); ++i) {
        if (Take(i, SimFaultKind::Ignore, request)) {
            return false;
        }
    }
    return next_ == nullptr || next_->BeforeRequest(request);
}

bool SimFaultInjector::Replace(const SimRequest& request, SimReply& reply) {
    for (size_t i = 0; i < options_.commands.size(); ++i) {
        if (Take(i, SimFaultKind::Nack, request)) {
            const uint8_t code = static_cast<uint8_t>(options_.commands[i].value);
            reply.frames.push_back(request.kind == SimFrameKind::Loader
                                       ? ModuleDevice::LoaderFrame({kAckMec, code})
                                       : ModuleDevice::Ack(request, code));
            return true;
        }
    }
    if (options_.flashNeverDone && request.kind == SimFrameKind::Loader &&
        !request.message.empty() && request.message[0] == kLoaderFlashStatus) {
        trace_.Line("fault flash-never-done");
        reply.frames.push_back(ModuleDevice::LoaderFrame({kLoaderFlashStatus, 0x01}));
        return true;
    }
    return next_ != nullptr && next_->Replace(request, reply);
}

void SimFaultInjector::AfterRequest(const SimRequest& request, SimReply& reply) {
    std::vector<SimFrame>& frames = reply.frames;
    for (size_t i = 0; i < options_.commands.size(); ++i) {
        const int value = options_.commands[i].value;
        if (Take(i, SimFaultKind::NoAck, request)) {
            frames.erase(std::remove_if(frames.begin(), frames.end(), IsAck), frames.end());
        } else if (Take(i, SimFaultKind::AnswerSize, request)) {
            for (SimFrame& f : frames) {
                if (!IsAck(f)) {
                    Resize(f, value);
                }
            }
        } else if (Take(i, SimFaultKind::WrongAnswer, request)) {
            std::vector<SimFrame> answers;
            for (SimFrame& f : frames) {
                uint8_t* code = IsAck(f) ? nullptr : AnswerCode(f);
                if (code != nullptr) {
                    *code ^= 0x80;
                    answers.push_back(f);
                }
            }
            for (int copy = 1; copy < value && !answers.empty(); ++copy) {
                answers.front().delayMs = kWrongAnswerGapMs;
                frames.insert(frames.end(), answers.begin(), answers.end());
            }
        } else if (Take(i, SimFaultKind::Slow, request)) {
            const auto answer = std::find_if_not(frames.begin(), frames.end(), IsAck);
            if (answer != frames.end()) {
                answer->delayMs += value;
            }
        } else if (Take(i, SimFaultKind::BadCrcAnswer, request) ||
                   Take(i, SimFaultKind::BadCrcAck, request)) {
            const bool acks = options_.commands[i].kind == SimFaultKind::BadCrcAck;
            for (const SimFrame& f : frames) {
                if (f.kind == SimFrameKind::Uecp && IsAck(f) == acks) {
                    badCrc_.push_back(f.message);
                }
            }
            while (badCrc_.size() > kMaxPendingCrc) {
                badCrc_.pop_front();
            }
        }
    }
    if (options_.resetAfterChunks > 0 && !resetDone_ && request.kind == SimFrameKind::Loader &&
        !request.message.empty() && request.message[0] == kLoaderWriteData &&
        ++chunks_ == options_.resetAfterChunks) {
        resetDone_ = true;
        trace_.Line("fault reset-after-chunks " + std::to_string(chunks_));
        reply.reset = true;
    }
    if (next_ != nullptr) {
        next_->AfterRequest(request, reply);
    }
}

void SimFaultInjector::BeforeSend(const SimFrame& frame, std::vector<uint8_t>& bytes) {
    if (next_ != nullptr) {
        next_->BeforeSend(frame, bytes);
    }
    if (frame.kind == SimFrameKind::Uecp) {
        const auto bad = std::find(badCrc_.begin(), badCrc_.end(), frame.message);
        const bool corrupt = bad != badCrc_.end();
        if (corrupt) {
            badCrc_.erase(bad);
        }
        const bool quirk = macMflQuirk_ && IsMacAnswer(frame);
        if (corrupt || quirk) {
            const uint8_t mfl = quirk ? kMacAnswerMfl : static_cast<uint8_t>(frame.message.size());
            bytes = EncodeUecp(frame, mfl, corrupt);
        }
    }
    if (options_.garbageBytes > 0) {
        std::vector<uint8_t> garbage;
        for (int i = 0; i < options_.garbageBytes; ++i) {
            garbageSeed_ = garbageSeed_ * 1103515245u + 12345u;
            const uint8_t b = static_cast<uint8_t>(garbageSeed_ >> 16);
            garbage.push_back(b == 0xFE ? 0xFF : b);
        }
        bytes.insert(bytes.begin(), garbage.begin(), garbage.end());
    }
}

bool SimFaultInjector::ComeBack(int restart) {
    if (options_.stayAwayAfter > 0 && restart >= options_.stayAwayAfter) {
        return false;
    }
    return next_ == nullptr || next_->ComeBack(restart);
}
