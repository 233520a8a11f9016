#include "base/UECP_IO_Error.h"

namespace {

constexpr const char* kUnknown = "IDS_ERR_UNKNOWN";

// Indexed by code; null where the code has no name of its own.
constexpr const char* kNames[] = {
    "IDS_ERR_OK",
    "IDS_ERR_CANCELLED_BY_USER",
    "IDS_ERR_OPEN_PARAMS_NOT_SET",
    "IDS_ERR_DEVICE_NOT_OPEN",
    "IDS_ERR_DEVICE_ALREADY_OPEN",
    "IDS_ERR_SEND_TIMEOUT",
    "IDS_ERR_SEND_BUFFER_FULL",
    "IDS_ERR_READ_TIMEOUT",
    "IDS_ERR_CONNECT",
    "IDS_ERR_CRC",
    "IDS_ERR_NO_ACK",
    "IDS_ERR_NO_ANSWER",
    "IDS_ERR_UNEXPECTED_SIZE",
    "IDS_ERR_INVALID_PARAMETER",
    "IDS_ERR_NOT_SUPPORTED",
    "IDS_ERR_FILE_CREATE",
    "IDS_ERR_FILE_OPEN",
    "IDS_ERR_FILE_READ",
    "IDS_ERR_FILE_WRITE",
    "IDS_ERR_FILE_EOF",
    "IDS_ERR_FILE_FORMAT",
    "IDS_ERR_NACK_UNDEFINED",
    "IDS_ERR_NACK_1",
    "IDS_ERR_NACK_2",
    "IDS_ERR_NACK_3",
    "IDS_ERR_NACK_4",
    "IDS_ERR_NACK_5",
    "IDS_ERR_NACK_6",
    "IDS_ERR_NACK_7",
    "IDS_ERR_NACK_8",
    "IDS_ERR_NACK_9",
    "IDS_ERR_NACK_10",
    "IDS_ERR_NACK_11",
    "IDS_ERR_NACK_12",
    "IDS_ERR_NACK_13",
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    "IDS_ERR_NACK_20",
    "IDS_ERR_NACK_21",
};

constexpr int kNameCount = static_cast<int>(sizeof(kNames) / sizeof(kNames[0]));
static_assert(kNameCount == IDS_ERR_NACK_21 + 1);

} // namespace

const char* ErrorCodeName(UECP_IO_Error code) {
    if (code < 0 || code >= kNameCount || kNames[code] == nullptr) {
        return kUnknown;
    }
    return kNames[code];
}

UECP_IO_Error AckCodeToError(uint8_t ackCode) {
    if (ackCode == 0) {
        return IDS_ERR_OK;
    }
    if (ackCode <= 17) {
        // 1..13 are the NACK codes proper; 14..17 land on the unnamed codes 35..38.
        return IDS_ERR_NACK_UNDEFINED + ackCode;
    }
    if (ackCode == 20) {
        return IDS_ERR_NACK_20;
    }
    if (ackCode == 21) {
        return IDS_ERR_NACK_21;
    }
    return IDS_ERR_NACK_UNDEFINED;
}
