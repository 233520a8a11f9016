#pragma once

#include <cstdint>

// Result code of every transport, protocol and workflow operation; 0 is success.
using UECP_IO_Error = int32_t;

// The named result codes. The identifier of each is also the key of its text in the string
// table section "UECP_IO_Errors". Codes 35 to 38 have no name of their own and read as
// "IDS_ERR_UNKNOWN".
enum : UECP_IO_Error {
    IDS_ERR_OK = 0,
    IDS_ERR_CANCELLED_BY_USER = 1,
    IDS_ERR_OPEN_PARAMS_NOT_SET = 2,
    IDS_ERR_DEVICE_NOT_OPEN = 3,
    IDS_ERR_DEVICE_ALREADY_OPEN = 4,
    IDS_ERR_SEND_TIMEOUT = 5,
    IDS_ERR_SEND_BUFFER_FULL = 6,
    IDS_ERR_READ_TIMEOUT = 7,
    IDS_ERR_CONNECT = 8,
    IDS_ERR_CRC = 9,
    IDS_ERR_NO_ACK = 10,
    IDS_ERR_NO_ANSWER = 11,
    IDS_ERR_UNEXPECTED_SIZE = 12,
    IDS_ERR_INVALID_PARAMETER = 13,
    IDS_ERR_NOT_SUPPORTED = 14,
    IDS_ERR_FILE_CREATE = 15,
    IDS_ERR_FILE_OPEN = 16,
    IDS_ERR_FILE_READ = 17,
    IDS_ERR_FILE_WRITE = 18,
    IDS_ERR_FILE_EOF = 19,
    IDS_ERR_FILE_FORMAT = 20,
    IDS_ERR_NACK_UNDEFINED = 21,
    IDS_ERR_NACK_1 = 22,
    IDS_ERR_NACK_2 = 23,
    IDS_ERR_NACK_3 = 24,
    IDS_ERR_NACK_4 = 25,
    IDS_ERR_NACK_5 = 26,
    IDS_ERR_NACK_6 = 27,
    IDS_ERR_NACK_7 = 28,
    IDS_ERR_NACK_8 = 29,
    IDS_ERR_NACK_9 = 30,
    IDS_ERR_NACK_10 = 31,
    IDS_ERR_NACK_11 = 32,
    IDS_ERR_NACK_12 = 33,
    IDS_ERR_NACK_13 = 34,
    IDS_ERR_NACK_20 = 39,
    IDS_ERR_NACK_21 = 40,
};

// Identifier of a result code ("IDS_ERR_..."); "IDS_ERR_UNKNOWN" for every value without a
// name of its own. The returned text is static.
const char* ErrorCodeName(UECP_IO_Error code);

// Result code for a UECP acknowledgement code byte: 0 stays 0, 1..13 become the NACK codes
// 22..34, 14..17 become 35..38, 20 and 21 become 39 and 40, anything else 21.
UECP_IO_Error AckCodeToError(uint8_t ackCode);
