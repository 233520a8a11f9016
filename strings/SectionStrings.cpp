#include "strings/SectionStrings.h"

#include "strings/StringManager.h"

SectionStrings::SectionStrings(std::string section, std::string language)
    : section_(std::move(section)), language_(std::move(language)) {}

std::string SectionStrings::GetString(const std::string& id) const {
    return StringManager::Instance().GetString(id, section_, language_);
}
