#include "app/ZeltaUpdaterCommandLineInfo.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fstream>
#include <string>
#include <vector>

namespace {

using Rule = ZeltaUpdaterCommandLineInfo::SlashRule;

struct Case {
    const char* name;
    std::vector<std::string> arguments; // "$FILE": an existing absolute path
    bool valid;
    bool showUsage = false;
    std::string ipAddress = {};
    unsigned port = 0;
    std::string language = {};
    bool unattended = false;
    std::string firmwarePath = {};
    Rule rule = Rule::KnownSwitchesOnly;
};

TEST(CommandLine, ParsesEveryArgumentByTheRules) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string file = dir.filePath("fw v1.bin").toStdString();
    std::ofstream(file) << "image";
    const std::string missing = dir.filePath("missing.bin").toStdString();

    const Case cases[] = {
        {"no arguments", {}, true},
        {"IP without port", {"/IP:10.0.0.5"}, true, false, "10.0.0.5", 6666},
        {"IP with trailing comma", {"/IP:10.0.0.5,"}, true, false, "10.0.0.5", 6666},
        {"IP with port", {"-IP:host.example,7000"}, true, false, "host.example", 7000},
        {"IP lower case", {"/ip:10.0.0.5,65535"}, true, false, "10.0.0.5", 65535},
        {"port 70000", {"/IP:10.0.0.5,70000"}, false, false, "10.0.0.5"},
        {"overlong port", {"/IP:h,99999999999999999999"}, false, false, "h"},
        {"port leading digits", {"/IP:h,12ab"}, true, false, "h", 12},
        {"port without digits", {"/IP:h,abc"}, true, false, "h", 0},
        {"IP empty", {"/IP:"}, false},
        {"host of 511 characters",
         {"/IP:" + std::string(511, 'h')},
         true,
         false,
         std::string(511, 'h'),
         6666},
        {"host of 512 characters", {"/IP:" + std::string(512, 'h')}, false},
        {"IP without colon", {"/IP"}, false},
        {"separator runs count as one", {"/IP:,,h,,80"}, true, false, "h", 80},
        {"L fr selects en", {"/L:fr"}, true, false, "", 0, "en"},
        {"L de", {"-l:de"}, true, false, "", 0, "de"},
        {"L is case-sensitive", {"/L:DE"}, true, false, "", 0, "en"},
        {"L empty", {"/L:"}, false},
        {"L without colon", {"/L"}, false},
        {"U with remainder", {"-u:yes"}, true, false, "", 0, "", true},
        {"unknown switch", {"-X"}, false},
        {"bare prefix", {"-"}, false},
        {"help ?", {"/?"}, true, true},
        {"help -?", {"-?"}, true, true},
        {"help h", {"-H"}, true, true},
        {"help word", {"/HeLp"}, true, true},
        {"help beside valid arguments",
         {"$FILE", "/IP:1.2.3.4", "-?"},
         true,
         true,
         "1.2.3.4",
         6666,
         "",
         false,
         "$FILE"},
        {"absolute path", {"$FILE"}, true, false, "", 0, "", false, "$FILE"},
        {"missing path", {missing}, false, false, "", 0, "", false, missing},
        {"later path wins", {missing, "$FILE"}, false, false, "", 0, "", false, "$FILE"},
        {"all switches",
         {"$FILE", "/IP:192.168.1.9,6000", "/L:de", "/U"},
         true,
         false,
         "192.168.1.9",
         6000,
         "de",
         true,
         "$FILE"},
        {"slash always a switch",
         {"$FILE"},
         false,
         false,
         "",
         0,
         "",
         false,
         "",
         Rule::AlwaysSwitch},
        {"slash switch with that rule",
         {"/IP:h"},
         true,
         false,
         "h",
         6666,
         "",
         false,
         "",
         Rule::AlwaysSwitch},
    };

    for (const Case& c : cases) {
        std::vector<std::string> arguments = c.arguments;
        for (std::string& argument : arguments) {
            if (argument == "$FILE") {
                argument = file;
            }
        }
        ZeltaUpdaterCommandLineInfo info;
        info.ParseCommandLine(arguments, c.rule);
        const std::string expectedPath = c.firmwarePath == "$FILE" ? file : c.firmwarePath;
        EXPECT_EQ(info.valid, c.valid) << c.name;
        EXPECT_EQ(info.showUsage, c.showUsage) << c.name;
        EXPECT_EQ(info.ipAddress, c.ipAddress) << c.name;
        EXPECT_EQ(info.port, c.port) << c.name;
        EXPECT_EQ(info.language, c.language) << c.name;
        EXPECT_EQ(info.unattended, c.unattended) << c.name;
        EXPECT_EQ(info.firmwarePath, expectedPath) << c.name;
    }
}

} // namespace
