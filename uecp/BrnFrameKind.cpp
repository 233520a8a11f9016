#include "uecp/BrnFrameKind.h"

int ClassifyFrame(const uint8_t* data, int size) {
    if (data == nullptr || size <= 0) {
        return kBrnFrameOther;
    }
    if (size == 3) {
        if (data[0] != 0x18) {
            return kBrnFrameOther;
        }
        return data[1] == 0 ? kBrnFrameAck : kBrnFrameNack;
    }
    if (size <= 4 || data[0] != 0x2D || data[2] != 0x51 || data[3] != 0x42) {
        return kBrnFrameOther;
    }
    switch (data[4]) {
    case 0x61:
        return size >= 13 ? kBrnFrameReport61 : kBrnFrameOther;
    case 0x58:
        return size >= 14 ? kBrnFrameReport58 : kBrnFrameOther;
    case 0x00:
        return size >= 7 ? kBrnFrameReport00 : kBrnFrameOther;
    case 0x89:
        return size >= 37 ? kBrnFrameReport89 : kBrnFrameOther;
    case 0x07:
        return size == 5 ? kBrnFrameReport07 : kBrnFrameOther;
    default:
        return kBrnFrameOther;
    }
}
