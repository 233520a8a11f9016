#pragma once

#include <cstdint>

// Byte stuffing between the first and the last byte of a frame: 0xFD, 0xFE and 0xFF are sent
// as 0xFD 0x00, 0xFD 0x01 and 0xFD 0x02. The first and last bytes are copied as they are.

// Stuffs input into output and returns the output length, or -1 when input is null with a
// positive length, or output cannot hold the worst case (2 * inputLength - 2; 1 for one byte).
int StuffFrame(const uint8_t* input, int inputLength, uint8_t* output, int outputCapacity);

// The reverse. An 0xFD not followed by 0x00, 0x01 or 0x02 inside the frame stays as it is and
// its follower is read as an ordinary byte; the last byte is never taken as part of an escape.
// Returns the output length (never more than inputLength), or -1 when input is null with a
// positive length or output is smaller than inputLength.
int UnstuffFrame(const uint8_t* input, int inputLength, uint8_t* output, int outputCapacity);
