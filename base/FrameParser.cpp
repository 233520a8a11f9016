#include "base/FrameParser.h"

#include "base/FrameCrc.h"
#include "base/FrameLimits.h"
#include "base/FrameStuffing.h"

#include <algorithm>

namespace {

constexpr uint16_t kCrcWildcard = 0x5253; // "RS", accepted for any content

bool CrcMatches(const uint8_t* frame, int t) {
    const uint16_t received = static_cast<uint16_t>((frame[t - 3] << 8) | frame[t - 2]);
    return received == kCrcWildcard || received == FrameCrc(frame + 1, t - 4);
}

bool IsMacAnswer(const uint8_t* frame, int t) {
    // Message field from position 5; its bytes 0, 2, 3 and 4 must lie before the CRC.
    return t >= kUecpFrameMin + 5 && frame[5] == 0x2D && frame[7] == 0x4E && frame[8] == 0x53 &&
           frame[9] == 0x04;
}

// Parses the unstuffed UECP frame frame[0..t).
std::unique_ptr<FrameData> ParseUnstuffed(const uint8_t* frame, int t, bool moduleQuirks) {
    const int mfl = t > 4 ? frame[4] : 0;
    const bool wellFormed = t >= kUecpFrameMin && mfl + kUecpFrameMin <= t;
    std::unique_ptr<FrameData> record;
    if (moduleQuirks && IsMacAnswer(frame, t)) {
        record = std::make_unique<FrameData>(t - kUecpFrameMin, frame + 5);
        record->crcOk = CrcMatches(frame, t);
    } else if (wellFormed) {
        record = std::make_unique<FrameData>(mfl, frame + 5);
        record->crcOk = CrcMatches(frame, t);
    } else {
        const int present = std::max(0, std::min(mfl, t - kUecpFrameMin));
        record = std::make_unique<FrameData>(present, frame + 5);
        record->crcOk = false;
    }
    record->sequence = t > 3 ? frame[3] : 0;
    record->lengthOk = t == mfl + kUecpFrameMin;
    return record;
}

} // namespace

std::unique_ptr<FrameData> ParseFrame(const uint8_t* bytes, int length) {
    if (bytes == nullptr || length <= 0 || length > kUecpStuffedMax) {
        return nullptr;
    }
    uint8_t frame[kUecpStuffedMax];
    const int t = UnstuffFrame(bytes, length, frame, kUecpStuffedMax);
    return ParseUnstuffed(frame, t, false);
}

std::unique_ptr<FrameData> ParseModuleFrame(const uint8_t* bytes, int length) {
    if (bytes == nullptr || length <= 0 || length > kLoaderStuffedMax) {
        return nullptr;
    }
    uint8_t frame[kLoaderStuffedMax];
    const int t = UnstuffFrame(bytes, length, frame, kLoaderStuffedMax);
    if (t >= 3 && (frame[1] != 0 || frame[2] != 0)) {
        const int payload = (frame[1] << 8) | frame[2];
        if (t == payload + 4) {
            auto record = std::make_unique<FrameData>(payload, frame + 3);
            record->crcOk = true;
            record->lengthOk = true;
            record->sequence = 0;
            return record;
        }
    }
    return ParseUnstuffed(frame, t, true);
}
