#pragma once

#include <cstdint>

class AutoFrameBuffer;

// Receives the frames that an assembler cuts out of a byte stream.
class FrameReader {
public:
    virtual ~FrameReader() = default;

    // One complete, still stuffed frame from 0xFE to 0xFF inclusive. The bytes are valid only
    // during the call; source is the assembler that cut it out.
    virtual void FrameReceived(const uint8_t* bytes, int length, const AutoFrameBuffer* source) = 0;

    // A partial frame was discarded.
    virtual void FrameDropped() {}
};
