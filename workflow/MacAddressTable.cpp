#include "workflow/MacAddressTable.h"

#include "workflow/Utf8Path.h"

#include <fstream>
#include <optional>
#include <string_view>
#include <vector>

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Splits at any of the separators; runs of separators count as one and leading ones are skipped.
std::vector<std::string_view> Tokens(std::string_view text, std::string_view separators,
                                     std::size_t maxTokens) {
    std::vector<std::string_view> tokens;
    std::size_t pos = 0;
    while (tokens.size() < maxTokens) {
        pos = text.find_first_not_of(separators, pos);
        if (pos == std::string_view::npos) {
            break;
        }
        const std::size_t end = text.find_first_of(separators, pos);
        tokens.push_back(text.substr(pos, end == std::string_view::npos ? end : end - pos));
        pos = end;
    }
    return tokens;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Leading blanks and a "0x" prefix are accepted; reading stops at the first character that is
// not a hexadecimal digit. A token without any digit is no number.
std::optional<std::uint8_t> ParseHexByte(std::string_view token) {
    while (!token.empty() && IsSpace(token.front())) {
        token.remove_prefix(1);
    }
    if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X') &&
        HexDigit(token[2]) >= 0) {
        token.remove_prefix(2);
    }
    unsigned value = 0;
    std::size_t digits = 0;
    for (; digits < token.size() && HexDigit(token[digits]) >= 0; ++digits) {
        value = ((value << 4) | static_cast<unsigned>(HexDigit(token[digits]))) & 0xFFu;
    }
    if (digits == 0) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(value);
}

bool ParseMacAddress(std::string_view text, MacAddress& address) {
    const auto numbers = Tokens(text, ":.", address.size());
    if (numbers.size() < address.size()) {
        return false;
    }
    MacAddress parsed{};
    for (std::size_t i = 0; i < parsed.size(); ++i) {
        const auto byte = ParseHexByte(numbers[i]);
        if (!byte) {
            return false;
        }
        parsed[i] = *byte;
    }
    address = parsed;
    return true;
}

// Decimal number at the start of text, the way the C library reads it: leading blanks and a
// sign accepted, 0 when there is no digit.
long LeadingDecimal(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) {
        text.remove_prefix(1);
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        value = value < 100000000 ? value * 10 + (c - '0') : value;
    }
    return negative ? -value : value;
}

} // namespace

bool LookupMacAddress(const std::string& directory, const std::string& serialNumber,
                      MacAddress& address) {
    address.fill(0);
    if (serialNumber.empty()) {
        return false;
    }
    std::ifstream table(PathFromUtf8(directory) / kMacTableFileName, std::ios::binary);
    std::string line;
    while (table && std::getline(table, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty()) {
            continue;
        }
        const auto fields = Tokens(line, ",", 2);
        if (fields.empty() || Trim(fields[0]) != serialNumber) {
            continue;
        }
        return fields.size() > 1 && ParseMacAddress(Trim(fields[1]), address);
    }
    return false;
}

bool MacAddressLost(const MacAddress& address) {
    return address[3] == 0 && address[4] == 0 && address[5] == 0;
}

bool FirmwareSupportsMacRepair(const std::string& firmwareVersion) {
    const auto parts = Tokens(firmwareVersion, ".", 2);
    const long major = parts.empty() ? 0 : LeadingDecimal(parts[0]);
    const long minor = parts.size() < 2 ? 0 : LeadingDecimal(parts[1]);
    return major >= 2 || (major == 1 && minor >= 40);
}
