#include "uecp/UECPMessageHandler.h"

#include "base/FrameBuilder.h"
#include "base/FrameLimits.h"
#include "base/FrameParser.h"
#include "base/FrameQueue.h"
#include "base/Stopwatch.h"
#include "io/TCP_UECP_IO_2.h"
#include "io/UECP_IO.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace {

// What is left of a wait of timeoutMs that started when watch did.
uint32_t Remaining(const Stopwatch& watch, uint32_t timeoutMs) {
    const uint32_t elapsed = watch.Elapsed();
    return elapsed < timeoutMs ? timeoutMs - elapsed : 0;
}

} // namespace

UECPMessageHandler::UECPMessageHandler() = default;

UECPMessageHandler::~UECPMessageHandler() {
    if (transport_) {
        transport_->Close(false);
        SetTransport(nullptr);
    }
}

void UECPMessageHandler::FrameReceived(const uint8_t* bytes, int length,
                                       const AutoFrameBuffer* /*source*/) {
    ::QueueFrame(ParseFrame(bytes, length), received_, kReceivedLimit);
}

UECP_IO_Error UECPMessageHandler::GetSerialNumber(std::string& /*text*/, uint16_t /*address*/) {
    return IDS_ERR_NOT_SUPPORTED;
}

UECP_IO_Error UECPMessageHandler::GetDeviceInfo(DeviceInfo& /*info*/, uint16_t /*address*/) {
    return IDS_ERR_NOT_SUPPORTED;
}

UECP_IO_Error UECPMessageHandler::ReadWord(uint16_t& /*value*/, uint16_t /*address*/) {
    return IDS_ERR_NOT_SUPPORTED;
}

UECP_IO_Error UECPMessageHandler::WriteBlock(const ByteBuffer& /*block*/, uint16_t /*address*/) {
    return IDS_ERR_NOT_SUPPORTED;
}

void UECPMessageHandler::SetTransport(std::unique_ptr<UECP_IO> transport) {
    transport_ = std::move(transport);
    open_.store(transport_ != nullptr, std::memory_order_release);
}

UECP_IO_Error UECPMessageHandler::Open() {
    if (transport_) {
        return IDS_ERR_DEVICE_ALREADY_OPEN;
    }
    sequence_ = 0;
    ClearReceived();
    if (!params_) {
        return IDS_ERR_OPEN_PARAMS_NOT_SET;
    }
    const auto* tcp = dynamic_cast<const TCP_ConnectionParams*>(params_.get());
    if (params_->kind != UECP_IO_ConnectionParams::kKindTcp || tcp == nullptr) {
        return IDS_ERR_NOT_SUPPORTED;
    }
    auto transport = std::make_unique<TCP_UECP_IO_2>(this);
    TCP_UECP_IO_2* raw = transport.get();
    SetTransport(std::move(transport));
    const UECP_IO_Error result = raw->Open(*tcp);
    if (result != IDS_ERR_OK) {
        Close(true);
    }
    return result;
}

void UECPMessageHandler::Close(bool abort) {
    if (transport_) {
        transport_->Close(abort);
        SetTransport(nullptr);
    }
}

void UECPMessageHandler::SetConnectionParams(const TCP_ConnectionParams& params) {
    auto copy = std::make_unique<TCP_ConnectionParams>(TCP_ConnectionParams::kDefaultHost,
                                                       TCP_ConnectionParams::kDefaultPort);
    copy->CopyFrom(params);
    copy->SetHost(params.host);
    copy->address = params.address;
    copy->port = params.port;
    params_ = std::move(copy);
}

UECP_IO_Error UECPMessageHandler::TransferConnection(UECPMessageHandler& target) {
    if (!params_) {
        return IDS_ERR_OPEN_PARAMS_NOT_SET;
    }
    if (!transport_) {
        return IDS_ERR_DEVICE_NOT_OPEN;
    }
    if (&target == this) {
        return IDS_ERR_OK;
    }
    transport_->SetFrameReader(nullptr);
    std::unique_ptr<UECP_IO> transport = std::move(transport_);
    SetTransport(nullptr);
    std::unique_ptr<UECP_IO_ConnectionParams> params = std::move(params_);

    target.Close(false);
    target.params_.reset();

    // The target holds the transport before frames reach it, so it never sees itself closed.
    UECP_IO* raw = transport.get();
    target.params_ = std::move(params);
    target.SetTransport(std::move(transport));
    raw->SetFrameReader(&target);
    return IDS_ERR_OK;
}

uint32_t UECPMessageHandler::WaitTimeout(int32_t timeout) const {
    if (timeout >= 0) {
        return static_cast<uint32_t>(timeout);
    }
    return params_ ? params_->readTimeout : TCP_ConnectionParams().readTimeout;
}

UECP_IO_Error UECPMessageHandler::NextFrame(std::unique_ptr<FrameData>& result,
                                            FrameDataListCS* list, int32_t timeout) {
    return ::NextFrame(result, list != nullptr ? *list : received_, WaitTimeout(timeout));
}

bool UECPMessageHandler::AwaitsAck(int32_t ackMode) const {
    return ackMode == 1 || (ackMode == -1 && defaultAck_);
}

void UECPMessageHandler::AdvanceSequence() {
    sequence_ = sequence_ == 255 ? 1 : static_cast<uint8_t>(sequence_ + 1);
}

void UECPMessageHandler::ClearReceived() {
    received_.Clear();
}

int UECPMessageHandler::BuildFrame(const UECPMessage& message, uint8_t* output,
                                   int outputCapacity) const {
    return EncodeUecpFrame(message.address, sequence_, message.data, message.length, output,
                           outputCapacity);
}

UECP_IO_Error UECPMessageHandler::SendBytes(const uint8_t* bytes, int length) {
    if (!transport_) {
        return IDS_ERR_DEVICE_NOT_OPEN;
    }
    transport_->ClearSendBuffer();
    received_.Clear();
    const UECP_IO_Error result = transport_->Send(bytes, length);
    if (result == IDS_ERR_OK) {
        FrameSent(bytes, length);
    }
    return result;
}

UECP_IO_Error UECPMessageHandler::SendFrame(UECPMessage& message) {
    uint8_t frame[kUecpStuffedMax];
    const int length = BuildFrame(message, frame, sizeof frame);
    if (length < 0) {
        return IDS_ERR_INVALID_PARAMETER;
    }
    return SendBytes(frame, length);
}

bool UECPMessageHandler::TakeAck(std::unique_ptr<FrameData>& ack, uint32_t timeoutMs) {
    Stopwatch watch;
    do {
        std::unique_ptr<FrameData> frame;
        // Time-outs and CRC errors only end this look; the wait goes on until its limit. Each
        // look gets what is left of the limit, so that frames arriving late cannot stretch it.
        if (::NextFrame(frame, received_, Remaining(watch, timeoutMs)) == IDS_ERR_OK &&
            frame->size() >= 2 && frame->data()[0] == kAckMec) {
            ack = std::move(frame);
            return true;
        }
    } while (watch.Elapsed() < timeoutMs);
    return false;
}

UECP_IO_Error UECPMessageHandler::WaitAck(UECPMessage& message) {
    std::unique_ptr<FrameData> ack;
    if (!TakeAck(ack, WaitTimeout(message.timeout))) {
        return IDS_ERR_NO_ACK;
    }
    return AckCodeToError(ack->data()[1]);
}

UECP_IO_Error UECPMessageHandler::WaitAnswer(UECPMessage& message) {
    const uint32_t timeoutMs = WaitTimeout(message.timeout);
    Stopwatch watch;
    do {
        std::unique_ptr<FrameData> frame;
        // Each look gets what is left of the limit, so that frames arriving late cannot stretch
        // the wait. A look that the limit cuts short right after a frame that did not match
        // (within the last half of the wait) ends a wait in which frames kept coming: no answer.
        // One that met silence for longer is a read time-out.
        const uint32_t left = Remaining(watch, timeoutMs);
        const UECP_IO_Error result = ::NextFrame(frame, received_, left);
        if (result == IDS_ERR_READ_TIMEOUT && left < timeoutMs / 2) {
            return IDS_ERR_NO_ANSWER;
        }
        if (result != IDS_ERR_OK) {
            return result;
        }
        const uint8_t* d = frame->data();
        const int n = frame->size();
        const bool mecOk = message.answerMec == 0 || (n >= 1 && d[0] == message.answerMec);
        const bool codeOk = message.answerCode == 0 || (n >= 5 && d[4] == message.answerCode);
        if (mecOk && codeOk) {
            message.answer = std::move(frame);
            return IDS_ERR_OK;
        }
    } while (watch.Elapsed() < timeoutMs);
    return IDS_ERR_NO_ANSWER;
}

UECP_IO_Error UECPMessageHandler::Transact(UECPMessage& message) {
    std::lock_guard<MyCriticalSection> lock(*this);
    if (!transport_) {
        return IDS_ERR_DEVICE_NOT_OPEN;
    }
    UECP_IO_Error result = SendFrame(message);
    if (result == IDS_ERR_OK && AwaitsAck(message.ackMode)) {
        result = WaitAck(message);
    }
    if (result == IDS_ERR_OK && message.answerExpected) {
        result = WaitAnswer(message);
    }
    AdvanceSequence();
    return result;
}

UECP_IO_Error UECPMessageHandler::TransactElements(UECPElementsRequest& request) {
    std::lock_guard<MyCriticalSection> lock(*this);
    if (!transport_) {
        return IDS_ERR_DEVICE_NOT_OPEN;
    }
    request.results.clear();
    request.answers.clear();

    UECPMessage message;
    const int32_t length = std::clamp<int32_t>(request.length, -1, UECPMessage::kDataSize);
    if (length > 0) {
        std::memcpy(message.data, request.data, static_cast<size_t>(length));
    }
    message.length = request.length;
    message.address = request.address;
    message.timeout = request.timeout;
    UECP_IO_Error stage = SendFrame(message);

    if (stage == IDS_ERR_OK && AwaitsAck(request.ackMode)) {
        std::unique_ptr<FrameData> ack;
        if (!TakeAck(ack, WaitTimeout(request.timeout))) {
            stage = IDS_ERR_NO_ACK;
        } else {
            const uint8_t* d = ack->data();
            const int n = ack->size();
            const size_t count = request.elements.size();
            if (n == 2 || n == 3) {
                request.results.assign(count, AckCodeToError(d[1]));
            } else {
                // One entry per element: the code, then one more byte after a 0, two otherwise.
                for (int pos = 1; pos < n && request.results.size() < count;) {
                    request.results.push_back(AckCodeToError(d[pos]));
                    pos += d[pos] == 0 ? 2 : 3;
                }
            }
            for (UECP_IO_Error r : request.results) {
                if (r != IDS_ERR_OK) {
                    stage = r;
                    break;
                }
            }
        }
    }

    UECP_IO_Error walk = IDS_ERR_OK;
    for (size_t i = 0; i < request.results.size(); ++i) {
        const UECPElementsRequest::Element& element = request.elements[i];
        if (!element.answered || request.results[i] != IDS_ERR_OK) {
            continue;
        }
        message.answerMec = element.answerMec;
        message.answerCode = element.answerCode;
        walk = WaitAnswer(message);
        if (walk != IDS_ERR_OK) {
            break;
        }
        request.answers.push_back(std::move(message.answer));
    }
    AdvanceSequence();
    return stage != IDS_ERR_OK ? stage : walk;
}
