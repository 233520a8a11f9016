#pragma once

#include "sim/SimMessages.h"

#include <cstdint>
#include <optional>
#include <vector>

// The simulator's side of the framing: requests decoded from stuffed frames, replies encoded.

// Decodes one stuffed frame (0xFE .. 0xFF). While the loader runs, a frame whose bytes 1 and 2
// form its payload length (not zero) is a loader frame; every other frame is a UECP frame.
// A UECP frame shorter than 8 unstuffed bytes yields nothing. The CRC and the MFL are checked,
// not trusted: the request carries crcOk and lengthOk, and its message holds only bytes that
// are present.
std::optional<SimRequest> DecodeSimFrame(const uint8_t* bytes, int length, ModuleMode mode);

// The stuffed bytes of a frame; empty when its message is too long for its kind.
std::vector<uint8_t> EncodeSimFrame(const SimFrame& frame);

// Cuts frames out of the received stream, like the program's assembler but with room for the
// largest loader frame. Over-long frames are dropped and counted.
class SimFrameAssembler {
public:
    // Feeds bytes; each complete frame (stuffed, 0xFE .. 0xFF) is appended to frames.
    void Feed(const uint8_t* bytes, int count, std::vector<std::vector<uint8_t>>& frames);
    void Reset();
    int Dropped() const { return dropped_; }

private:
    std::vector<uint8_t> buffer_;
    bool inFrame_ = false;
    int dropped_ = 0;
};
