#pragma once

#include "strings/StringNode.h"

#include <mutex>
#include <shared_mutex>
#include <string>
#include <string_view>

// The process-wide store of localised texts, loaded from the XML string tables:
//   <root><stringtable><section><IDENTIFIER><language>text</language>...
// Section, identifier and language match regardless of ASCII letter case.
class StringManager {
public:
    // The one instance, created on the first call. Ends the calling thread (after a message)
    // when CTevnoTools::Initialize has not run yet.
    static StringManager& Instance();

    StringManager(const StringManager&) = delete;
    StringManager& operator=(const StringManager&) = delete;
    virtual ~StringManager();

    // Replaces the whole store by the embedded table `resourceId`.
    bool LoadStringTable(int resourceId);
    // Merges the "stringtable" element of the embedded table `resourceId` into the store.
    bool AddStringTable(int resourceId);
    // The same for a table given as XML bytes (UTF-8, with or without byte-order mark).
    // Both return false and keep the store unchanged when the bytes are not well-formed XML
    // with a root element; AddStringTableFromData also when they hold no "stringtable".
    bool LoadStringTableFromData(std::string_view xml);
    bool AddStringTableFromData(std::string_view xml);

    // The text of `id` in `section` (empty: "default") and `language` (empty: the current one),
    // with the escapes backslash-r, -n, -t decoded and backslash-0 removed.
    // An unknown section gives `section` as passed, an unknown identifier or language gives
    // `id`; there is no fallback to another language.
    std::string GetString(std::string_view id, std::string_view section = {},
                          std::string_view language = {}) const;

    // Any non-empty code becomes the current language; an empty one is refused.
    bool SetLanguage(std::string_view code);
    std::string GetLanguage() const;

private:
    StringManager();

    mutable std::shared_mutex treeMutex_;
    StringNode root_;
    mutable std::mutex languageMutex_;
    std::string language_;
};

// Shorthands over the instance: a text of the "default" section in the current language, and
// the current language.
std::string GetString(const std::string& id);
bool SetLanguage(const std::string& code);
std::string GetLanguage();
