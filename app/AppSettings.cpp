#include "app/AppSettings.h"

#include <QSettings>
#include <QString>
#include <QVariant>

#include <array>

namespace {

struct SettingDefinition {
    SettingKey key;
    const char* name;
    int defaultInt;
};

// Strings default to empty; the connection time-outs default to 5000 / 3000 / 3000 ms, and the
// port to 0 (none).
constexpr std::array<SettingDefinition, 6> kSettings{{
    {SettingKey::Language, "Language", 0},
    {SettingKey::IPAddress, "IPAddress", 0},
    {SettingKey::Port, "Port", 0},
    {SettingKey::ConnectTimeout, "ConnectTimeout", 5000},
    {SettingKey::ReadTimeout, "ReadTimeout", 3000},
    {SettingKey::SendTimeout, "SendTimeout", 3000},
}};

const SettingDefinition& Definition(SettingKey key) {
    for (const SettingDefinition& definition : kSettings) {
        if (definition.key == key) {
            return definition;
        }
    }
    return kSettings[0];
}

QString Path(SettingKey key) {
    return QStringLiteral("Settings/") + QString::fromLatin1(Definition(key).name);
}

} // namespace

AppSettings::AppSettings()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QStringLiteral("Orbel"),
                                            QStringLiteral("ZeltaUpdater"))) {}

AppSettings::AppSettings(const std::string& filePath)
    : settings_(
          std::make_unique<QSettings>(QString::fromStdString(filePath), QSettings::IniFormat)) {}

AppSettings::~AppSettings() = default;

std::string_view AppSettings::KeyName(SettingKey key) {
    return Definition(key).name;
}

std::string AppSettings::ReadString(SettingKey key) const {
    return settings_->value(Path(key), QString()).toString().toStdString();
}

int AppSettings::ReadInt(SettingKey key) const {
    return ReadInt(key, Definition(key).defaultInt);
}

int AppSettings::ReadInt(SettingKey key, int fallback) const {
    const QVariant value = settings_->value(Path(key));
    if (!value.isValid()) {
        return fallback;
    }
    bool ok = false;
    const int number = value.toInt(&ok);
    return ok ? number : fallback;
}

bool AppSettings::Contains(SettingKey key) const {
    return settings_->contains(Path(key));
}

void AppSettings::WriteString(SettingKey key, const std::string& value) {
    settings_->setValue(Path(key), QString::fromStdString(value));
}

void AppSettings::WriteInt(SettingKey key, int value) {
    settings_->setValue(Path(key), value);
}

std::string AppSettings::EnsureLanguage(const std::string& fallback) {
    const std::string stored = ReadString(SettingKey::Language);
    if (stored == "de" || stored == "en") {
        return stored;
    }
    WriteString(SettingKey::Language, fallback);
    return fallback;
}

void AppSettings::Sync() {
    settings_->sync();
}
