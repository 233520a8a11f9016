// The string manager on arbitrary string tables: one replaces the store, a second is merged into
// it, and a text is looked up.
//
// Input: up to five pieces separated by zero bytes: the table to load, the table to merge, then
// the section, identifier and language of the look-up.

#include "FuzzScratch.h"

#include "strings/CTevnoTools.h"
#include "strings/StringManager.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    CTevnoTools::Initialize(0);
    Require(CTevnoTools::IsInitialized());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> pieces;
    while (pieces.size() < 4) {
        const auto zero = input.find('\0');
        if (zero == std::string_view::npos) {
            break;
        }
        pieces.emplace_back(input.substr(0, zero));
        input.remove_prefix(zero + 1);
    }
    pieces.emplace_back(input);
    pieces.resize(5);
    const std::string& section = pieces[2];
    const std::string& id = pieces[3];
    const std::string& language = pieces[4];

    // The store outlives one input; it starts empty for each, so that every text comes from
    // this input.
    StringManager& strings = StringManager::Instance();
    Require(strings.LoadStringTableFromData("<root><stringtable/></root>"));
    strings.LoadStringTableFromData(pieces[0]);
    strings.AddStringTableFromData(pieces[1]);

    const std::string text = strings.GetString(id, section, language);
    Require(text.size() <= size || text == section || text == id);
    strings.GetString(id);

    const std::string before = strings.GetLanguage();
    Require(strings.SetLanguage(language) == !language.empty());
    Require(strings.GetLanguage() == (language.empty() ? before : language));
    strings.SetLanguage("en");
    return 0;
}
