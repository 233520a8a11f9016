#pragma once

#include <array>
#include <string_view>

// One row of the minimum-platform table: the oldest system version the program runs on.
struct PlatformRequirement {
    int major;
    int minor;
    std::string_view name;
};

inline constexpr std::array<PlatformRequirement, 4> kPlatformRequirements{{
    {4, 10, "Windows 98"},
    {5, 0, "Windows 2000"},
    {5, 1, "Windows XP"},
    {5, 2, "Windows 2003 Server"},
}};

// Process-wide start-up guard: Initialize checks the platform and unlocks the string manager.
class CTevnoTools {
public:
    // Checks the running system against row `minimumPlatform` of the table. On a system that is
    // too old it shows "This Program requires <name> or later" and ends the calling thread; on
    // success it marks the tools as initialized. Systems without such version numbers pass.
    static void Initialize(int minimumPlatform);
    // The same with a given system version instead of the running one.
    static void InitializeForVersion(int minimumPlatform, int major, int minor);

    static bool IsInitialized();
    // Shows "You have to call CTevnoTools::Initialize() first!" and ends the calling thread
    // unless Initialize has succeeded.
    static void RequireInitialized();

    // False when (major, minor) is older than the requirement.
    static bool MeetsRequirement(const PlatformRequirement& requirement, int major, int minor);

private:
    static void Fail(int minimumPlatform);
};
