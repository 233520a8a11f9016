#pragma once

#include "base/FrameDataListCS.h"
#include "uecp/BrnFrameKind.h"
#include "uecp/UECPMessageHandler.h"

#include <cstdint>
#include <string>

// The handler of the BRN family (CRV, TAV and BRN devices), command set "QB". Besides the
// answers to requests, a BRN device sends reports of its own; the handler classifies every
// received frame (ClassifyFrame) and keeps the reports on lists of their own, so that they
// never take the place of an acknowledgement or an answer.
class BRN_UECPMessageHandler : public UECPMessageHandler {
public:
    static constexpr int kMaxParameterBytes = 128;
    static constexpr int kBlockBytes = 14;

    BRN_UECPMessageHandler() = default;
    ~BRN_UECPMessageHandler() override;

    // Parses, classifies and queues a frame: kinds 2 to 5 on their lists (bound 32), kind 6 on
    // its list (bound 1), kinds 1, 7 and 8 on the main list. Frames arriving while the handler
    // has no connection are ignored.
    void FrameReceived(const uint8_t* bytes, int length, const AutoFrameBuffer* source) override;
    int32_t HandlerKind() const override { return 1; }
    // Empties the main list and the five report lists.
    void ClearReceived() override;

    UECP_IO_Error GetSerialNumber(std::string& text, uint16_t address) override;
    UECP_IO_Error GetDeviceInfo(DeviceInfo& info, uint16_t address) override;
    // value := the device's word (0 unless the request succeeds).
    UECP_IO_Error ReadWord(uint16_t& value, uint16_t address) override;
    // block must hold exactly 14 bytes, else 13 without sending.
    UECP_IO_Error WriteBlock(const ByteBuffer& block, uint16_t address) override;

    // Called after a received frame has been queued; does nothing.
    virtual void FrameQueued(int /*kind*/) {}
    virtual UECP_IO_Error ReadWord2(uint16_t& value, uint16_t address);
    virtual UECP_IO_Error WriteBlock2(const ByteBuffer& block, uint16_t address);

    // Reads count bytes of parameter id into buffer. count is first limited to 128 and the
    // limited value written back; a negative count or a null buffer gives 13 without sending.
    UECP_IO_Error ReadParameter(uint16_t id, uint8_t* buffer, int& count, uint16_t address);
    // The firmware version text (parameter 11): 205 reads 2.05, 1234 reads 1.23.4.
    UECP_IO_Error ReadFirmwareVersion(std::string& text, uint16_t address);
    // Restarts the device without waiting for an acknowledgement; flag true sends 00, false 01.
    UECP_IO_Error RebootDevice(bool flag, uint16_t address);

    // The list of kind 2 to 6 (null for any other kind). Lock it while looking at it.
    FrameDataListCS* KindList(int kind);

private:
    UECP_IO_Error ReadWordWith(uint8_t code, int answerSize, uint16_t& value, uint16_t address);
    UECP_IO_Error WriteBlockWith(uint8_t code, const ByteBuffer& block, uint16_t address);

    static constexpr int kKindLists = 5; // kinds 2 to 6
    FrameDataListCS kindLists_[kKindLists];
};
