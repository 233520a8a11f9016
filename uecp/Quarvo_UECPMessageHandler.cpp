#include "uecp/Quarvo_UECPMessageHandler.h"

#include "base/FrameBuilder.h"
#include "base/FrameLimits.h"
#include "base/FrameParser.h"
#include "base/FrameQueue.h"
#include "uecp/QuarvoAnswers.h"

#include <cstring>
#include <mutex>

namespace {

constexpr uint8_t kMec = 0x2D;

enum ModuleCommand : uint8_t {
    kGetStatus = 0x02,
    kStartLoader = 0x03,
    kGetMac = 0x04,
    kSetMac = 0x05,
    kGetBridgeVersion = 0x09,
    kReboot = 0x80,
};

enum LoaderCommand : uint8_t {
    kLoaderRestart = 0x01,
    kLoaderWriteData = 0x03,
    kLoaderStartFlash = 0x04,
    kLoaderResetFlash = 0x05,
    kLoaderFlashStatus = 0x06,
    kLoaderRequestRestart = 0x07,
    kLoaderSetFlashOffset = 0x08,
    kLoaderGetVersion = 0x09,
};

} // namespace

Quarvo_UECPMessageHandler::~Quarvo_UECPMessageHandler() {
    Close(false);
}

void Quarvo_UECPMessageHandler::FrameReceived(const uint8_t* bytes, int length,
                                              const AutoFrameBuffer* /*source*/) {
    ::QueueFrame(ParseModuleFrame(bytes, length), ReceivedList(), kReceivedLimit);
}

void Quarvo_UECPMessageHandler::FillModuleRequest(UECPMessage& message, uint8_t code,
                                                  const uint8_t* params, int count,
                                                  uint16_t address) {
    message.data[0] = kMec;
    message.data[1] = static_cast<uint8_t>(3 + count);
    message.data[2] = 0x4E; // "NS": the module's command set
    message.data[3] = 0x53;
    message.data[4] = code;
    if (count > 0) {
        std::memcpy(message.data + 5, params, static_cast<size_t>(count));
    }
    message.length = 5 + count;
    message.address = address;
}

UECP_IO_Error Quarvo_UECPMessageHandler::GetModuleStatus(int& status, uint16_t address) {
    UECPMessage message;
    FillModuleRequest(message, kGetStatus, nullptr, 0, address);
    message.answerExpected = true;
    message.answerMec = kMec;
    message.answerCode = kGetStatus;
    const UECP_IO_Error result = Transact(message);
    if (result != IDS_ERR_OK) {
        return result;
    }
    return DecodeModuleStatus(message.answer->data(), message.answer->size(), status);
}

UECP_IO_Error Quarvo_UECPMessageHandler::StartUpdateLoader(uint16_t address) {
    UECPMessage message;
    FillModuleRequest(message, kStartLoader, nullptr, 0, address);
    return Transact(message);
}

UECP_IO_Error Quarvo_UECPMessageHandler::GetMacAddress(std::array<uint8_t, 6>& mac,
                                                       uint16_t address) {
    mac.fill(0);
    UECPMessage message;
    FillModuleRequest(message, kGetMac, nullptr, 0, address);
    message.answerExpected = true;
    message.answerMec = kMec;
    message.answerCode = kGetMac;
    const UECP_IO_Error result = Transact(message);
    if (result != IDS_ERR_OK) {
        return result;
    }
    return DecodeMacAddress(message.answer->data(), message.answer->size(), mac);
}

UECP_IO_Error Quarvo_UECPMessageHandler::SetMacAddress(const std::array<uint8_t, 6>& mac,
                                                       int32_t timeout, uint16_t address) {
    UECPMessage message;
    FillModuleRequest(message, kSetMac, mac.data(), 6, address);
    message.timeout = timeout;
    return Transact(message);
}

UECP_IO_Error Quarvo_UECPMessageHandler::RebootModule(uint16_t address) {
    UECPMessage message;
    FillModuleRequest(message, kReboot, nullptr, 0, address);
    message.ackMode = 0;
    return Transact(message);
}

UECP_IO_Error Quarvo_UECPMessageHandler::GetBridgeVersion(std::string& text, uint16_t address) {
    text.clear();
    UECPMessage message;
    FillModuleRequest(message, kGetBridgeVersion, nullptr, 0, address);
    message.answerExpected = true;
    message.answerMec = kMec;
    message.answerCode = kGetBridgeVersion;
    const UECP_IO_Error result = Transact(message);
    if (result != IDS_ERR_OK) {
        return result;
    }
    return DecodeBridgeVersion(message.answer->data(), message.answer->size(), text);
}

int Quarvo_UECPMessageHandler::BuildLoaderFrame(const QuarvoUpdateLoaderMessage& message,
                                                uint8_t* output, int outputCapacity) const {
    return EncodeLoaderFrame(message.payload, message.length, output, outputCapacity);
}

UECP_IO_Error Quarvo_UECPMessageHandler::SendLoaderMessage(QuarvoUpdateLoaderMessage& message) {
    if (Transport() == nullptr) {
        return IDS_ERR_DEVICE_NOT_OPEN;
    }
    std::lock_guard<MyCriticalSection> lock(*this);
    uint8_t frame[kLoaderStuffedMax];
    const int length = BuildLoaderFrame(message, frame, sizeof frame);
    UECP_IO_Error result = length < 0 ? IDS_ERR_INVALID_PARAMETER : SendBytes(frame, length);
    if (message.waitAck && result == IDS_ERR_OK) {
        result = WaitAck(message);
    }
    if (message.answerExpected && result == IDS_ERR_OK) {
        result = WaitAnswer(message);
    }
    return result;
}

UECP_IO_Error Quarvo_UECPMessageHandler::SendLoaderCommand(uint8_t code) {
    QuarvoUpdateLoaderMessage message;
    message.payload[0] = code;
    message.length = 1;
    return SendLoaderMessage(message);
}

UECP_IO_Error Quarvo_UECPMessageHandler::LoaderRestart() {
    return SendLoaderCommand(kLoaderRestart);
}

UECP_IO_Error Quarvo_UECPMessageHandler::LoaderWriteData(const uint8_t* bytes, int count) {
    if (count < 0 || count > kMaxWriteData || (bytes == nullptr && count > 0)) {
        return IDS_ERR_INVALID_PARAMETER;
    }
    QuarvoUpdateLoaderMessage message;
    message.payload[0] = kLoaderWriteData;
    if (count > 0) {
        std::memcpy(message.payload + 1, bytes, static_cast<size_t>(count));
    }
    message.length = 1 + count;
    return SendLoaderMessage(message);
}

UECP_IO_Error Quarvo_UECPMessageHandler::LoaderStartFlash() {
    return SendLoaderCommand(kLoaderStartFlash);
}

UECP_IO_Error Quarvo_UECPMessageHandler::LoaderResetFlash() {
    return SendLoaderCommand(kLoaderResetFlash);
}

UECP_IO_Error Quarvo_UECPMessageHandler::LoaderFlashStatus(bool& done) {
    QuarvoUpdateLoaderMessage message;
    message.payload[0] = kLoaderFlashStatus;
    message.length = 1;
    message.answerExpected = true;
    message.answerMec = kLoaderFlashStatus;
    const UECP_IO_Error result = SendLoaderMessage(message);
    if (result != IDS_ERR_OK) {
        return result;
    }
    return DecodeLoaderFlashStatus(message.answer->data(), message.answer->size(), done);
}

UECP_IO_Error Quarvo_UECPMessageHandler::LoaderRequestRestart() {
    QuarvoUpdateLoaderMessage message;
    message.payload[0] = kLoaderRequestRestart;
    message.length = 1;
    message.waitAck = true;
    return SendLoaderMessage(message);
}

UECP_IO_Error Quarvo_UECPMessageHandler::LoaderSetFlashOffset(uint32_t offset) {
    QuarvoUpdateLoaderMessage message;
    message.payload[0] = kLoaderSetFlashOffset;
    message.payload[1] = static_cast<uint8_t>(offset >> 24);
    message.payload[2] = static_cast<uint8_t>(offset >> 16);
    message.payload[3] = static_cast<uint8_t>(offset >> 8);
    message.payload[4] = static_cast<uint8_t>(offset);
    message.length = 5;
    return SendLoaderMessage(message);
}

UECP_IO_Error Quarvo_UECPMessageHandler::LoaderGetVersion(std::string& text) {
    text.clear();
    QuarvoUpdateLoaderMessage message;
    message.payload[0] = kLoaderGetVersion;
    message.length = 1;
    message.answerExpected = true;
    message.answerMec = kLoaderGetVersion;
    const UECP_IO_Error result = SendLoaderMessage(message);
    if (result != IDS_ERR_OK) {
        return result;
    }
    return DecodeLoaderVersion(message.answer->data(), message.answer->size(), text);
}
