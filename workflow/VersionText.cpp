#include "workflow/VersionText.h"

#include <algorithm>

int CompareVersionTexts(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

bool LoaderUpdateNeeded(std::string_view loaderVersion, std::string_view netOsVersion) {
    return VersionBefore(loaderVersion, kLoaderVersionCurrent) &&
           !VersionBefore(netOsVersion, kNetOsVersionNeedingNewLoader);
}

bool DowngradeRefused(std::string_view loaderVersion, std::string_view netOsVersion) {
    return !VersionBefore(loaderVersion, kLoaderVersionRefusingOldNetOs) &&
           VersionBefore(netOsVersion, kNetOsVersionOldestAccepted);
}

bool IntermediateLoaderNeeded(std::string_view loaderVersion) {
    return VersionBefore(loaderVersion, kLoaderVersionIntermediateFrom) &&
           loaderVersion != kLoaderVersionWithoutIntermediate;
}
