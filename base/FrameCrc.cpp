#include "base/FrameCrc.h"

uint16_t FrameCrc(const uint8_t* bytes, int length) {
    uint16_t crc = 0xFFFF;
    for (int i = 0; bytes != nullptr && i < length; ++i) {
        // Byte-wise form of the bit-serial CCITT register update.
        crc = static_cast<uint16_t>((crc >> 8) | (crc << 8));
        crc ^= bytes[i];
        crc ^= static_cast<uint16_t>((crc & 0xFF) >> 4);
        crc ^= static_cast<uint16_t>(crc << 12);
        crc ^= static_cast<uint16_t>((crc & 0xFF) << 5);
    }
    return static_cast<uint16_t>(crc ^ 0xFFFF);
}
