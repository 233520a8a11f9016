#include "uecp/QuarvoAnswers.h"

namespace {

bool HasSize(const uint8_t* data, int size, int expected) {
    return data != nullptr && size == expected;
}

} // namespace

UECP_IO_Error DecodeModuleStatus(const uint8_t* data, int size, int& status) {
    if (!HasSize(data, size, 6)) {
        return IDS_ERR_UNEXPECTED_SIZE;
    }
    status = data[5];
    return IDS_ERR_OK;
}

UECP_IO_Error DecodeMacAddress(const uint8_t* data, int size, std::array<uint8_t, 6>& mac) {
    if (!HasSize(data, size, 11)) {
        return IDS_ERR_UNEXPECTED_SIZE;
    }
    for (int i = 0; i < 6; ++i) {
        mac[static_cast<size_t>(i)] = data[5 + i];
    }
    return IDS_ERR_OK;
}

UECP_IO_Error DecodeBridgeVersion(const uint8_t* data, int size, std::string& text) {
    text.clear();
    if (!HasSize(data, size, 10)) {
        return IDS_ERR_UNEXPECTED_SIZE;
    }
    if (data[5] != '0') {
        text += static_cast<char>(data[5]);
    }
    text.append(reinterpret_cast<const char*>(data + 6), 3);
    if (data[6] == '.') {
        text += '.';
    }
    text += static_cast<char>(data[9]);
    return IDS_ERR_OK;
}

UECP_IO_Error DecodeLoaderFlashStatus(const uint8_t* data, int size, bool& done) {
    if (!HasSize(data, size, 2)) {
        return IDS_ERR_UNEXPECTED_SIZE;
    }
    done = data[1] == 0;
    return IDS_ERR_OK;
}

UECP_IO_Error DecodeLoaderVersion(const uint8_t* data, int size, std::string& text) {
    text.clear();
    if (!HasSize(data, size, 6)) {
        return IDS_ERR_UNEXPECTED_SIZE;
    }
    if (data[1] != '0') {
        text += static_cast<char>(data[1]);
    }
    text.append(reinterpret_cast<const char*>(data + 2), 4);
    return IDS_ERR_OK;
}
