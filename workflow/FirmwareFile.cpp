#include "workflow/FirmwareFile.h"

#include "workflow/Utf8Path.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

constexpr const char* kUnknown = "???";

bool HasBinExtension(const std::string& name) {
    constexpr std::string_view kExtension = ".bin";
    if (name.size() < kExtension.size()) {
        return false;
    }
    return std::equal(kExtension.begin(), kExtension.end(), name.end() - kExtension.size(),
                      [](char want, char have) {
                          return want == (have >= 'A' && have <= 'Z' ? have - 'A' + 'a' : have);
                      });
}

void ReplaceLast(std::string& text, char from, char to) {
    const auto pos = text.rfind(from);
    if (pos != std::string::npos) {
        text[pos] = to;
    }
}

} // namespace

std::string FindSingleFirmwareFile(const std::string& directory) {
    std::error_code error;
    std::filesystem::directory_iterator it(PathFromUtf8(directory), error);
    std::filesystem::path single;
    int count = 0;
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        std::error_code statusError;
        if (!it->is_regular_file(statusError) ||
            !HasBinExtension(Utf8FromPath(it->path().filename()))) {
            continue;
        }
        if (++count > 1) {
            return {};
        }
        single = it->path();
    }
    return count == 1 ? Utf8FromPath(single) : std::string();
}

void ApplyFileNameFallback(const std::string& baseName, FirmwareFileInfo& info) {
    std::string upper = baseName;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    });
    const auto v = upper.rfind('V');
    if (v == std::string::npos) {
        info.version = kUnknown;
    } else {
        std::string version = upper.substr(v + 1);
        if (!version.empty() && version.front() == '0') {
            version.erase(0, 1);
        }
        ReplaceLast(version, '_', '.');
        ReplaceLast(version, '_', '.');
        info.version = version;
    }

    if (baseName.find("BRN") != std::string::npos) {
        info.deviceType = kFirmwareFamilyBRN;
    } else if (baseName.find("FND") != std::string::npos) {
        info.deviceType = kFirmwareFamilyFND;
    } else {
        info.deviceType = kFirmwareFamilyWenlo;
    }
}

FirmwareChoice ChooseFirmwareFile(FirmwareFileInfo& info, const std::string& programDirectory,
                                  const FirmwarePathPrompt& prompt) {
    info.version = kUnknown;
    info.netOsVersion = kUnknown;

    if (info.path.empty()) {
        info.path = FindSingleFirmwareFile(programDirectory);
    }
    if (info.path.empty()) {
        std::optional<std::string> chosen;
        if (prompt) {
            chosen = prompt(programDirectory);
        }
        if (!chosen || chosen->empty()) {
            return FirmwareChoice::Cancelled;
        }
        info.path = *chosen;
    }

    // The extension is everything from the last point of the file name on.
    const std::string fileName = Utf8FromPath(PathFromUtf8(info.path).filename());
    const auto point = fileName.rfind('.');
    const std::string baseName = point == std::string::npos ? fileName : fileName.substr(0, point);

    if (!InspectFirmwareImage(info)) {
        ApplyFileNameFallback(baseName, info);
    }
    info.version += " (" + fileName + ")";
    return FirmwareChoice::Inspected;
}
