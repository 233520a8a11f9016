#pragma once

#include "uecp/UECPMessageHandler.h"

#include <cstdint>
#include <string>

// The handler of FND devices, command set "MI". Its requests always go to address 0; the
// inherited family operations stay unsupported (14), and the device is identified only through
// its own GetDeviceInfo(info).
class FND_UECPMessageHandler : public UECPMessageHandler {
public:
    FND_UECPMessageHandler() = default;
    ~FND_UECPMessageHandler() override;

    int32_t HandlerKind() const override { return 4; }

    using UECPMessageHandler::GetDeviceInfo;
    // Serial number (10 characters) and firmware version (5 characters), each with its full
    // length, zero bytes included; then the fixed identity of an FND device. The first failure
    // ends the operation; what it wrote before stays.
    virtual UECP_IO_Error GetDeviceInfo(DeviceInfo& info);

private:
    UECP_IO_Error ReadFndText(uint8_t code, int chars, std::string& text);
};
