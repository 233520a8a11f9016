// The MAC address look-up on an arbitrary "sn_mac.txt" and serial number, and the repair gate
// on the serial number taken as a firmware version.
//
// Input: the serial number, a line end, then the table's content. Without a line end the whole
// input is the serial number and there is no table file.

#include "FuzzScratch.h"

#include "workflow/MacAddressTable.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto lineEnd = input.find('\n');
    const std::string serial(input.substr(0, lineEnd));

    auto& scratch = FuzzScratch::Instance();
    if (lineEnd == std::string_view::npos) {
        std::error_code error;
        std::filesystem::remove(scratch.Path() / kMacTableFileName, error);
    } else {
        const auto table = input.substr(lineEnd + 1);
        scratch.Write(kMacTableFileName, table.data(), table.size());
    }

    MacAddress address;
    address.fill(0xAA);
    const bool found = LookupMacAddress(scratch.Path().string(), serial, address);
    if (!found) {
        Require(std::all_of(address.begin(), address.end(), [](uint8_t b) { return b == 0; }));
    }
    Require(!found || (!serial.empty() && lineEnd != std::string_view::npos &&
                       input.find(serial, lineEnd + 1) != std::string_view::npos));
    // The repair gate reads the same kind of untrusted text.
    FirmwareSupportsMacRepair(serial);
    return 0;
}
