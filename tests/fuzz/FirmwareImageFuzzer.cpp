// Firmware inspection on arbitrary image bytes, read directly and through a file, and the
// file-name fallback on the same bytes taken as a file name.

#include "FuzzScratch.h"

#include "workflow/FirmwareFile.h"
#include "workflow/FirmwareImage.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

FirmwareFileInfo Unknown() {
    FirmwareFileInfo info;
    info.version = "???";
    info.netOsVersion = "???";
    return info;
}

bool Same(const FirmwareFileInfo& a, const FirmwareFileInfo& b) {
    return a.version == b.version && a.netOsVersion == b.netOsVersion &&
           a.deviceType == b.deviceType;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FirmwareFileInfo fromBytes = Unknown();
    const bool found = InspectFirmwareBytes(data, size, fromBytes);
    Require(found || fromBytes.version == "???");
    Require(fromBytes.deviceType >= kFirmwareFamilyUnknown &&
            fromBytes.deviceType <= kFirmwareFamilyFND);

    // The file gives what its bytes give.
    FirmwareFileInfo fromFile = Unknown();
    fromFile.path = FuzzScratch::Instance().Write("image.bin", data, size).string();
    Require(InspectFirmwareImage(fromFile) == found);
    fromFile.path.clear();
    Require(Same(fromFile, fromBytes));

    FirmwareFileInfo named = Unknown();
    const std::string baseName(reinterpret_cast<const char*>(data), size);
    ApplyFileNameFallback(baseName, named);
    Require(named.deviceType >= kFirmwareFamilyBRN && named.deviceType <= kFirmwareFamilyFND);
    if (baseName.find_first_of("Vv") == std::string::npos) {
        Require(named.version == "???");
    } else {
        Require(named.version.size() < baseName.size());
    }
    return 0;
}
