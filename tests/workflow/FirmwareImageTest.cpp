#include "workflow/FirmwareImage.h"
#include "workflow/FirmwareFile.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

const std::string kBanner = "NET+WORKS Version %s"s;
// A stored version as the banner expects it just before itself.
const std::string kBannerVersion = "04.10\0\0\0\r\n"s;
// From the banner's end to the Net+OS text at banner + 26.
const std::string kToNetOs = "\0abcde"s;
// A banner that yields the version 4.10 and the Net+OS version 7.4.2.
const std::string kVersionedBanner = "ab" + kBannerVersion + kBanner + kToNetOs + "7.4.2\0"s;

std::optional<std::size_t> Find(const std::string& buffer, const std::string& pattern) {
    return FindBytes(reinterpret_cast<const std::uint8_t*>(buffer.data()), buffer.size(),
                     reinterpret_cast<const std::uint8_t*>(pattern.data()), pattern.size());
}

TEST(FindBytes, SearchesEveryStartButTheLast) {
    struct Case {
        std::string buffer, pattern;
        std::optional<std::size_t> expected;
    } cases[] = {
        {"abcXYZ!", "XYZ", 3},           {"aXYZXYZ!", "XYZ", 1},
        {"abcXYZ", "XYZ", std::nullopt}, // ends at the buffer's end: that start is not tried
        {"XYZ", "XYZ", std::nullopt},    {"XY", "XYZ", std::nullopt},
        {"", "X", std::nullopt},         {"abc", "", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Find(c.buffer, c.pattern), c.expected) << c.buffer << " / " << c.pattern;
    }
}

struct InspectionCase {
    const char* what;
    std::string fileName;
    std::string content;
    int typeBefore;
    std::string version;
    std::string netOs;
    int type;
};

TEST(ChooseFirmwareFile, InspectsTheImageAndFallsBackToTheFileName) {
    const std::string pad(40, 'x');
    const InspectionCase cases[] = {
        {"no markers: version from the name", "update_v04_10.bin", "no markers"s, 0,
         "4.10 (update_v04_10.bin)", "???", 2},
        {"two underscores become points", "fw_V1_40_2.bin", ""s, 0, "1.40.2 (fw_V1_40_2.bin)",
         "???", 2},
        {"nothing left after the dropped zero", "fw_v0.bin", ""s, 0, " (fw_v0.bin)", "???", 2},
        {"no V in the name", "firmware.bin", ""s, 0, "??? (firmware.bin)", "???", 2},
        {"FND in the name", "zelta_FND_v3_1.bin", ""s, 0, "3.1 (zelta_FND_v3_1.bin)", "???", 3},
        {"BRN wins over FND", "BRN_FND_v2.bin", ""s, 0, "2 (BRN_FND_v2.bin)", "???", 1},
        {"family codes in lower case do not count", "brn_fnd_v2.bin", ""s, 0, "2 (brn_fnd_v2.bin)",
         "???", 2},
        {"banner with version before it and Net+OS after it", "fw_v9_9.bin", kVersionedBanner + pad,
         1, "4.10 (fw_v9_9.bin)", "7.4.2", 1},
        {"banner within the last 29 bytes: no Net+OS", "fw.bin",
         "ab" + kBannerVersion + kBanner + "\0abcde789"s, 0, "4.10 (fw.bin)", "???", 0},
        {"banner exactly 30 bytes from the end: Net+OS runs to the end", "fw.bin",
         "ab" + kBannerVersion + kBanner + kToNetOs + "7.4."s, 0, "4.10 (fw.bin)", "7.4.", 0},
        {"banner at position 10: version not taken", "fw_v5.bin",
         kBannerVersion + kBanner + kToNetOs + "7.0.1\0"s + pad, 0, "5 (fw_v5.bin)", "7.0.1", 2},
        {"banner version needs three zero bytes", "fw_v5.bin",
         "ab04.10\0\0X\r\n"s + kBanner + kToNetOs + "6.1\0"s + pad, 0, "5 (fw_v5.bin)", "6.1", 2},
        {"second banner form gives Net+OS only", "fw_v1_00.bin",
         pad + "NetOS:    %s\0abc7.0.1\0"s + pad, 0, "1.00 (fw_v1_00.bin)", "7.0.1", 2},
        {"DEVICE: PLM and Version: in the file win over the name", "fw_BRN_v9.bin",
         pad + "DEVICE: abcdPLM\0Version: abc04.10\0"s + pad, 0, "4.10 (fw_BRN_v9.bin)", "???", 2},
        {"DEVICE: BRN and the version behind its format text", "fw_v9.bin",
         pad + "DEVICE: abcdBRN\0Version: abc%c.%c%c.%c\0x02.10\0"s + pad, 0, "2.10 (fw_v9.bin)",
         "???", 1},
        {"DEVICE: knows no FND and hides Device:", "fw_v9.bin",
         pad + "DEVICE: abcdFND\0Version: abc04.10\0 Device: BRN"s + pad, 0, "4.10 (fw_v9.bin)",
         "???", 0},
        {"Device: past blanks and zero bytes gives FND", "fw_v9.bin",
         pad + "Device:  \0 \0FND\0%c.%c%c.%c\0x01.40.2\0"s + pad, 0, "1.40.2 (fw_v9.bin)", "???",
         3},
        {"markers without version digits: the name decides the family", "fw_BRN_v1_2.bin",
         pad + "DEVICE: abcdPLM\0Version: abcv1.2a\0"s + pad, 0, "1.2 (fw_BRN_v1_2.bin)", "???", 1},
        {"version text runs to the end of the file", "fw_v9.bin",
         pad + "DEVICE: abcdPLM\0Version: abc04.10"s, 0, "4.10 (fw_v9.bin)", "???", 2},
        {"fifth version character beyond the end", "fw_BRN_v7.bin",
         pad + "DEVICE: abcdPLM\0Version: abc04.1"s, 0, "7 (fw_BRN_v7.bin)", "???", 1},
        {"device code beyond the end leaves the family", "fw.bin",
         kVersionedBanner + pad + "DEVICE: ab"s, 3, "4.10 (fw.bin)", "7.4.2", 3},
        {"Device: followed by blanks up to the end", "fw.bin",
         kVersionedBanner + pad + "Device:  \0\0"s, 3, "4.10 (fw.bin)", "7.4.2", 3},
        {"file no longer than the marker", "x_v3.bin", "Device:"s, 0, "3 (x_v3.bin)", "???", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        FirmwareFileInfo info;
        info.path = dir.Write(c.fileName, c.content);
        info.deviceType = c.typeBefore;
        const auto choice = ChooseFirmwareFile(info, dir.Path(), [](const std::string&) {
            ADD_FAILURE() << "asked for a file although one was given";
            return std::optional<std::string>();
        });
        EXPECT_EQ(choice, FirmwareChoice::Inspected);
        EXPECT_EQ(info.version, c.version);
        EXPECT_EQ(info.netOsVersion, c.netOs);
        EXPECT_EQ(info.deviceType, c.type);
    }
}

TEST(ChooseFirmwareFile, UnreadableFileFallsBackToTheFileName) {
    TempDir dir;
    FirmwareFileInfo info;
    info.path = dir.MakeDirectory("fw_FND_v5_1.bin");
    EXPECT_EQ(ChooseFirmwareFile(info, dir.Path(), {}), FirmwareChoice::Inspected);
    EXPECT_EQ(info.version, "5.1 (fw_FND_v5_1.bin)");
    EXPECT_EQ(info.netOsVersion, "???");
    EXPECT_EQ(info.deviceType, kFirmwareFamilyFND);
}

TEST(ChooseFirmwareFile, TakesTheOnlyBinFileOrAsks) {
    struct Case {
        const char* what;
        std::vector<std::string> files;
        std::vector<std::string> directories;
        std::string givenPath;             // relative to the directory; empty: none given
        std::optional<std::string> answer; // file the operator picks; nothing: cancel
        bool asks;
        FirmwareChoice choice;
        std::string chosen; // file name the path ends with; empty: no path
    } cases[] = {
        {"the only bin file is taken",
         {"fw_v1_0.bin", "notes.txt"},
         {"old.bin"},
         "",
         std::nullopt,
         false,
         FirmwareChoice::Inspected,
         "fw_v1_0.bin"},
        {"extension in capitals counts",
         {"FW_V2.BIN"},
         {},
         "",
         std::nullopt,
         false,
         FirmwareChoice::Inspected,
         "FW_V2.BIN"},
        {"two bin files: the operator picks",
         {"a_v1.bin", "b_v2.BIN"},
         {},
         "",
         "b_v2.BIN",
         true,
         FirmwareChoice::Inspected,
         "b_v2.BIN"},
        {"no bin file and cancelled",
         {"notes.txt"},
         {},
         "",
         std::nullopt,
         true,
         FirmwareChoice::Cancelled,
         ""},
        {"a given path is kept",
         {"fw_v1_0.bin", "given_v3.img"},
         {},
         "given_v3.img",
         std::nullopt,
         false,
         FirmwareChoice::Inspected,
         "given_v3.img"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        for (const auto& name : c.files) {
            dir.Write(name, "");
        }
        for (const auto& name : c.directories) {
            dir.MakeDirectory(name);
        }
        FirmwareFileInfo info;
        if (!c.givenPath.empty()) {
            info.path = dir.File(c.givenPath);
        }
        bool asked = false;
        const auto choice =
            ChooseFirmwareFile(info, dir.Path(), [&](const std::string& initialDirectory) {
                asked = true;
                EXPECT_EQ(initialDirectory, dir.Path());
                return c.answer ? std::optional(dir.File(*c.answer)) : std::nullopt;
            });
        EXPECT_EQ(asked, c.asks);
        EXPECT_EQ(choice, c.choice);
        EXPECT_EQ(info.path, c.chosen.empty() ? "" : dir.File(c.chosen));
        if (choice == FirmwareChoice::Cancelled) {
            EXPECT_EQ(info.version, "???");
            EXPECT_EQ(info.netOsVersion, "???");
        }
    }
}

} // namespace
