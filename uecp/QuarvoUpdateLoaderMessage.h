#pragma once

#include "base/FrameLimits.h"
#include "uecp/UECPMessage.h"

#include <cstdint>

// A request to the module's update loader, sent as a loader frame. Of the inherited fields it
// uses length (payload bytes to send), timeout, answerExpected, answerMec, answerCode and
// answer; data, address and ackMode are not used.
class QuarvoUpdateLoaderMessage : public UECPMessage {
public:
    static constexpr int kPayloadSize = kLoaderPayloadMax; // command byte and 750 data bytes

    uint8_t payload[kPayloadSize] = {};
    bool waitAck = false;
};
