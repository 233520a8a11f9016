#pragma once

// Worst-case sizes of the two frame kinds.

// UECP frame: STA, ADD(2), SQC, MFL, up to 255 message bytes, CRC(2), STP.
constexpr int kUecpMessageMax = 255;
constexpr int kUecpFrameMin = 8;
constexpr int kUecpFrameMax = kUecpMessageMax + kUecpFrameMin; // 263 unstuffed
constexpr int kUecpStuffedMax = 2 + 2 * (kUecpFrameMax - 2);   // 524

// Update-loader frame: STA, LEN(2), payload (command byte and up to 750 data bytes), STP.
constexpr int kLoaderPayloadMax = 751;
constexpr int kLoaderFrameMax = kLoaderPayloadMax + 4;           // 755 unstuffed
constexpr int kLoaderStuffedMax = 2 + 2 * (kLoaderFrameMax - 2); // 1508

constexpr unsigned char kFrameStart = 0xFE;
constexpr unsigned char kFrameStop = 0xFF;
constexpr unsigned char kFrameEscape = 0xFD;

static_assert(kUecpStuffedMax == 524 && kLoaderStuffedMax == 1508);
