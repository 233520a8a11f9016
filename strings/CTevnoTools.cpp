#include "strings/CTevnoTools.h"

#include "strings/MessageSink.h"
#include "strings/SystemPlatform.h"

#include <atomic>
#include <string>

// These two messages cannot come from the string tables: they are shown before the string
// manager may exist.
namespace {

constexpr const char* kNotInitializedMessage = "You have to call CTevnoTools::Initialize() first!";

std::string PlatformTooOldMessage(std::string_view name) {
    return "This Program requires " + std::string(name) + " or later";
}

std::atomic<bool> g_initialized{false};

const PlatformRequirement* RequirementAt(int index) {
    if (index < 0 || index >= static_cast<int>(kPlatformRequirements.size())) {
        return nullptr;
    }
    return &kPlatformRequirements[static_cast<std::size_t>(index)];
}

} // namespace

bool CTevnoTools::MeetsRequirement(const PlatformRequirement& requirement, int major, int minor) {
    if (major != requirement.major) {
        return major > requirement.major;
    }
    return minor >= requirement.minor;
}

void CTevnoTools::Initialize(int minimumPlatform) {
    int major = 0;
    int minor = 0;
    if (!QuerySystemVersion(major, minor)) {
        g_initialized = true;
        return;
    }
    InitializeForVersion(minimumPlatform, major, minor);
}

void CTevnoTools::InitializeForVersion(int minimumPlatform, int major, int minor) {
    // An index outside the table names no requirement.
    const PlatformRequirement* requirement = RequirementAt(minimumPlatform);
    if (requirement && !MeetsRequirement(*requirement, major, minor)) {
        Fail(minimumPlatform);
    }
    g_initialized = true;
}

void CTevnoTools::Fail(int minimumPlatform) {
    ShowMessage(PlatformTooOldMessage(RequirementAt(minimumPlatform)->name));
    EndCurrentThread();
}

bool CTevnoTools::IsInitialized() {
    return g_initialized;
}

void CTevnoTools::RequireInitialized() {
    if (!g_initialized) {
        ShowMessage(kNotInitializedMessage);
        EndCurrentThread();
    }
}
