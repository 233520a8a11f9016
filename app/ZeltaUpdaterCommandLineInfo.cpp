#include "app/ZeltaUpdaterCommandLineInfo.h"

#include <filesystem>
#include <system_error>

namespace {

// Tokenizer step: skips separators at the start of `text` from `pos` on, then returns the piece
// up to the next separator (or the end) and moves `pos` past that separator. An empty result
// means that nothing is left.
std::string_view NextPiece(std::string_view text, std::size_t& pos, char separator) {
    while (pos < text.size() && text[pos] == separator) {
        ++pos;
    }
    if (pos >= text.size()) {
        return {};
    }
    const std::size_t end = text.find(separator, pos);
    const std::size_t stop = end == std::string_view::npos ? text.size() : end;
    std::string_view piece = text.substr(pos, stop - pos);
    pos = end == std::string_view::npos ? text.size() : end + 1;
    return piece;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// The switch name: the first piece of the text split at ":".
std::string_view SwitchName(std::string_view text, std::size_t& pos) {
    pos = 0;
    return NextPiece(text, pos, ':');
}

// Leading decimal digits; none gives 0. Values beyond the port range saturate, so that an
// overlong number still reads as too large.
unsigned long LeadingNumber(std::string_view text) {
    unsigned long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        value = value * 10 + static_cast<unsigned long>(c - '0');
        if (value > 1000000) {
            value = 1000000;
        }
    }
    return value;
}

bool PathExists(const std::string& utf8Path) {
    if (utf8Path.empty()) {
        return false;
    }
    std::error_code error;
    const std::u8string u8(utf8Path.begin(), utf8Path.end());
    return std::filesystem::exists(std::filesystem::path(u8), error);
}

} // namespace

bool ZeltaUpdaterCommandLineInfo::IsKnownSwitch(std::string_view text) {
    std::size_t pos = 0;
    const std::string_view name = SwitchName(text, pos);
    return EqualsIgnoringCase(name, "IP") || EqualsIgnoringCase(name, "L") ||
           EqualsIgnoringCase(name, "U") || EqualsIgnoringCase(name, "h") ||
           EqualsIgnoringCase(name, "help") || name == "?";
}

void ZeltaUpdaterCommandLineInfo::ParseCommandLine(const std::vector<std::string>& arguments,
                                                   SlashRule slashRule) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool last = i + 1 == arguments.size();
        bool isSwitch = false;
        if (!argument.empty() && argument[0] == '-') {
            isSwitch = true;
        } else if (!argument.empty() && argument[0] == '/') {
            isSwitch = slashRule == SlashRule::AlwaysSwitch ||
                       IsKnownSwitch(std::string_view(argument).substr(1));
        }
        if (isSwitch) {
            ParseParam(argument.substr(1), true, last);
        } else {
            ParseParam(argument, false, last);
        }
    }
}

void ZeltaUpdaterCommandLineInfo::ParseParam(const std::string& text, bool isSwitch,
                                             bool /*isLast*/) {
    if (isSwitch) {
        ParseSwitch(text);
        return;
    }
    firmwarePath = text;
    if (!PathExists(text)) {
        valid = false;
    }
}

void ZeltaUpdaterCommandLineInfo::ParseSwitch(const std::string& text) {
    std::size_t pos = 0;
    const std::string_view name = SwitchName(text, pos);
    const std::string_view remainder = std::string_view(text).substr(pos);
    if (EqualsIgnoringCase(name, "IP")) {
        ParseIpAddress(remainder);
    } else if (EqualsIgnoringCase(name, "L")) {
        ParseLanguage(remainder);
    } else if (EqualsIgnoringCase(name, "U")) {
        unattended = true;
    } else if (EqualsIgnoringCase(name, "h") || EqualsIgnoringCase(name, "help") || name == "?") {
        showUsage = true;
    } else {
        valid = false;
    }
}

void ZeltaUpdaterCommandLineInfo::ParseIpAddress(std::string_view remainder) {
    std::size_t pos = 0;
    const std::string_view address = NextPiece(remainder, pos, ',');
    // The connection's host field holds at most kMaxHostLength characters; a longer host
    // would be cut short, so it makes the command line invalid.
    if (address.empty() || address.size() > kMaxHostLength) {
        valid = false;
        return;
    }
    ipAddress = std::string(address);
    const std::string_view portText = NextPiece(remainder, pos, ',');
    if (portText.empty()) {
        port = kDefaultPort;
        return;
    }
    const unsigned long value = LeadingNumber(portText);
    if (value > 65535) {
        valid = false;
        return;
    }
    port = static_cast<std::uint16_t>(value);
}

void ZeltaUpdaterCommandLineInfo::ParseLanguage(std::string_view remainder) {
    if (remainder.empty()) {
        valid = false;
        return;
    }
    language = (remainder == "de" || remainder == "en") ? std::string(remainder) : "en";
}
