#include "workflow/UpdateResult.h"
#include "workflow/VersionText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

int Sign(int value) {
    return (value > 0) - (value < 0);
}

TEST(CompareVersionTexts, ComparesBytesNotNumbers) {
    struct Case {
        std::string a, b;
        int sign;
    } cases[] = {
        {"10.0", "2.03", -1}, {"???", "7.4.2", 1}, {"", "1.00", -1},    {"", "", 0},
        {"2.0", "2.03", -1},  {"2.03", "2.03", 0}, {"2.03", "2.1", -1}, {"7.4.10", "7.4.2", -1},
        {"\xC3\xA9", "z", 1}, // bytes above 0x7F sort after ASCII
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Sign(CompareVersionTexts(c.a, c.b)), c.sign) << c.a << " vs " << c.b;
        EXPECT_EQ(Sign(CompareVersionTexts(c.b, c.a)), -c.sign) << c.b << " vs " << c.a;
    }
}

TEST(VersionRules, LoaderDecisions) {
    struct Case {
        std::string loader, netOs;
        bool loaderUpdate, downgrade;
    } cases[] = {
        {"2.02", "7.4.2", true, false}, {"2.03", "7.4.2", false, false},
        {"1.05", "???", true, false},   {"2.02", "7.4.1", false, false},
        {"", "7.5", true, false},       {"2.0", "6.9", false, true},
        {"2.03", "6.9.9", false, true}, {"1.99", "6.9", false, false},
        {"2.03", "7.0", false, false},  {"2.03", "???", false, false},
        {"10.0", "7.5", true, false}, // "10.0" sorts before "2.03" and "2.0"
        {"10.0", "6.0", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.loader + " / " + c.netOs);
        EXPECT_EQ(LoaderUpdateNeeded(c.loader, c.netOs), c.loaderUpdate);
        EXPECT_EQ(DowngradeRefused(c.loader, c.netOs), c.downgrade);
    }

    struct Intermediate {
        std::string loader;
        bool needed;
    } intermediates[] = {
        {"1.05", true},  {"1.10", true}, {"1.00", false}, {"1.11", false},
        {"2.02", false}, {"1.0", true},  {"10.0", false}, {"", true},
    };
    for (const auto& c : intermediates) {
        EXPECT_EQ(IntermediateLoaderNeeded(c.loader), c.needed) << c.loader;
    }
}

TEST(UpdateResult, TextIdentifiersAndOutcome) {
    struct Case {
        UpdateResult result;
        std::string id;
        bool succeeded, macUncorrected;
    } cases[] = {
        {0, "", true, false},
        {1, "", false, false},
        {2, "IDS_COMMUNICATION_PROBLEMS", false, false},
        {3, "", false, false},
        {4, "", false, false},
        {5, "IDS_FILE_OPEN_ERROR", false, false},
        {6, "IDS_FILE_READ_ERROR", false, false},
        {7, "IDS_BIOS_LOAD_ERROR", false, false},
        {8, "IDS_UPDATE_LOADER_NOT_RUNNING", false, false},
        {9, "IDS_CANNOT_CONNECT_UPDATE_LOADER", false, false},
        {10, "IDS_SENDING_FIRMWARE_ERROR", false, false},
        {11, "IDS_START_FLASHING_ERROR", false, false},
        {12, "IDS_AWAITING_FLASH_END_TIMEOUT", false, false},
        {13, "IDS_AWAITING_FLASH_END_ERROR", false, false},
        {14, "IDS_RESTARTING_DEVICE_ERROR", false, false},
        {15, "IDS_CANNOT_CONNECT_BRIDGE", false, false},
        {16, "IDS_UPDATE_LOADER_RUNNING_AFTER_FLASH", false, false},
        {17, "IDS_WRONG_MAC_FIRMWARE_TOO_OLD", true, true},
        {18, "IDS_WRONG_MAC_ERROR_READING_SN", true, true},
        {19, "IDS_WRONG_MAC_CORRECT_MAC_NOT_FOUND", true, true},
        {20, "IDS_WRONG_MAC_ERROR_SETTING_MAC", true, true},
        {21, "IDS_WRONG_MAC_ERROR_REBOOTING_ZELTA", true, true},
        {22, "", true, false},
        {23, "", false, false},
        {-1, "", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        EXPECT_EQ(UpdateErrorTextId(c.result), c.id);
        EXPECT_EQ(UpdateSucceeded(c.result), c.succeeded);
        EXPECT_EQ(MacLeftUncorrected(c.result), c.macUncorrected);
    }
}

} // namespace
