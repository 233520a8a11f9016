#include "strings/StringManager.h"
#include "strings/CTevnoTools.h"
#include "strings/SectionStrings.h"
#include "strings/SystemPlatform.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Escapes are stored as two characters and decoded at lookup; the first table starts with a
// byte-order mark.
constexpr const char* kBaseTable = "\xEF\xBB\xBF"
                                   R"(<?xml version="1.0" encoding="utf-8"?>
<root>
  <stringtable>
    <default>
      <IDS_OK><de>OK</de><en>OK</en></IDS_OK>
      <IDS_CLOSE><de>Schließen\tAlt+F4</de><en>Close\tAlt+F4</en></IDS_CLOSE>
      <IDS_LINES><en>one\ntwo\r\nthree\0</en></IDS_LINES>
      <IDS_BLANKS><en>  Failed to open connection: </en></IDS_BLANKS>
      <IDS_EMPTY_EN><de>leer</de><en></en></IDS_EMPTY_EN>
      <IDS_ENTITIES><en>&lt;&lt; Start &amp; "go"</en></IDS_ENTITIES>
      <IDS_REPLACED><de>alt</de><en>old</en></IDS_REPLACED>
      <IDS_TWICE><en>first</en></IDS_TWICE>
      <ids_twice><de>zweites</de></ids_twice>
    </default>
    <Errors>
      <IDS_ERR_OK><de>Kein Fehler</de><en>No error</en><fr>Aucune erreur</fr></IDS_ERR_OK>
      <IDS_ERR_DEVICE_BUSY><de>Gerät ist belegt</de><en>device is busy</en></IDS_ERR_DEVICE_BUSY>
    </Errors>
  </stringtable>
</root>
)";

constexpr const char* kAddedTable = R"(<?xml version="1.0" encoding="utf-8"?>
<root>
  <stringtable>
    <DEFAULT>
      <IDS_REPLACED><en>new</en></IDS_REPLACED>
    </DEFAULT>
    <Dialogs>
      <IDS_OK><de>&amp;OK</de><en>&amp;OK</en></IDS_OK>
    </Dialogs>
  </stringtable>
</root>
)";

class StringManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        CTevnoTools::Initialize(0);
        ASSERT_TRUE(strings().LoadStringTableFromData(kBaseTable));
        ASSERT_TRUE(strings().AddStringTableFromData(kAddedTable));
        ASSERT_TRUE(strings().SetLanguage("en"));
    }
    static StringManager& strings() { return StringManager::Instance(); }
};

struct Lookup {
    const char* id;
    const char* section;
    const char* language;
    const char* expected;
};

TEST_F(StringManagerTest, Lookups) {
    const Lookup cases[] = {
        {"IDS_OK", "", "", "OK"},
        {"ids_ok", "DeFault", "EN", "OK"},
        {"IDS_CLOSE", "", "", "Close\tAlt+F4"},
        {"IDS_CLOSE", "", "de", "Schließen\tAlt+F4"},
        {"IDS_LINES", "", "", "one\ntwo\r\nthree"},
        {"IDS_BLANKS", "", "", "  Failed to open connection: "},
        {"IDS_EMPTY_EN", "", "", ""},
        {"IDS_EMPTY_EN", "", "fr", "IDS_EMPTY_EN"},
        {"IDS_OK", "", "fr", "IDS_OK"},
        {"IDS_ENTITIES", "", "", "<< Start & \"go\""},
        {"IDS_NO_SUCH_ID", "", "", "IDS_NO_SUCH_ID"},
        {"IDS_OK", "NoSuchSection", "", "NoSuchSection"},
        // merged: replaced where the later table speaks, kept where it does not
        {"IDS_REPLACED", "", "en", "new"},
        {"IDS_REPLACED", "", "de", "alt"},
        {"IDS_OK", "dialogs", "", "&OK"},
        // a second element of the same name merges into the first
        {"IDS_TWICE", "", "en", "first"},
        {"IDS_TWICE", "", "de", "zweites"},
        {"IDS_ERR_OK", "Errors", "fr", "Aucune erreur"},
        {"IDS_ERR_DEVICE_BUSY", "Errors", "fr", "IDS_ERR_DEVICE_BUSY"},
    };
    for (const Lookup& c : cases) {
        EXPECT_EQ(strings().GetString(c.id, c.section, c.language), c.expected)
            << c.id << " / " << c.section << " / " << c.language;
    }
}

TEST_F(StringManagerTest, LanguageSwitchAndShorthands) {
    EXPECT_FALSE(SetLanguage(""));
    EXPECT_EQ(GetLanguage(), "en");

    EXPECT_TRUE(SetLanguage("fr"));
    EXPECT_EQ(GetLanguage(), "fr");
    EXPECT_EQ(GetString("IDS_OK"), "IDS_OK");
    EXPECT_EQ(SectionStrings("Errors").GetString("IDS_ERR_OK"), "Aucune erreur");

    EXPECT_TRUE(SetLanguage("de"));
    EXPECT_EQ(GetString("IDS_CLOSE"), "Schließen\tAlt+F4");
    EXPECT_EQ(SectionStrings("Dialogs", "en").GetString("IDS_OK"), "&OK");
    EXPECT_EQ(SectionStrings("Errors").GetString("IDS_ERR_OK"), "Kein Fehler");
}

TEST_F(StringManagerTest, MissingDefaultSectionGivesTheEmptySectionArgument) {
    ASSERT_TRUE(strings().LoadStringTableFromData(
        "<root><stringtable><Other><IDS_OK><en>x</en></IDS_OK></Other></stringtable></root>"));
    EXPECT_EQ(strings().GetString("IDS_OK"), "");
    EXPECT_EQ(strings().GetString("IDS_OK", "default"), "default");
    EXPECT_EQ(strings().GetString("IDS_OK", "other"), "x");
}

TEST_F(StringManagerTest, RejectedTablesLeaveTheStoreUnchanged) {
    const char* rejectedLoads[] = {"<root><stringtable><default>", "not xml at all", ""};
    for (const char* xml : rejectedLoads) {
        EXPECT_FALSE(strings().LoadStringTableFromData(xml)) << xml;
        EXPECT_FALSE(strings().AddStringTableFromData(xml)) << xml;
    }
    EXPECT_FALSE(strings().AddStringTableFromData(
        "<root><default><IDS_OK><en>changed</en></IDS_OK></default></root>"));
    EXPECT_FALSE(strings().LoadStringTable(999));
    EXPECT_FALSE(strings().AddStringTable(999));

    EXPECT_EQ(strings().GetString("IDS_OK"), "OK");
    EXPECT_EQ(strings().GetString("IDS_REPLACED"), "new");
}

TEST(SystemLanguage, GermanLocalesGiveDeAllOthersEn) {
    const std::pair<const char*, const char*> cases[] = {
        {"de_DE", "de"}, {"de_AT", "de"}, {"de_CH", "de"}, {"de", "de"},
        {"en_US", "en"}, {"fr_FR", "en"}, {"C", "en"},     {"", "en"},
    };
    for (const auto& [locale, expected] : cases) {
        EXPECT_EQ(LanguageCodeForLocale(locale), expected) << locale;
    }
}

} // namespace
