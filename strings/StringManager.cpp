#include "strings/StringManager.h"

#include "strings/CTevnoTools.h"
#include "strings/StringTableResource.h"
#include "strings/SystemPlatform.h"

#include <tinyxml2.h>

namespace {

constexpr std::string_view kStringTable = "stringtable";
constexpr std::string_view kDefaultSection = "default";

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    std::size_t pos = 0;
    while ((pos = text.find(from, pos)) != std::string::npos) {
        text.replace(pos, from.size(), to);
        pos += to.size();
    }
}

std::string Unescape(std::string text) {
    if (text.find('\\') == std::string::npos) {
        return text;
    }
    ReplaceAll(text, "\\r", "\r");
    ReplaceAll(text, "\\n", "\n");
    ReplaceAll(text, "\\t", "\t");
    ReplaceAll(text, "\\0", "");
    return text;
}

// The element's own text is the text of its first child, when that child is text. Texts are
// kept as UTF-8.
void BuildNode(StringNode& node, const tinyxml2::XMLElement& element) {
    const tinyxml2::XMLNode* first = element.FirstChild();
    const tinyxml2::XMLText* text = first ? first->ToText() : nullptr;
    node.SetValue(text && text->Value() ? text->Value() : "");
    node.SetName(element.Name() ? element.Name() : "");
    for (const tinyxml2::XMLAttribute* attribute = element.FirstAttribute(); attribute;
         attribute = attribute->Next()) {
        node.SetAttribute(attribute->Name(), attribute->Value());
    }
    for (const tinyxml2::XMLElement* child = element.FirstChildElement(); child;
         child = child->NextSiblingElement()) {
        BuildNode(node.GetOrCreateChild(child->Name() ? child->Name() : ""), *child);
    }
}

// Parses with white space kept exactly as written (leading and trailing blanks of a text
// matter; text made of white space only is dropped by the parser). A table needs a root
// element.
bool ParseTable(std::string_view xml, tinyxml2::XMLDocument& document) {
    return document.Parse(xml.data(), xml.size()) == tinyxml2::XML_SUCCESS &&
           document.RootElement() != nullptr;
}

} // namespace

StringManager& StringManager::Instance() {
    // Checked before construction starts, so that a thread ended here leaves no half-built
    // instance behind.
    CTevnoTools::RequireInitialized();
    static StringManager instance;
    return instance;
}

StringManager::StringManager() : root_("root"), language_(SystemLanguageCode()) {
    root_.GetOrCreateChild(kStringTable).GetOrCreateChild(kDefaultSection);
}

StringManager::~StringManager() = default;

bool StringManager::LoadStringTable(int resourceId) {
    std::string bytes;
    return ReadStringTableResource(resourceId, bytes) && LoadStringTableFromData(bytes);
}

bool StringManager::AddStringTable(int resourceId) {
    std::string bytes;
    return ReadStringTableResource(resourceId, bytes) && AddStringTableFromData(bytes);
}

bool StringManager::LoadStringTableFromData(std::string_view xml) {
    tinyxml2::XMLDocument document(true, tinyxml2::PRESERVE_WHITESPACE);
    if (!ParseTable(xml, document)) {
        return false;
    }
    std::unique_lock lock(treeMutex_);
    root_.Clear();
    BuildNode(root_, *document.RootElement());
    return true;
}

bool StringManager::AddStringTableFromData(std::string_view xml) {
    tinyxml2::XMLDocument document(true, tinyxml2::PRESERVE_WHITESPACE);
    if (!ParseTable(xml, document)) {
        return false;
    }
    StringNode added;
    BuildNode(added, *document.RootElement());
    const StringNode* table = added.FindChild(kStringTable);
    if (!table) {
        return false;
    }
    std::unique_lock lock(treeMutex_);
    StringNode& target = root_.GetOrCreateChild(kStringTable, table->Value());
    target.MergeFrom(*table);
    return true;
}

std::string StringManager::GetString(std::string_view id, std::string_view section,
                                     std::string_view language) const {
    const std::string_view sectionName = section.empty() ? kDefaultSection : section;
    const std::string languageName = language.empty() ? GetLanguage() : std::string(language);

    std::shared_lock lock(treeMutex_);
    const StringNode* table = root_.FindChild(kStringTable);
    const StringNode* sectionNode = table ? table->FindChild(sectionName) : nullptr;
    if (!sectionNode) {
        return std::string(section);
    }
    const StringNode* entry = sectionNode->FindChild(id);
    if (!entry) {
        return std::string(id);
    }
    const StringNode* text = entry->FindChild(languageName);
    if (!text) {
        return std::string(id);
    }
    return Unescape(text->Value());
}

bool StringManager::SetLanguage(std::string_view code) {
    if (code.empty()) {
        return false;
    }
    std::lock_guard lock(languageMutex_);
    language_ = std::string(code);
    return true;
}

std::string StringManager::GetLanguage() const {
    std::lock_guard lock(languageMutex_);
    return language_;
}

std::string GetString(const std::string& id) {
    return StringManager::Instance().GetString(id);
}

bool SetLanguage(const std::string& code) {
    return StringManager::Instance().SetLanguage(code);
}

std::string GetLanguage() {
    return StringManager::Instance().GetLanguage();
}
