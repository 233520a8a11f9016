#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

// One element of a loaded string table: its own text, its attributes and its child elements.
// Child names are unique per node regardless of ASCII letter case; the map key is the
// upper-cased name, while Name() keeps the spelling of the first element of that name.
class StringNode {
public:
    using ChildMap = std::map<std::string, std::unique_ptr<StringNode>>;
    using AttributeMap = std::map<std::string, std::string>;

    explicit StringNode(std::string name = {}, StringNode* parent = nullptr);
    StringNode(const StringNode&) = delete;
    StringNode& operator=(const StringNode&) = delete;
    ~StringNode();

    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    const std::string& Value() const { return value_; }
    void SetValue(std::string value) { value_ = std::move(value); }
    StringNode* Parent() const { return parent_; }

    // The child of that name (any letter case), or null.
    const StringNode* FindChild(std::string_view name) const;
    StringNode* FindChild(std::string_view name);
    // Fetches the child of that name, creating it when absent; in both cases its value is
    // then set to `value`.
    StringNode& GetOrCreateChild(std::string_view name, std::string value = {});
    const ChildMap& Children() const { return children_; }

    void SetAttribute(const std::string& name, std::string value);
    const AttributeMap& Attributes() const { return attributes_; }

    // Destroys all children and attributes; name and value stay.
    void Clear();
    // Copies the source's value and attributes over this node's and merges every child of the
    // source into the child of the same name here. Entries the source lacks stay untouched.
    void MergeFrom(const StringNode& source);

    static std::string UpperKey(std::string_view name);

private:
    std::string name_;
    std::string value_;
    StringNode* parent_;
    ChildMap children_;
    AttributeMap attributes_;
};
