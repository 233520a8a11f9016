#include "io/qt/StringTableErrorTexts.h"

#include "base/ErrorCodeText.h"
#include "strings/StringManager.h"

#include <string>

void InstallStringTableErrorTexts() {
    SetErrorTextProvider([](const char* identifier) -> std::string {
        constexpr const char* kSection = "UECP_IO_Errors";
        const std::string text = StringManager::Instance().GetString(identifier, kSection);
        // The manager answers an unknown identifier with the identifier and an unknown section
        // with the section; ErrorCodeText then falls back to the identifier.
        return text == identifier || text == kSection ? std::string() : text;
    });
}
