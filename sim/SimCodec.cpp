#include "sim/SimCodec.h"

#include "base/FrameBuilder.h"
#include "base/FrameCrc.h"
#include "base/FrameLimits.h"
#include "base/FrameStuffing.h"

#include <algorithm>

std::optional<SimRequest> DecodeSimFrame(const uint8_t* bytes, int length, ModuleMode mode) {
    if (bytes == nullptr || length <= 0 || length > kLoaderStuffedMax) {
        return std::nullopt;
    }
    uint8_t frame[kLoaderStuffedMax];
    const int t = UnstuffFrame(bytes, length, frame, kLoaderStuffedMax);
    if (t <= 0) {
        return std::nullopt;
    }
    SimRequest request;
    if (mode == ModuleMode::Loader && t >= 4 && (frame[1] != 0 || frame[2] != 0)) {
        const int payload = (frame[1] << 8) | frame[2];
        if (t == payload + 4) {
            request.kind = SimFrameKind::Loader;
            request.message.assign(frame + 3, frame + 3 + payload);
            return request;
        }
    }
    if (t < kUecpFrameMin) {
        return std::nullopt;
    }
    const int mfl = frame[4];
    const int present = std::min(mfl, t - kUecpFrameMin);
    request.kind = SimFrameKind::Uecp;
    request.address = static_cast<uint16_t>((frame[1] << 8) | frame[2]);
    request.sequence = frame[3];
    request.message.assign(frame + 5, frame + 5 + present);
    request.lengthOk = t == mfl + kUecpFrameMin;
    const uint16_t crc = static_cast<uint16_t>((frame[t - 3] << 8) | frame[t - 2]);
    request.crcOk = crc == FrameCrc(frame + 1, t - 4);
    return request;
}

std::vector<uint8_t> EncodeSimFrame(const SimFrame& frame) {
    uint8_t out[kLoaderStuffedMax];
    const int n = frame.kind == SimFrameKind::Loader
                      ? EncodeLoaderFrame(frame.message.data(),
                                          static_cast<int>(frame.message.size()), out, sizeof out)
                      : EncodeUecpFrame(frame.address, frame.sequence, frame.message.data(),
                                        static_cast<int>(frame.message.size()), out, sizeof out);
    if (n <= 0) {
        return {};
    }
    return {out, out + n};
}

void SimFrameAssembler::Feed(const uint8_t* bytes, int count,
                             std::vector<std::vector<uint8_t>>& frames) {
    for (int i = 0; i < count; ++i) {
        const uint8_t b = bytes[i];
        if (b == kFrameStart) {
            if (inFrame_) {
                ++dropped_;
            }
            buffer_.clear();
            inFrame_ = true;
        } else if (!inFrame_) {
            continue;
        }
        buffer_.push_back(b);
        if (b == kFrameStop) {
            frames.push_back(buffer_);
            Reset();
        } else if (buffer_.size() >= static_cast<size_t>(kLoaderStuffedMax)) {
            ++dropped_;
            Reset();
        }
    }
}

void SimFrameAssembler::Reset() {
    buffer_.clear();
    inFrame_ = false;
}
