#pragma once

#include "base/FrameData.h"

#include <cstdint>
#include <memory>

// Turns one stuffed UECP frame (0xFE .. 0xFF, as cut out by the assembler) into a record.
//
// data is the message field (MFL bytes from position 5 of the unstuffed frame), sequence the
// SQC byte, lengthOk whether the unstuffed length T equals MFL + 8, and crcOk whether the CRC
// bytes equal FrameCrc over ADD..MSG (T - 4 bytes) or the literal "RS" (0x5253).
//
// A malformed frame (T < 8, or MFL + 8 > T) is still returned, so that a waiting request sees a
// CRC error rather than silence: crcOk and lengthOk are false, and data holds only the message
// bytes actually present before the CRC (none when T < 8). Nothing outside the frame is read.
//
// Returns null for a null or empty input and for an input longer than kUecpStuffedMax bytes,
// which no assembler delivers.
std::unique_ptr<FrameData> ParseFrame(const uint8_t* bytes, int length);

// Like ParseFrame, but also recognises the module's update-loader frames: when the unstuffed
// bytes 1 and 2 are not both zero and form a length L with T == L + 4, the record holds the L
// payload bytes with crcOk and lengthOk set and sequence 0. The module's MAC-address answer
// (2D ?? 4E 53 04 ...) takes T - 8 bytes as its data, whatever its MFL says; its crcOk is the
// CRC check alone. Accepts inputs of up to kLoaderStuffedMax bytes.
std::unique_ptr<FrameData> ParseModuleFrame(const uint8_t* bytes, int length);
