#pragma once

#include <cstdint>

// Kinds of the frames a BRN device sends. Requests read only the main list (kinds 1, 7, 8);
// the other kinds are the device's own reports, each kept on a list of its own.
enum BrnFrameKind : int {
    kBrnFrameOther = 1,    // everything else, including every answer to a request
    kBrnFrameReport61 = 2, // 2D .. 51 42 61, at least 13 bytes
    kBrnFrameReport58 = 3, // 2D .. 51 42 58, at least 14 bytes
    kBrnFrameReport00 = 4, // 2D .. 51 42 00, at least 7 bytes
    kBrnFrameReport89 = 5, // 2D .. 51 42 89, at least 37 bytes
    kBrnFrameReport07 = 6, // 2D .. 51 42 07, exactly 5 bytes
    kBrnFrameAck = 7,      // 18 00 xx
    kBrnFrameNack = 8,     // 18 cc xx, cc not 0
};

// The kind of a received message field (null data or size 0: kBrnFrameOther).
int ClassifyFrame(const uint8_t* data, int size);
