#include "base/FrameBuilder.h"

#include "base/FrameCrc.h"
#include "base/FrameLimits.h"
#include "base/FrameStuffing.h"

#include <cstring>

int EncodeUecpFrame(uint16_t address, uint8_t sequence, const uint8_t* message, int length,
                    uint8_t* output, int outputCapacity) {
    if (length < 0 || length > kUecpMessageMax || (message == nullptr && length > 0) ||
        output == nullptr || outputCapacity < kUecpStuffedMax) {
        return -1;
    }
    uint8_t frame[kUecpFrameMax];
    int n = 0;
    frame[n++] = kFrameStart;
    frame[n++] = static_cast<uint8_t>(address >> 8);
    frame[n++] = static_cast<uint8_t>(address & 0xFF);
    frame[n++] = sequence;
    frame[n++] = static_cast<uint8_t>(length);
    if (length > 0) {
        std::memcpy(frame + n, message, static_cast<size_t>(length));
        n += length;
    }
    const uint16_t crc = FrameCrc(frame + 1, length + 4);
    frame[n++] = static_cast<uint8_t>(crc >> 8);
    frame[n++] = static_cast<uint8_t>(crc & 0xFF);
    frame[n++] = kFrameStop;
    return StuffFrame(frame, n, output, outputCapacity);
}

int EncodeLoaderFrame(const uint8_t* payload, int length, uint8_t* output, int outputCapacity) {
    if (length < 0 || length > kLoaderPayloadMax || (payload == nullptr && length > 0) ||
        output == nullptr || outputCapacity < kLoaderStuffedMax) {
        return -1;
    }
    uint8_t frame[kLoaderFrameMax];
    int n = 0;
    frame[n++] = kFrameStart;
    frame[n++] = static_cast<uint8_t>(length >> 8);
    frame[n++] = static_cast<uint8_t>(length & 0xFF);
    if (length > 0) {
        std::memcpy(frame + n, payload, static_cast<size_t>(length));
        n += length;
    }
    frame[n++] = kFrameStop;
    return StuffFrame(frame, n, output, outputCapacity);
}
