#pragma once

#include "base/ByteBuffer.h"
#include "base/FrameData.h"
#include "base/FrameDataListCS.h"
#include "base/FrameReader.h"
#include "base/MyCriticalSection.h"
#include "base/TCP_ConnectionParams.h"
#include "base/UECP_IO_ConnectionParams.h"
#include "base/UECP_IO_Error.h"
#include "uecp/UECPElementsRequest.h"
#include "uecp/UECPMessage.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

class DeviceInfo;
class UECP_IO;

// Base of the per-device handlers. It owns the connection (parameters and transport), receives
// the transport's frames, keeps the sequence counter and carries out one request at a time:
// send the frame, wait for the acknowledgement, wait for the matching answer. An open
// connection can be handed to another handler and back without reconnecting.
//
// Requests run on the caller's thread under the handler's own lock (this object); frames arrive
// on the transport's IO thread. Open, Close, SetConnectionParams and TransferConnection take no
// lock and must not overlap a request on either handler.
//
// Every subclass calls Close(false) in its own destructor, so that the IO thread, which calls
// virtual operations of the handler, has stopped before the subclass part is gone.
class UECPMessageHandler : public FrameReader, public MyCriticalSection {
public:
    static constexpr int kReceivedLimit = 32;
    static constexpr uint8_t kAckMec = 0x18;

    UECPMessageHandler();
    UECPMessageHandler(const UECPMessageHandler&) = delete;
    UECPMessageHandler& operator=(const UECPMessageHandler&) = delete;
    ~UECPMessageHandler() override;

    // FrameReader: parses the frame and queues it on the received list.
    void FrameReceived(const uint8_t* bytes, int length, const AutoFrameBuffer* source) override;
    void FrameDropped() override {}

    // 1 BRN, 2 Wenlo, 3 the Zelta module, 4 FND.
    virtual int32_t HandlerKind() const = 0;
    // Called after each successful send with the stuffed frame.
    virtual void FrameSent(const uint8_t* /*bytes*/, int /*length*/) {}
    // Consulted before a received frame is queued by handlers that classify frames.
    virtual bool AcceptFrame(const FrameData& /*frame*/, int /*kind*/) { return true; }

    // 4 when already open, 2 without parameters, 14 for parameters of another kind than TCP,
    // else the transport's open result.
    virtual UECP_IO_Error Open();
    // Closes and deletes the transport; the parameters stay.
    virtual void Close(bool abort);

    // One request: send, acknowledgement (unless the message says otherwise), answer (when
    // expected). Sent exactly once; the sequence counter advances whatever the outcome.
    virtual UECP_IO_Error Transact(UECPMessage& message);
    // A request of several message elements with one acknowledgement code each.
    virtual UECP_IO_Error TransactElements(UECPElementsRequest& request);
    // Builds the frame with the current sequence counter and sends it, after discarding unsent
    // bytes and every frame received so far.
    virtual UECP_IO_Error SendFrame(UECPMessage& message);
    // Waits for the answer that matches answerMec and answerCode; stores it in the message.
    // Frames that do not match are dropped; the whole wait ends at the message's time-out.
    virtual UECP_IO_Error WaitAnswer(UECPMessage& message);
    virtual void ClearReceived();

    // Family operations; the defaults return 14 (not supported).
    virtual UECP_IO_Error GetSerialNumber(std::string& text, uint16_t address);
    virtual UECP_IO_Error GetDeviceInfo(DeviceInfo& info, uint16_t address);
    virtual UECP_IO_Error ReadWord(uint16_t& value, uint16_t address);
    virtual UECP_IO_Error WriteBlock(const ByteBuffer& block, uint16_t address);

    // Stores an independent copy of params (always TCP parameters).
    void SetConnectionParams(const TCP_ConnectionParams& params);
    // Moves this handler's parameters and open transport to target, whose own transport is
    // closed first. 2 without parameters, 3 without transport.
    UECP_IO_Error TransferConnection(UECPMessageHandler& target);
    // Waits for the acknowledgement of the frame just sent: 10 when none came within the
    // message's time-out (other frames are dropped), the mapped code of a negative one, else 0.
    UECP_IO_Error WaitAck(UECPMessage& message);

    // Lays out and stuffs the frame into output (kUecpStuffedMax bytes or more); returns its
    // length, or -1 when the message length is outside 0..255.
    int BuildFrame(const UECPMessage& message, uint8_t* output, int outputCapacity) const;

    bool IsOpen() const { return open_.load(std::memory_order_acquire); }
    uint8_t Sequence() const { return sequence_; }
    // The held parameters, or null.
    const UECP_IO_ConnectionParams* ConnectionParams() const { return params_.get(); }

protected:
    FrameDataListCS& ReceivedList() { return received_; }
    UECP_IO* Transport() const { return transport_.get(); }

    // A wait's limit: timeout, or the connection's read time-out when it is negative.
    uint32_t WaitTimeout(int32_t timeout) const;
    // Takes the oldest frame of list (the received list when null), waiting up to timeout.
    UECP_IO_Error NextFrame(std::unique_ptr<FrameData>& result, FrameDataListCS* list,
                            int32_t timeout);
    // Whether a message with this ackMode waits for an acknowledgement.
    bool AwaitsAck(int32_t ackMode) const;
    // Clears the transport's unsent bytes and the received list, sends, reports FrameSent.
    UECP_IO_Error SendBytes(const uint8_t* bytes, int length);
    void AdvanceSequence();

private:
    // Waits for an acknowledgement frame and hands it over; false when none came in time.
    bool TakeAck(std::unique_ptr<FrameData>& ack, uint32_t timeoutMs);
    void SetTransport(std::unique_ptr<UECP_IO> transport);

    FrameDataListCS received_;
    std::unique_ptr<UECP_IO_ConnectionParams> params_;
    std::unique_ptr<UECP_IO> transport_;
    std::atomic<bool> open_{false};
    uint8_t sequence_ = 0;
    bool defaultAck_ = true;
};
