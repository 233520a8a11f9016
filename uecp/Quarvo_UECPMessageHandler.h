#pragma once

#include "uecp/QuarvoUpdateLoaderMessage.h"
#include "uecp/UECPMessageHandler.h"

#include <array>
#include <cstdint>
#include <string>

// The handler of the Zelta module itself. It speaks the module's UECP command set ("NS",
// MEC 0x2D) while the application runs, and the update-loader commands, sent as loader frames,
// while the update loader runs. Received frames may be of either kind.
class Quarvo_UECPMessageHandler : public UECPMessageHandler {
public:
    static constexpr int kMaxWriteData = 750;
    static constexpr uint32_t kApplicationOffset = 0x100000;

    Quarvo_UECPMessageHandler() = default;
    ~Quarvo_UECPMessageHandler() override;

    void FrameReceived(const uint8_t* bytes, int length, const AutoFrameBuffer* source) override;
    int32_t HandlerKind() const override { return 3; }

    // Module commands (UECP).
    UECP_IO_Error GetModuleStatus(int& status, uint16_t address = 0);
    UECP_IO_Error StartUpdateLoader(uint16_t address = 0);
    UECP_IO_Error GetMacAddress(std::array<uint8_t, 6>& mac, uint16_t address = 0);
    UECP_IO_Error SetMacAddress(const std::array<uint8_t, 6>& mac, int32_t timeout,
                                uint16_t address = 0);
    UECP_IO_Error RebootModule(uint16_t address = 0);
    UECP_IO_Error GetBridgeVersion(std::string& text, uint16_t address = 0);

    // Update-loader commands.
    UECP_IO_Error LoaderRestart();
    // At most kMaxWriteData bytes; more, a negative count or null bytes give 13 unsent.
    UECP_IO_Error LoaderWriteData(const uint8_t* bytes, int count);
    UECP_IO_Error LoaderStartFlash();
    UECP_IO_Error LoaderResetFlash();
    UECP_IO_Error LoaderFlashStatus(bool& done);
    UECP_IO_Error LoaderRequestRestart();
    UECP_IO_Error LoaderSetFlashOffset(uint32_t offset);
    UECP_IO_Error LoaderGetVersion(std::string& text);

    // Sends a loader message, then waits for its acknowledgement (waitAck) and its answer
    // (answerExpected). Does not use or advance the sequence counter.
    UECP_IO_Error SendLoaderMessage(QuarvoUpdateLoaderMessage& message);

    // Lays out and stuffs the loader frame into output (kLoaderStuffedMax bytes or more);
    // returns its length, or -1 when the message length is outside 0..751.
    int BuildLoaderFrame(const QuarvoUpdateLoaderMessage& message, uint8_t* output,
                         int outputCapacity) const;

private:
    // A module request 2D <n> 4E 53 code params... with the acknowledgement awaited.
    static void FillModuleRequest(UECPMessage& message, uint8_t code, const uint8_t* params,
                                  int count, uint16_t address);
    // A loader command that waits for nothing.
    UECP_IO_Error SendLoaderCommand(uint8_t code);
};
