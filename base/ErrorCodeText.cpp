#include "base/ErrorCodeText.h"

#include <memory>
#include <mutex>

namespace {

std::mutex& ProviderMutex() {
    static std::mutex mutex;
    return mutex;
}

// Shared so that a caller keeps the provider alive while it runs outside the lock.
std::shared_ptr<const ErrorTextProvider>& Provider() {
    static std::shared_ptr<const ErrorTextProvider> provider;
    return provider;
}

} // namespace

void SetErrorTextProvider(ErrorTextProvider provider) {
    std::shared_ptr<const ErrorTextProvider> next;
    if (provider) {
        next = std::make_shared<const ErrorTextProvider>(std::move(provider));
    }
    std::lock_guard<std::mutex> lock(ProviderMutex());
    Provider() = std::move(next);
}

std::string ErrorCodeText(UECP_IO_Error code) {
    const char* identifier = ErrorCodeName(code);
    std::shared_ptr<const ErrorTextProvider> provider;
    {
        std::lock_guard<std::mutex> lock(ProviderMutex());
        provider = Provider();
    }
    if (provider) {
        std::string text = (*provider)(identifier);
        if (!text.empty()) {
            return text;
        }
    }
    return identifier;
}
