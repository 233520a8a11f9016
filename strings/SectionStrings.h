#pragma once

#include <string>

// The texts of one section in one language (empty: the current language at each lookup), for
// code that takes all its texts from the same section.
class SectionStrings {
public:
    explicit SectionStrings(std::string section, std::string language = {});

    std::string GetString(const std::string& id) const;
    const std::string& Section() const { return section_; }
    const std::string& Language() const { return language_; }

private:
    std::string section_;
    std::string language_;
};
