#include "uecp/BRN_UECPMessageHandler.h"

#include "base/FrameParser.h"
#include "base/FrameQueue.h"
#include "uecp/DeviceInfo.h"
#include "uecp/FamilyAnswers.h"
#include "uecp/FamilyRequest.h"

namespace {

constexpr uint8_t kSet0 = 0x51; // "QB"
constexpr uint8_t kSet1 = 0x42;

enum BrnCommand : uint8_t {
    kReadParameter = 0x56,
    kParameterAnswer = 0x55,
    kReadWord = 0xB1,
    kReadWord2 = 0xB4,
    kWriteBlock = 0xB3,
    kWriteBlock2 = 0xB5,
    kReboot = 0x80,
};

constexpr uint16_t kParamSerialNumber = 1;
constexpr uint16_t kParamFirmwareVersion = 11;
constexpr uint16_t kParamDeviceType = 37;
constexpr int kSerialNumberBytes = 10;

constexpr int kReportListLimit = 32;
constexpr int kLatestReportLimit = 1; // kind 6 keeps only the newest report

} // namespace

BRN_UECPMessageHandler::~BRN_UECPMessageHandler() {
    Close(false);
}

FrameDataListCS* BRN_UECPMessageHandler::KindList(int kind) {
    if (kind < kBrnFrameReport61 || kind > kBrnFrameReport07) {
        return nullptr;
    }
    return &kindLists_[kind - kBrnFrameReport61];
}

void BRN_UECPMessageHandler::FrameReceived(const uint8_t* bytes, int length,
                                           const AutoFrameBuffer* /*source*/) {
    if (!IsOpen()) {
        return;
    }
    std::unique_ptr<FrameData> frame = ParseFrame(bytes, length);
    if (!frame) {
        return;
    }
    const int kind = ClassifyFrame(frame->data(), frame->size());
    if (!AcceptFrame(*frame, kind)) {
        return;
    }
    FrameDataListCS* list = KindList(kind);
    if (list == nullptr) {
        ::QueueFrame(std::move(frame), ReceivedList(), kReceivedLimit);
    } else {
        ::QueueFrame(std::move(frame), *list,
                     kind == kBrnFrameReport07 ? kLatestReportLimit : kReportListLimit);
    }
    FrameQueued(kind);
}

void BRN_UECPMessageHandler::ClearReceived() {
    UECPMessageHandler::ClearReceived();
    for (FrameDataListCS& list : kindLists_) {
        list.Clear();
    }
}

UECP_IO_Error BRN_UECPMessageHandler::ReadParameter(uint16_t id, uint8_t* buffer, int& count,
                                                    uint16_t address) {
    if (count < 0 || (buffer == nullptr && count > 0)) {
        return IDS_ERR_INVALID_PARAMETER;
    }
    if (count > kMaxParameterBytes) {
        count = kMaxParameterBytes;
    }
    const uint8_t params[3] = {static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(id & 0xFF),
                               static_cast<uint8_t>(count)};
    UECPMessage message;
    FillFamilyQuery(message, kSet0, kSet1, kReadParameter, kParameterAnswer, params, 3, address);
    const UECP_IO_Error result = Transact(message);
    if (result != IDS_ERR_OK) {
        return result;
    }
    return DecodeBrnParameter(message.answer->data(), message.answer->size(), count, buffer);
}

UECP_IO_Error BRN_UECPMessageHandler::GetSerialNumber(std::string& text, uint16_t address) {
    uint8_t serial[kSerialNumberBytes];
    int count = kSerialNumberBytes;
    const UECP_IO_Error result = ReadParameter(kParamSerialNumber, serial, count, address);
    if (result == IDS_ERR_OK) {
        text = TextUpToZero(serial, count);
    }
    return result;
}

UECP_IO_Error BRN_UECPMessageHandler::ReadFirmwareVersion(std::string& text, uint16_t address) {
    uint8_t version[2];
    int count = 2;
    const UECP_IO_Error result = ReadParameter(kParamFirmwareVersion, version, count, address);
    if (result == IDS_ERR_OK) {
        text = BrnFirmwareVersionText(static_cast<uint16_t>((version[0] << 8) | version[1]));
    }
    return result;
}

UECP_IO_Error BRN_UECPMessageHandler::GetDeviceInfo(DeviceInfo& info, uint16_t address) {
    UECP_IO_Error result = GetSerialNumber(info.serialNumber, address);
    if (result != IDS_ERR_OK) {
        return result;
    }
    uint8_t type = 0;
    int count = 1;
    result = ReadParameter(kParamDeviceType, &type, count, address);
    if (result != IDS_ERR_OK) {
        return result;
    }
    info.SetDeviceType(type);
    return ReadFirmwareVersion(info.firmwareVersion, address);
}

UECP_IO_Error BRN_UECPMessageHandler::ReadWordWith(uint8_t code, int answerSize, uint16_t& value,
                                                   uint16_t address) {
    value = 0;
    UECPMessage message;
    FillFamilyQuery(message, kSet0, kSet1, code, kReadWord, nullptr, 0, address);
    const UECP_IO_Error result = Transact(message);
    if (result != IDS_ERR_OK) {
        return result;
    }
    return DecodeBrnWord(message.answer->data(), message.answer->size(), answerSize, value);
}

UECP_IO_Error BRN_UECPMessageHandler::ReadWord(uint16_t& value, uint16_t address) {
    return ReadWordWith(kReadWord, 7, value, address);
}

UECP_IO_Error BRN_UECPMessageHandler::ReadWord2(uint16_t& value, uint16_t address) {
    return ReadWordWith(kReadWord2, 9, value, address);
}

UECP_IO_Error BRN_UECPMessageHandler::WriteBlockWith(uint8_t code, const ByteBuffer& block,
                                                     uint16_t address) {
    if (block.size() != kBlockBytes || block.data() == nullptr) {
        return IDS_ERR_INVALID_PARAMETER;
    }
    UECPMessage message;
    FillFamilyRequest(message, kSet0, kSet1, code, block.data(), kBlockBytes, address);
    return Transact(message);
}

UECP_IO_Error BRN_UECPMessageHandler::WriteBlock(const ByteBuffer& block, uint16_t address) {
    return WriteBlockWith(kWriteBlock, block, address);
}

UECP_IO_Error BRN_UECPMessageHandler::WriteBlock2(const ByteBuffer& block, uint16_t address) {
    return WriteBlockWith(kWriteBlock2, block, address);
}

UECP_IO_Error BRN_UECPMessageHandler::RebootDevice(bool flag, uint16_t address) {
    const uint8_t param = flag ? 0x00 : 0x01;
    UECPMessage message;
    FillFamilyRequest(message, kSet0, kSet1, kReboot, &param, 1, address);
    message.ackMode = 0;
    return Transact(message);
}
