#pragma once

#include <filesystem>
#include <string>

// The workflow keeps file and directory names as UTF-8 text; these turn them into file-system
// paths and back without going through the system's narrow code page.
std::filesystem::path PathFromUtf8(const std::string& text);
std::string Utf8FromPath(const std::filesystem::path& path);
