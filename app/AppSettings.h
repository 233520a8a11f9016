#pragma once

#include <memory>
#include <string>
#include <string_view>

class QSettings;

// The program's per-user settings, all in the section "Settings".
enum class SettingKey { Language, IPAddress, Port, ConnectTimeout, ReadTimeout, SendTimeout };

class AppSettings {
public:
    // The user's own store (organisation "Orbel", application "ZeltaUpdater").
    AppSettings();
    // A store of its own in the INI file at `filePath` (tests, portable use).
    explicit AppSettings(const std::string& filePath);
    AppSettings(const AppSettings&) = delete;
    AppSettings& operator=(const AppSettings&) = delete;
    ~AppSettings();

    static std::string_view KeyName(SettingKey key);

    // Missing values, and integers that do not parse, give the key's default.
    std::string ReadString(SettingKey key) const;
    int ReadInt(SettingKey key) const;
    int ReadInt(SettingKey key, int fallback) const;
    bool Contains(SettingKey key) const;
    void WriteString(SettingKey key, const std::string& value);
    void WriteInt(SettingKey key, int value);

    // The stored user-interface language. When none is stored, or the stored one is neither
    // "de" nor "en", `fallback` is written and returned.
    std::string EnsureLanguage(const std::string& fallback);

    void Sync();

private:
    std::unique_ptr<QSettings> settings_;
};
