#include "app/AppSettings.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>
#include <string>

namespace {

class AppSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        path_ = dir_.filePath("settings.ini").toStdString();
    }
    std::unique_ptr<AppSettings> Open() const { return std::make_unique<AppSettings>(path_); }
    QVariant Raw(const char* key) const {
        return QSettings(QString::fromStdString(path_), QSettings::IniFormat).value(key);
    }

    QTemporaryDir dir_;
    std::string path_;
};

TEST_F(AppSettingsTest, DefaultsOfAnEmptyStore) {
    auto settings = Open();
    EXPECT_EQ(settings->ReadString(SettingKey::Language), "");
    EXPECT_EQ(settings->ReadString(SettingKey::IPAddress), "");
    const std::pair<SettingKey, int> ints[] = {{SettingKey::Port, 0},
                                               {SettingKey::ConnectTimeout, 5000},
                                               {SettingKey::ReadTimeout, 3000},
                                               {SettingKey::SendTimeout, 3000}};
    for (const auto& [key, expected] : ints) {
        EXPECT_EQ(settings->ReadInt(key), expected) << AppSettings::KeyName(key);
        EXPECT_EQ(settings->ReadInt(key, 42), 42) << AppSettings::KeyName(key);
        EXPECT_FALSE(settings->Contains(key));
    }
}

TEST_F(AppSettingsTest, ValuesLiveInTheSettingsSectionAndSurviveReopening) {
    {
        auto settings = Open();
        settings->WriteString(SettingKey::IPAddress, "zelta.local");
        settings->WriteInt(SettingKey::Port, 6000);
        settings->WriteInt(SettingKey::ReadTimeout, 1234);
        settings->Sync();
    }
    EXPECT_EQ(Raw("Settings/IPAddress").toString(), "zelta.local");
    EXPECT_EQ(Raw("Settings/Port").toInt(), 6000);
    auto settings = Open();
    EXPECT_EQ(settings->ReadString(SettingKey::IPAddress), "zelta.local");
    EXPECT_EQ(settings->ReadInt(SettingKey::Port), 6000);
    EXPECT_EQ(settings->ReadInt(SettingKey::ReadTimeout), 1234);
}

TEST_F(AppSettingsTest, UnreadableNumbersGiveTheDefault) {
    {
        QSettings raw(QString::fromStdString(path_), QSettings::IniFormat);
        raw.setValue("Settings/ConnectTimeout", "soon");
    }
    EXPECT_EQ(Open()->ReadInt(SettingKey::ConnectTimeout), 5000);
}

TEST_F(AppSettingsTest, LanguageIsCreatedOnceAndRepairedWhenUnusable) {
    struct Case {
        const char* stored; // null: none stored
        const char* fallback;
        const char* expected;
    };
    const Case cases[] = {
        {nullptr, "de", "de"}, {nullptr, "en", "en"}, {"", "de", "de"},
        {"en", "de", "en"},    {"de", "en", "de"},    {"klingon", "en", "en"},
    };
    for (const Case& c : cases) {
        QFile::remove(QString::fromStdString(path_));
        if (c.stored) {
            QSettings raw(QString::fromStdString(path_), QSettings::IniFormat);
            raw.setValue("Settings/Language", c.stored);
        }
        {
            auto settings = Open();
            EXPECT_EQ(settings->EnsureLanguage(c.fallback), c.expected) << c.stored;
        }
        EXPECT_EQ(Raw("Settings/Language").toString().toStdString(), c.expected) << c.stored;
    }
}

} // namespace
