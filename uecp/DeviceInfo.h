#pragma once

#include <cstdint>
#include <string>

// What is known about the host device the Zelta module sits in. The workflow fills it step by
// step; a field written by a successful step stays when a later step fails.
class DeviceInfo {
public:
    // Family codes; the same codes name the target family of a firmware image.
    static constexpr int32_t kFamilyUnknown = 0;
    static constexpr int32_t kFamilyBrn = 1;   // CRV, TAV and BRN devices
    static constexpr int32_t kFamilyWenlo = 2; // PLM, RSK and SND devices
    static constexpr int32_t kFamilyFnd = 3;

    // Series codes (4 is not used).
    static constexpr int32_t kSeriesCrv = 1;
    static constexpr int32_t kSeriesTav = 2;
    static constexpr int32_t kSeriesBrn = 3;
    static constexpr int32_t kSeriesPlm = 5;
    static constexpr int32_t kSeriesRsk = 6;
    static constexpr int32_t kSeriesSnd = 7;
    static constexpr int32_t kSeriesFnd = 8;

    static constexpr const char* kUnknownTypeName = "Unknown Device";

    // From the one-byte type a BRN device reports. The record's identity is reset first; an
    // unknown byte leaves it unidentified.
    void SetDeviceType(uint8_t type);
    // From the type text a Wenlo device reports: the first of "PLM Basic", "RSK Basic" and
    // "SND DSP" found in the text decides, and the text itself becomes typeName.
    void SetDeviceTypeName(const std::string& text);
    // The fixed identity of an FND device.
    void SetFndDevice();

    int32_t familyCode = kFamilyUnknown;
    int32_t series = 0;
    int32_t model = 0;
    std::string typeName = kUnknownTypeName;
    std::string serialNumber;
    std::string firmwareVersion;

private:
    void SetIdentity(int32_t seriesCode, int32_t modelCode, std::string name);
};
