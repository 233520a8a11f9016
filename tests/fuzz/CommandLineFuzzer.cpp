// Command-line parsing on arbitrary argument vectors, under both rules for a leading "/", and
// single arguments through ParseParam.
//
// Input: the arguments, separated by zero bytes.

#include "FuzzScratch.h"

#include "app/ZeltaUpdaterCommandLineInfo.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Info = ZeltaUpdaterCommandLineInfo;

void CheckResult(const Info& info) {
    Require(info.ipAddress.size() <= Info::kMaxHostLength);
    Require(info.language.empty() || info.language == "de" || info.language == "en");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> arguments;
    for (;;) {
        const auto zero = input.find('\0');
        arguments.emplace_back(input.substr(0, zero));
        if (zero == std::string_view::npos) {
            break;
        }
        input.remove_prefix(zero + 1);
    }

    for (const auto rule : {Info::SlashRule::AlwaysSwitch, Info::SlashRule::KnownSwitchesOnly}) {
        Info info;
        info.ParseCommandLine(arguments, rule);
        CheckResult(info);
    }
    for (const std::string& argument : arguments) {
        for (const bool isSwitch : {true, false}) {
            Info info;
            info.ParseParam(argument, isSwitch, true);
            CheckResult(info);
            Require(isSwitch || info.firmwarePath == argument);
        }
        Info::IsKnownSwitch(argument);
    }
    return 0;
}
