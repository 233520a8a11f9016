#include "ui/UiText.h"

#include "strings/StringManager.h"

QString UiText(const std::string& id) {
    return QString::fromStdString(GetString(id));
}

QString UiText(const std::string& id, const std::string& section) {
    return QString::fromStdString(StringManager::Instance().GetString(id, section));
}
