#pragma once

#include "base/FrameData.h"

#include <cstdint>
#include <initializer_list>
#include <memory>

// One request to a device: the message field to send, how to wait, and which answer to take.
// The matched answer is stored back into the message, which owns it.
class UECPMessage {
public:
    static constexpr int kDataSize = 256;

    UECPMessage() = default;
    UECPMessage(const UECPMessage&) = delete;
    UECPMessage& operator=(const UECPMessage&) = delete;
    virtual ~UECPMessage() = default;

    // Copies the bytes to the start of data and sets length.
    void SetData(std::initializer_list<uint8_t> bytes);

    uint8_t data[kDataSize] = {}; // MEC first, then the element's bytes
    int32_t length = 0;           // bytes of data to send; becomes MFL
    uint16_t address = 0;
    int32_t ackMode = -1; // -1 handler default (wait), 1 wait, anything else: do not
    bool answerExpected = false;
    int32_t timeout = -1;   // ms per wait; negative: the connection's read time-out
    uint8_t answerMec = 0;  // first byte the answer must have; 0 accepts any
    uint8_t answerCode = 0; // byte 4 the answer must have; 0 accepts any
    std::unique_ptr<FrameData> answer;
};
