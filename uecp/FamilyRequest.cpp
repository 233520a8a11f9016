#include "uecp/FamilyRequest.h"

#include <cstring>

namespace {

constexpr uint8_t kMec = 0x2D;

} // namespace

void FillFamilyRequest(UECPMessage& message, uint8_t set0, uint8_t set1, uint8_t code,
                       const uint8_t* params, int count, uint16_t address) {
    message.data[0] = kMec;
    message.data[1] = static_cast<uint8_t>(3 + count);
    message.data[2] = set0;
    message.data[3] = set1;
    message.data[4] = code;
    if (count > 0) {
        std::memcpy(message.data + 5, params, static_cast<size_t>(count));
    }
    message.length = 5 + count;
    message.address = address;
}

void FillFamilyQuery(UECPMessage& message, uint8_t set0, uint8_t set1, uint8_t code,
                     uint8_t answerCode, const uint8_t* params, int count, uint16_t address) {
    FillFamilyRequest(message, set0, set1, code, params, count, address);
    message.answerExpected = true;
    message.answerMec = kMec;
    message.answerCode = answerCode;
}
