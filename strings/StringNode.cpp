#include "strings/StringNode.h"

StringNode::StringNode(std::string name, StringNode* parent)
    : name_(std::move(name)), parent_(parent) {}

StringNode::~StringNode() = default;

std::string StringNode::UpperKey(std::string_view name) {
    std::string key(name);
    for (char& c : key) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return key;
}

const StringNode* StringNode::FindChild(std::string_view name) const {
    auto it = children_.find(UpperKey(name));
    return it == children_.end() ? nullptr : it->second.get();
}

StringNode* StringNode::FindChild(std::string_view name) {
    auto it = children_.find(UpperKey(name));
    return it == children_.end() ? nullptr : it->second.get();
}

StringNode& StringNode::GetOrCreateChild(std::string_view name, std::string value) {
    auto& slot = children_[UpperKey(name)];
    if (!slot) {
        slot = std::make_unique<StringNode>(std::string(name), this);
    }
    slot->value_ = std::move(value);
    return *slot;
}

void StringNode::SetAttribute(const std::string& name, std::string value) {
    attributes_[name] = std::move(value);
}

void StringNode::Clear() {
    children_.clear();
    attributes_.clear();
}

void StringNode::MergeFrom(const StringNode& source) {
    value_ = source.value_;
    for (const auto& [name, value] : source.attributes_) {
        attributes_[name] = value;
    }
    for (const auto& [key, child] : source.children_) {
        GetOrCreateChild(child->name_, child->value_).MergeFrom(*child);
    }
}
