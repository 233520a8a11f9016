#include "sim/SimOptions.h"
#include "sim/SimImage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

SimParseResult Parse(std::vector<const char*> args, SimOptions& options, std::string& error) {
    args.insert(args.begin(), "zelta-sim");
    return ParseSimOptions(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(SimOptions, ReadsEveryOption) {
    SimOptions o;
    std::string error;
    ASSERT_EQ(Parse({"--port",
                     "0",
                     "--mode",
                     "loader",
                     "--app-version",
                     "03.10",
                     "--loader-version",
                     "01.05",
                     "--next-loader-versions",
                     "01.50,02.03",
                     "--flashed-app-version",
                     "04.00",
                     "--mac",
                     "0a:0B:0c:00:00:00",
                     "--flash-polls",
                     "0",
                     "--down-ms",
                     "250",
                     "--idle-timeout-ms",
                     "5000",
                     "--max-image",
                     "4096",
                     "--trace",
                     "/tmp/t.txt"},
                    o, error),
              SimParseResult::Run)
        << error;
    EXPECT_EQ(o.port, 0);
    EXPECT_EQ(o.mode, ModuleMode::Loader);
    EXPECT_EQ(o.appVersion, "03.10");
    EXPECT_EQ(o.loaderVersion, "01.05");
    EXPECT_EQ(o.nextLoaderVersions, (std::vector<std::string>{"01.50", "02.03"}));
    EXPECT_EQ(o.flashedAppVersion, "04.00");
    EXPECT_EQ(o.mac, (std::array<uint8_t, 6>{0x0A, 0x0B, 0x0C, 0, 0, 0}));
    EXPECT_EQ(o.flashPolls, 0);
    EXPECT_EQ(o.downMs, 250);
    EXPECT_EQ(o.idleTimeoutMs, 5000);
    EXPECT_EQ(o.maxImage, 4096u);
    EXPECT_EQ(o.tracePath, "/tmp/t.txt");
}

TEST(SimOptions, RefusesBadCommandLines) {
    const std::vector<std::vector<const char*>> bad = {
        {"--port", "65536"},
        {"--port", "-1"},
        {"--port", "12x"},
        {"--port"},
        {"--mode", "bridge"},
        {"--app-version", "1.40"},
        {"--mac", "02:00:00:00:00"},
        {"--mac", "02:00:00:00:00:GG"},
        {"--next-loader-versions", "01.50,2.0"},
        {"--flash-polls", "100001"},
        {"--down-ms", "600001"},
        {"--idle-timeout-ms", "0"},
        {"--frobnicate", "1"},
        {"--frobnicate"},
        {"stray"},
        {"--trace", ""},
    };
    for (const auto& args : bad) {
        SimOptions o;
        std::string error;
        EXPECT_EQ(Parse(args, o, error), SimParseResult::Error) << args[0];
        EXPECT_FALSE(error.empty());
    }
    SimOptions o;
    std::string error;
    EXPECT_EQ(Parse({"--port", "1", "--help"}, o, error), SimParseResult::Help);
}

TEST(SimOptions, HelpNamesEveryOption) {
    const std::string help = SimHelpText();
    for (const char* name :
         {"--port", "--mode", "--app-version", "--loader-version", "--next-loader-versions",
          "--flashed-app-version", "--mac", "--flash-polls", "--down-ms", "--idle-timeout-ms",
          "--max-image", "--trace", "--help"}) {
        EXPECT_NE(help.find(name), std::string::npos) << name;
    }
}

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

TEST(SimImage, FindsTheFirmwareVersion) {
    const std::string banner = "NET+WORKS Version %s";
    const std::string zeros("\0\0\0\r\n", 5);
    struct Case {
        std::string image;
        const char* version; // null: none
    };
    const Case cases[] = {
        {"xx04.10" + zeros + banner + "7.4.2", "04.10"},
        {"04.10" + zeros + banner, nullptr},   // fewer than 10 bytes before it
        {"xxA4.10" + zeros + banner, nullptr}, // not a digit
        {"xx04.10" + std::string("\0\0\1\r\n", 5) + banner, nullptr},
        {"DEVICE: " + std::string(4, ' ') + "PLMVersion: " + "abc" + "03.21xyz", "03.21"},
        {"Version: abc3.2", nullptr}, // runs past the end
        {"", nullptr},
    };
    for (const Case& c : cases) {
        const auto version = FindImageVersion(Bytes(c.image));
        if (c.version == nullptr) {
            EXPECT_FALSE(version.has_value()) << c.image;
        } else {
            EXPECT_EQ(version.value_or("none"), c.version) << c.image;
        }
    }
    const std::string check = "123456789";
    EXPECT_EQ(SimCrc32(reinterpret_cast<const uint8_t*>(check.data()), check.size()), 0xCBF43926u);
}

} // namespace
