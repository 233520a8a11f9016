#pragma once

#include <QString>

#include <string>

// Texts of the string tables as QString, fetched at the moment they are shown.
// The first form reads the "default" section, the second the named one; both in the current
// language.
QString UiText(const std::string& id);
QString UiText(const std::string& id, const std::string& section);
