#pragma once

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

// "FE 00 1A FF" <-> bytes, for readable expectations.
inline std::vector<uint8_t> Hex(const std::string& text) {
    std::vector<uint8_t> out;
    std::istringstream in(text);
    std::string token;
    while (in >> token) {
        out.push_back(static_cast<uint8_t>(std::stoul(token, nullptr, 16)));
    }
    return out;
}

inline std::string ToHex(const uint8_t* data, int len) {
    std::string out;
    char part[4];
    for (int i = 0; i < len; ++i) {
        std::snprintf(part, sizeof(part), i == 0 ? "%02X" : " %02X", data[i]);
        out += part;
    }
    return out;
}

inline std::string ToHex(const std::vector<uint8_t>& bytes) {
    return ToHex(bytes.data(), static_cast<int>(bytes.size()));
}
