#include "uecp/FND_UECPMessageHandler.h"

#include "uecp/DeviceInfo.h"
#include "uecp/FamilyAnswers.h"
#include "uecp/FamilyRequest.h"

namespace {

constexpr uint8_t kSet0 = 0x4D; // "MI"
constexpr uint8_t kSet1 = 0x49;
constexpr uint8_t kSerialNumber = 0x7F;
constexpr uint8_t kFirmwareVersion = 0x7E;
constexpr int kSerialNumberChars = 10;
constexpr int kFirmwareVersionChars = 5;
constexpr uint16_t kAddress = 0;

} // namespace

FND_UECPMessageHandler::~FND_UECPMessageHandler() {
    Close(false);
}

UECP_IO_Error FND_UECPMessageHandler::ReadFndText(uint8_t code, int chars, std::string& text) {
    UECPMessage message;
    FillFamilyQuery(message, kSet0, kSet1, code, code, nullptr, 0, kAddress);
    const UECP_IO_Error result = Transact(message);
    if (result != IDS_ERR_OK) {
        return result;
    }
    return DecodeFndText(message.answer->data(), message.answer->size(), chars, text);
}

UECP_IO_Error FND_UECPMessageHandler::GetDeviceInfo(DeviceInfo& info) {
    UECP_IO_Error result = ReadFndText(kSerialNumber, kSerialNumberChars, info.serialNumber);
    if (result != IDS_ERR_OK) {
        return result;
    }
    result = ReadFndText(kFirmwareVersion, kFirmwareVersionChars, info.firmwareVersion);
    if (result != IDS_ERR_OK) {
        return result;
    }
    info.SetFndDevice();
    return IDS_ERR_OK;
}
