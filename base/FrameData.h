#pragma once

#include "base/ByteBuffer.h"

#include <cstdint>

// One received frame: the message field of a UECP frame, or the payload of a loader frame.
class FrameData : public ByteBuffer {
public:
    using ByteBuffer::ByteBuffer;

    bool crcOk = false;    // the CRC matched, or the frame kind carries none
    bool lengthOk = false; // the unstuffed length equals MFL + 8 (loader frames: always true)
    uint8_t sequence = 0;  // SQC of a UECP frame; 0 for loader frames
};
