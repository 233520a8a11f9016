// The decoders of the module's and the host devices' answers, and the BRN frame classification,
// on an arbitrary message field. Each decoder runs with the sizes its requests use and with sizes
// taken from the input's first bytes.

#include "FuzzScratch.h"

#include "uecp/BrnFrameKind.h"
#include "uecp/DeviceInfo.h"
#include "uecp/FamilyAnswers.h"
#include "uecp/QuarvoAnswers.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

constexpr int kRoom = 64;

void ModuleAnswers(const uint8_t* data, int size) {
    int status = -1;
    if (DecodeModuleStatus(data, size, status) == IDS_ERR_OK) {
        Require(size == 6 && status == data[5]);
    } else {
        Require(status == -1);
    }
    std::array<uint8_t, 6> mac{};
    DecodeMacAddress(data, size, mac);

    std::string text = "old";
    const bool bridge = DecodeBridgeVersion(data, size, text) == IDS_ERR_OK;
    Require(bridge ? text.size() >= 4 && text.size() <= 6 : text.empty());
    text = "old";
    const bool loader = DecodeLoaderVersion(data, size, text) == IDS_ERR_OK;
    Require(loader ? text.size() == 4 || text.size() == 5 : text.empty());

    bool done = false;
    DecodeLoaderFlashStatus(data, size, done);
}

void FamilyAnswers(const uint8_t* data, int size, uint8_t chosen) {
    const int kind = ClassifyFrame(data, size);
    Require(kind >= kBrnFrameOther && kind <= kBrnFrameNack);

    uint8_t buffer[kRoom];
    for (int count : {1, 2, 10, chosen % kRoom}) {
        if (DecodeBrnParameter(data, size, count, buffer) == IDS_ERR_OK) {
            Require(size == count + 8);
            const std::string serial = TextUpToZero(buffer, count);
            Require(static_cast<int>(serial.size()) <= count);
        }
    }
    for (int required : {7, 8, chosen % 16}) {
        uint16_t value = 0;
        if (DecodeBrnWord(data, size, required, value) == IDS_ERR_OK) {
            Require(size == required);
        }
        Require(!BrnFirmwareVersionText(value).empty());
    }

    for (uint8_t code : {uint8_t{0xCE}, uint8_t{0x48}, chosen}) {
        for (int room : {kRoom, chosen % 8}) {
            int length = room;
            WenloAnswerCode(code, length);
            if (DecodeWenloAnswer(code, data, size, buffer, length) != IDS_ERR_OK) {
                Require(length == room);
                continue;
            }
            Require(length >= 0 && length <= room);
            for (int expected : {-1, 5, 10}) {
                std::string text;
                if (DecodeWenloText(buffer, length, expected, text) == IDS_ERR_OK) {
                    Require(static_cast<int>(text.size()) <= length);
                    DeviceInfo info;
                    info.SetDeviceTypeName(text);
                }
            }
        }
    }

    for (int chars : {10, 16, chosen % 32}) {
        std::string text;
        if (DecodeFndText(data, size, chars, text) == IDS_ERR_OK) {
            Require(static_cast<int>(text.size()) == chars);
        }
    }

    DeviceInfo info;
    info.SetDeviceType(chosen);
    Require(info.familyCode == DeviceInfo::kFamilyUnknown ||
            info.familyCode == DeviceInfo::kFamilyBrn);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int length = size > 4096 ? 4096 : static_cast<int>(size);
    ModuleAnswers(data, length);
    FamilyAnswers(data, length, length > 0 ? data[length - 1] : 0);
    // A missing answer counts as an empty one.
    ModuleAnswers(nullptr, length);
    FamilyAnswers(nullptr, length, 0);
    return 0;
}
