#include "uecp/DeviceInfo.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Identity {
    int32_t familyCode;
    int32_t series;
    int32_t model;
    std::string typeName;
};

void ExpectIdentity(const DeviceInfo& info, const Identity& want) {
    EXPECT_EQ(info.familyCode, want.familyCode);
    EXPECT_EQ(info.series, want.series);
    EXPECT_EQ(info.model, want.model);
    EXPECT_EQ(info.typeName, want.typeName);
}

TEST(DeviceInfoTest, StartsUnidentified) {
    const DeviceInfo info;
    ExpectIdentity(info, {0, 0, 0, "Unknown Device"});
    EXPECT_EQ(info.serialNumber, "");
    EXPECT_EQ(info.firmwareVersion, "");
}

TEST(DeviceInfoTest, BrnTypeBytes) {
    const struct {
        uint8_t type;
        Identity want;
    } cases[] = {
        {0x00, {1, 2, 3, "TAV Relaybox TA-EON"}},
        {0x01, {1, 2, 4, "TAV Relaybox TA-EON Inhouse"}},
        {0x02, {1, 2, 5, "TAV Real Relaybox"}},
        {0x03, {1, 2, 6, "TAV Standard"}},
        {0x04, {1, 2, 7, "TAV T"}},
        {0x10, {1, 1, 1, "CRV Standard"}},
        {0x11, {1, 1, 2, "CRV USB"}},
        {0x20, {1, 3, 8, "BRN RDS"}},
        {0x21, {1, 3, 9, "BRN FM"}},
        {0x22, {1, 3, 10, "BRN MPX"}},
        {0x23, {1, 3, 11, "BRN T"}},
        {0x05, {0, 0, 0, "Unknown Device"}},
        {0x24, {0, 0, 0, "Unknown Device"}},
        {0xFF, {0, 0, 0, "Unknown Device"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.type));
        DeviceInfo info;
        info.SetDeviceType(c.type);
        ExpectIdentity(info, c.want);
    }
}

TEST(DeviceInfoTest, UnknownTypeByteResetsAnEarlierIdentityButNotSerialOrVersion) {
    DeviceInfo info;
    info.serialNumber = "0012345678";
    info.firmwareVersion = "1.23";
    info.SetFndDevice();
    info.SetDeviceType(0x05);
    ExpectIdentity(info, {0, 0, 0, "Unknown Device"});
    EXPECT_EQ(info.serialNumber, "0012345678");
    EXPECT_EQ(info.firmwareVersion, "1.23");
}

TEST(DeviceInfoTest, WenloTypeTexts) {
    const struct {
        std::string text;
        Identity want;
    } cases[] = {
        {"PLM Basic", {2, 5, 12, "PLM Basic"}},
        {"RSK Basic", {2, 6, 13, "RSK Basic"}},
        {"SND DSP", {2, 7, 14, "SND DSP"}},
        {"SND DSP 2 rev. B", {2, 7, 14, "SND DSP 2 rev. B"}},
        {"new RSK Basic", {2, 6, 13, "new RSK Basic"}},
        {"RSK Basic/PLM Basic", {2, 5, 12, "RSK Basic/PLM Basic"}},
        {"PLM basic", {0, 0, 0, "Unknown Device"}},
        {"RSK", {0, 0, 0, "Unknown Device"}},
        {"", {0, 0, 0, "Unknown Device"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        DeviceInfo info;
        info.SetDeviceType(0x20); // an earlier identity is replaced
        info.SetDeviceTypeName(c.text);
        ExpectIdentity(info, c.want);
    }
}

TEST(DeviceInfoTest, FndDevice) {
    DeviceInfo info;
    info.SetFndDevice();
    ExpectIdentity(info, {3, 8, 15, "FND"});
}

} // namespace
