#pragma once

#include <cstdint>

// Lays out a UECP frame (STA, ADD high byte first, SQC, MFL, message, CRC high byte first, STP)
// and stuffs it into output. Returns the stuffed length, or -1 when message is null with a
// positive length, length is outside 0..255, or output holds fewer than kUecpStuffedMax bytes.
int EncodeUecpFrame(uint16_t address, uint8_t sequence, const uint8_t* message, int length,
                    uint8_t* output, int outputCapacity);

// Lays out an update-loader frame (STA, payload length high byte first, payload, STP) and
// stuffs it into output. Returns the stuffed length, or -1 when payload is null with a positive
// length, length is outside 0..kLoaderPayloadMax, or output holds fewer than kLoaderStuffedMax
// bytes.
int EncodeLoaderFrame(const uint8_t* payload, int length, uint8_t* output, int outputCapacity);
