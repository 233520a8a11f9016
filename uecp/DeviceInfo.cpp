#include "uecp/DeviceInfo.h"

namespace {

struct BrnType {
    uint8_t type;
    int32_t series;
    int32_t model;
    const char* name;
};

// Device model names as the devices themselves are sold; they are not translated.
constexpr BrnType kBrnTypes[] = {
    {0x00, DeviceInfo::kSeriesTav, 3, "TAV Relaybox TA-EON"},
    {0x01, DeviceInfo::kSeriesTav, 4, "TAV Relaybox TA-EON Inhouse"},
    {0x02, DeviceInfo::kSeriesTav, 5, "TAV Real Relaybox"},
    {0x03, DeviceInfo::kSeriesTav, 6, "TAV Standard"},
    {0x04, DeviceInfo::kSeriesTav, 7, "TAV T"},
    {0x10, DeviceInfo::kSeriesCrv, 1, "CRV Standard"},
    {0x11, DeviceInfo::kSeriesCrv, 2, "CRV USB"},
    {0x20, DeviceInfo::kSeriesBrn, 8, "BRN RDS"},
    {0x21, DeviceInfo::kSeriesBrn, 9, "BRN FM"},
    {0x22, DeviceInfo::kSeriesBrn, 10, "BRN MPX"},
    {0x23, DeviceInfo::kSeriesBrn, 11, "BRN T"},
};

struct WenloType {
    const char* marker;
    int32_t series;
    int32_t model;
};

// Searched in this order; the first marker found decides.
constexpr WenloType kWenloTypes[] = {
    {"PLM Basic", DeviceInfo::kSeriesPlm, 12},
    {"RSK Basic", DeviceInfo::kSeriesRsk, 13},
    {"SND DSP", DeviceInfo::kSeriesSnd, 14},
};

int32_t FamilyOfSeries(int32_t series) {
    if (series >= DeviceInfo::kSeriesCrv && series <= DeviceInfo::kSeriesBrn) {
        return DeviceInfo::kFamilyBrn;
    }
    if (series >= DeviceInfo::kSeriesPlm && series <= DeviceInfo::kSeriesSnd) {
        return DeviceInfo::kFamilyWenlo;
    }
    return DeviceInfo::kFamilyUnknown;
}

} // namespace

void DeviceInfo::SetIdentity(int32_t seriesCode, int32_t modelCode, std::string name) {
    series = seriesCode;
    model = modelCode;
    typeName = std::move(name);
    familyCode = FamilyOfSeries(series);
}

void DeviceInfo::SetDeviceType(uint8_t type) {
    for (const BrnType& t : kBrnTypes) {
        if (t.type == type) {
            SetIdentity(t.series, t.model, t.name);
            return;
        }
    }
    SetIdentity(0, 0, kUnknownTypeName);
}

void DeviceInfo::SetDeviceTypeName(const std::string& text) {
    for (const WenloType& t : kWenloTypes) {
        if (text.find(t.marker) != std::string::npos) {
            SetIdentity(t.series, t.model, text);
            return;
        }
    }
    SetIdentity(0, 0, kUnknownTypeName);
}

void DeviceInfo::SetFndDevice() {
    familyCode = kFamilyFnd;
    series = kSeriesFnd;
    model = 15;
    typeName = "FND";
}
