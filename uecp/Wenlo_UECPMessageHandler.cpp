#include "uecp/Wenlo_UECPMessageHandler.h"

#include "uecp/DeviceInfo.h"
#include "uecp/FamilyAnswers.h"
#include "uecp/FamilyRequest.h"

namespace {

constexpr uint8_t kSet0 = 0x52; // "RS"
constexpr uint8_t kSet1 = 0x53;

enum WenloCommand : uint8_t {
    kSerialNumber = 0x7F,
    kFirmwareVersion = 0x7E,
    kTypeText = 0x7B,
    kReadWord = 0xB1,
    kWriteBlock = 0xB2,
};

constexpr int kSerialNumberBytes = 10;
constexpr int kFirmwareVersionBytes = 5;
constexpr int kTypeTextBytes = 10;

} // namespace

Wenlo_UECPMessageHandler::~Wenlo_UECPMessageHandler() {
    Close(false);
}

UECP_IO_Error Wenlo_UECPMessageHandler::WenloRequest(uint8_t code, uint8_t* buffer, int& length,
                                                     uint16_t address, bool noAck) {
    if (length < 0 || (buffer == nullptr && length > 0)) {
        return IDS_ERR_INVALID_PARAMETER;
    }
    UECPMessage message;
    FillFamilyQuery(message, kSet0, kSet1, code, WenloAnswerCode(code, length), nullptr, 0,
                    address);
    if (noAck) {
        message.ackMode = 0;
    }
    const UECP_IO_Error result = Transact(message);
    if (result != IDS_ERR_OK) {
        return result;
    }
    return DecodeWenloAnswer(code, message.answer->data(), message.answer->size(), buffer, length);
}

UECP_IO_Error Wenlo_UECPMessageHandler::ReadText(uint8_t code, std::string& text, int expected,
                                                 uint16_t address) {
    uint8_t buffer[kTextRoom];
    int length = kTextRoom;
    const UECP_IO_Error result = WenloRequest(code, buffer, length, address, false);
    if (result != IDS_ERR_OK) {
        return result;
    }
    return DecodeWenloText(buffer, length, expected, text);
}

UECP_IO_Error Wenlo_UECPMessageHandler::GetSerialNumber(std::string& text, uint16_t address) {
    return ReadText(kSerialNumber, text, kSerialNumberBytes, address);
}

UECP_IO_Error Wenlo_UECPMessageHandler::GetDeviceInfo(DeviceInfo& info, uint16_t address) {
    UECP_IO_Error result = GetSerialNumber(info.serialNumber, address);
    if (result != IDS_ERR_OK) {
        return result;
    }
    result = ReadText(kFirmwareVersion, info.firmwareVersion, kFirmwareVersionBytes, address);
    if (result != IDS_ERR_OK) {
        return result;
    }
    std::string type;
    result = ReadText(kTypeText, type, kTypeTextBytes, address);
    if (result != IDS_ERR_OK) {
        return result;
    }
    info.SetDeviceTypeName(type);
    return IDS_ERR_OK;
}

UECP_IO_Error Wenlo_UECPMessageHandler::ReadWord(uint16_t& value, uint16_t address) {
    value = 0;
    uint8_t bytes[2];
    int length = 2;
    const UECP_IO_Error result = WenloRequest(kReadWord, bytes, length, address, false);
    if (result != IDS_ERR_OK) {
        return result;
    }
    if (length != 2) {
        return IDS_ERR_UNEXPECTED_SIZE;
    }
    value = static_cast<uint16_t>((bytes[0] << 8) | bytes[1]);
    return IDS_ERR_OK;
}

UECP_IO_Error Wenlo_UECPMessageHandler::WriteBlock(const ByteBuffer& block, uint16_t address) {
    if (block.size() != kBlockBytes || block.data() == nullptr) {
        return IDS_ERR_INVALID_PARAMETER;
    }
    UECPMessage message;
    FillFamilyRequest(message, kSet0, kSet1, kWriteBlock, block.data(), kBlockBytes, address);
    return Transact(message);
}
