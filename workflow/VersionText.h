#pragma once

#include <string_view>

// Version texts of the module, its update loader and the firmware's operating system are
// compared as byte strings, never as numbers: "10.0" sorts before "2.03", "???" after "7.4.2",
// and the empty text before everything.

inline constexpr std::string_view kLoaderVersionWithoutIntermediate = "1.00";
inline constexpr std::string_view kLoaderVersionIntermediateFrom = "1.11";
inline constexpr std::string_view kLoaderVersionRefusingOldNetOs = "2.0";
inline constexpr std::string_view kLoaderVersionCurrent = "2.03";
inline constexpr std::string_view kNetOsVersionOldestAccepted = "7.0";
inline constexpr std::string_view kNetOsVersionNeedingNewLoader = "7.4.2";

// Negative, zero or positive as a sorts before, equal to or after b. Bytes compare as unsigned
// values; a text that is a prefix of the other sorts first.
int CompareVersionTexts(std::string_view a, std::string_view b);

inline bool VersionBefore(std::string_view a, std::string_view b) {
    return CompareVersionTexts(a, b) < 0;
}

// The loader must be replaced before the firmware: an old loader and a firmware built on a
// recent operating system.
bool LoaderUpdateNeeded(std::string_view loaderVersion, std::string_view netOsVersion);

// A second-generation loader refuses firmware built on an old operating system.
bool DowngradeRefused(std::string_view loaderVersion, std::string_view netOsVersion);

// During a loader update, a loader this old first needs the intermediate image.
bool IntermediateLoaderNeeded(std::string_view loaderVersion);
