#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The program's command line: a firmware file path, /IP:ipaddr[,port], /L:[de|en], /U and the
// help switches h, help and ?, each switch with the prefix "/" or "-".
class ZeltaUpdaterCommandLineInfo {
public:
    // When a "/" prefix makes an argument a switch. On Windows every such argument is one; where
    // absolute paths start with "/", only arguments that name a known switch are.
    enum class SlashRule { AlwaysSwitch, KnownSwitchesOnly };
#ifdef _WIN32
    static constexpr SlashRule kNativeSlashRule = SlashRule::AlwaysSwitch;
#else
    static constexpr SlashRule kNativeSlashRule = SlashRule::KnownSwitchesOnly;
#endif
    static constexpr std::uint16_t kDefaultPort = 6666;
    static constexpr std::size_t kMaxHostLength = 511;

    std::string firmwarePath;
    std::string ipAddress;
    std::uint16_t port = 0;
    bool unattended = false;
    std::string language;
    bool valid = true;
    bool showUsage = false;

    // One argument. `isSwitch` says that it began with "/" or "-", which is already removed
    // from `text`. `isLast` is not used.
    void ParseParam(const std::string& text, bool isSwitch, bool isLast);

    // Every argument in order (without the program name): strips the switch prefix and calls
    // ParseParam.
    void ParseCommandLine(const std::vector<std::string>& arguments,
                          SlashRule slashRule = kNativeSlashRule);

    // True for IP, L, U, h and help in any letter case, and for "?" (the part before any ":").
    static bool IsKnownSwitch(std::string_view text);

private:
    void ParseSwitch(const std::string& text);
    void ParseIpAddress(std::string_view remainder);
    void ParseLanguage(std::string_view remainder);
};
