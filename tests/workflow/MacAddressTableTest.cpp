#include "workflow/MacAddressTable.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

const MacAddress kNone{};
const MacAddress kExample{0x02, 0x10, 0x20, 0x30, 0x40, 0x50};

TEST(LookupMacAddress, ReadsTheFirstLineWithTheSerialNumber) {
    struct Case {
        const char* what;
        std::optional<std::string> table; // nothing: no file
        std::string serial;
        bool found;
        MacAddress address;
    } cases[] = {
        {"blanks around both fields", "  0012345678 \t,  02:10:20:30:40:50  \n", "0012345678", true,
         kExample},
        {"points as separators, CR LF lines, empty lines",
         "\r\n\r\n0099,01:01:01:01:01:01\r\n0012345678,02.10.20.30.40.50\r\n", "0012345678", true,
         kExample},
        {"runs of separators and leading commas, extra fields ignored",
         ",,0012345678,,,02::10..20:30:.40:50,ignored\n", "0012345678", true, kExample},
        {"low byte of long numbers, 0x prefix, leading blanks",
         "SN,1FF:0x2: 3:0X4F:5z:6:7\n",
         "SN",
         true,
         {0xFF, 0x02, 0x03, 0x4F, 0x05, 0x06}},
        {"five numbers: a later line with six is not read",
         "0012345678,02:10:20:30:40\n0012345678,02:10:20:30:40:50\n", "0012345678", false, kNone},
        {"serial number without an address", "0012345678\n", "0012345678", false, kNone},
        {"a number without hexadecimal digits", "SN,02:10:20:30:40:zz\n", "SN", false, kNone},
        {"serial numbers compare exactly", "sn1,02:10:20:30:40:50\nSN10,02:10:20:30:40:50\n", "SN1",
         false, kNone},
        {"last line without a line end", "a,1:1:1:1:1:1\nSN,02:10:20:30:40:50", "SN", true,
         kExample},
        {"an empty serial number matches no blank field", "  ,02:10:20:30:40:50\n", "", false,
         kNone},
        {"no table file", std::nullopt, "0012345678", false, kNone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        if (c.table) {
            dir.Write(kMacTableFileName, *c.table);
        }
        MacAddress address;
        address.fill(0xAA);
        EXPECT_EQ(LookupMacAddress(dir.Path(), c.serial, address), c.found);
        EXPECT_EQ(address, c.address);
    }
}

TEST(LookupMacAddress, UnreadableTableFindsNothing) {
    TempDir dir;
    dir.MakeDirectory(kMacTableFileName);
    MacAddress address;
    address.fill(0xAA);
    EXPECT_FALSE(LookupMacAddress(dir.Path(), "0012345678", address));
    EXPECT_EQ(address, kNone);
}

TEST(MacRepairRules, LostAddressAndFirmwareGate) {
    EXPECT_TRUE(MacAddressLost({0x00, 0x40, 0x9D, 0x00, 0x00, 0x00}));
    EXPECT_FALSE(MacAddressLost({0x00, 0x40, 0x9D, 0x00, 0x00, 0x01}));
    EXPECT_FALSE(MacAddressLost({0x00, 0x40, 0x9D, 0x80, 0x00, 0x00}));

    struct Case {
        const char* version;
        bool supported;
    } cases[] = {
        {"1.40", true},  {"1.39", false}, {"2.0", true},    {"1.4", false},
        {"0.99", false}, {"2", true},     {"", false},      {"1.40.2", true},
        {"10.0", true},  {"1", false},    {"v1.40", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FirmwareSupportsMacRepair(c.version), c.supported) << c.version;
    }
}

} // namespace
