#pragma once

#include "uecp/UECPMessageHandler.h"

#include <cstdint>
#include <string>

// The handler of the Wenlo family (PLM, RSK and SND devices), command set "RS".
class Wenlo_UECPMessageHandler : public UECPMessageHandler {
public:
    static constexpr int kBlockBytes = 14;
    static constexpr int kTextRoom = 64;

    Wenlo_UECPMessageHandler() = default;
    ~Wenlo_UECPMessageHandler() override;

    int32_t HandlerKind() const override { return 2; }

    // Serial number: ReadText(0x7F, text, 10).
    UECP_IO_Error GetSerialNumber(std::string& text, uint16_t address) override;
    // Serial number, firmware version (0x7E, 5 bytes) and type text (0x7B, 10 bytes).
    UECP_IO_Error GetDeviceInfo(DeviceInfo& info, uint16_t address) override;
    // Exactly two data bytes, high byte first; value is 0 unless the request succeeds.
    UECP_IO_Error ReadWord(uint16_t& value, uint16_t address) override;
    // block must hold exactly 14 bytes, else 13 without sending.
    UECP_IO_Error WriteBlock(const ByteBuffer& block, uint16_t address) override;

    // Sends 2D 03 52 53 code and waits for the answer with that code (0x46 for code 0x48 with
    // a length of 2). Its data (from index 5, from index 6 for code 0xCE) are copied into
    // buffer and length becomes their number; more than length bytes give 12 and no copy.
    UECP_IO_Error WenloRequest(uint8_t code, uint8_t* buffer, int& length, uint16_t address,
                               bool noAck);
    // A text answer of exactly expected bytes (any number up to 64 when expected is -1);
    // text := its bytes up to the first zero byte.
    UECP_IO_Error ReadText(uint8_t code, std::string& text, int expected, uint16_t address);
};
