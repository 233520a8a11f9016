#include "uecp/FamilyAnswers.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int kBrnParameterHeader = 8;
constexpr int kWenloDataStart = 5;
constexpr int kWenloStatusDataStart = 6; // answers to 0xCE carry one more byte before the data
constexpr int kFndTextStart = 5;

int SizeOf(const uint8_t* data, int size) {
    return data == nullptr || size < 0 ? 0 : size;
}

} // namespace

std::string TextUpToZero(const uint8_t* bytes, int count) {
    if (bytes == nullptr || count <= 0) {
        return {};
    }
    const void* zero = std::memchr(bytes, 0, static_cast<size_t>(count));
    const int n =
        zero == nullptr ? count : static_cast<int>(static_cast<const uint8_t*>(zero) - bytes);
    return std::string(reinterpret_cast<const char*>(bytes), static_cast<size_t>(n));
}

UECP_IO_Error DecodeBrnParameter(const uint8_t* data, int size, int count, uint8_t* buffer) {
    if (count < 0 || SizeOf(data, size) != count + kBrnParameterHeader) {
        return IDS_ERR_UNEXPECTED_SIZE;
    }
    if (count > 0) {
        std::memcpy(buffer, data + kBrnParameterHeader, static_cast<size_t>(count));
    }
    return IDS_ERR_OK;
}

std::string BrnFirmwareVersionText(uint16_t v) {
    char text[32];
    if (v <= 999) {
        std::snprintf(text, sizeof text, "%d.%02d", v / 100, v % 100);
    } else {
        std::snprintf(text, sizeof text, "%d.%.02d.%d", v / 1000, (v % 1000) / 10, v % 10);
    }
    return text;
}

UECP_IO_Error DecodeBrnWord(const uint8_t* data, int size, int requiredSize, uint16_t& value) {
    if (requiredSize < 7 || SizeOf(data, size) != requiredSize) {
        return IDS_ERR_UNEXPECTED_SIZE;
    }
    value = static_cast<uint16_t>((data[5] << 8) | data[6]);
    return IDS_ERR_OK;
}

uint8_t WenloAnswerCode(uint8_t code, int length) {
    return code == 0x48 && length == 2 ? 0x46 : code;
}

UECP_IO_Error DecodeWenloAnswer(uint8_t code, const uint8_t* data, int size, uint8_t* buffer,
                                int& length) {
    const int start = code == 0xCE ? kWenloStatusDataStart : kWenloDataStart;
    const int n = SizeOf(data, size);
    const int count = n > start ? n - start : 0;
    if (count > length) {
        return IDS_ERR_UNEXPECTED_SIZE;
    }
    if (count > 0) {
        std::memcpy(buffer, data + start, static_cast<size_t>(count));
    }
    length = count;
    return IDS_ERR_OK;
}

UECP_IO_Error DecodeWenloText(const uint8_t* bytes, int length, int expected, std::string& text) {
    if (expected != -1 && length != expected) {
        return IDS_ERR_UNEXPECTED_SIZE;
    }
    text = TextUpToZero(bytes, length);
    return IDS_ERR_OK;
}

UECP_IO_Error DecodeFndText(const uint8_t* data, int size, int chars, std::string& text) {
    if (chars < 0 || SizeOf(data, size) != chars + kFndTextStart) {
        return IDS_ERR_UNEXPECTED_SIZE;
    }
    text.assign(reinterpret_cast<const char*>(data + kFndTextStart), static_cast<size_t>(chars));
    return IDS_ERR_OK;
}
