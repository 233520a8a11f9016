#include "sim/SimScenario.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

SimParseResult Parse(std::vector<const char*> args, SimOptions& options, std::string& error) {
    args.insert(args.begin(), "zelta-sim");
    return ParseSimOptions(static_cast<int>(args.size()), args.data(), options, error);
}

// A scenario file of its own in the temporary directory, removed with the object.
class ScenarioFile {
public:
    explicit ScenarioFile(const std::string& text)
        : path_(testing::TempDir() + "zelta-scenario-" +
                testing::UnitTest::GetInstance()->current_test_info()->name() + "-" +
                std::to_string(std::random_device{}()) + "-" + std::to_string(++count_) + ".ini") {
        std::ofstream(path_, std::ios::binary) << text;
    }
    ~ScenarioFile() { std::remove(path_.c_str()); }
    const std::string& Path() const { return path_; }

private:
    static inline int count_ = 0;
    std::string path_;
};

std::string Describe(const SimCommandFault& f) {
    return std::string(SimFaultKindName(f.kind)) + " " + f.target.text + " " +
           std::to_string(f.value);
}

std::vector<std::string> Faults(const SimOptions& o) {
    std::vector<std::string> out;
    for (const SimCommandFault& f : o.faults.commands) {
        out.push_back(Describe(f));
    }
    return out;
}

TEST(SimScenario, ReadsHostAndFaultOptions) {
    SimOptions o;
    std::string error;
    ASSERT_EQ(Parse({"--host-family",
                     "wenlo",
                     "--serial",
                     "ABC",
                     "--brn-type",
                     "0x23",
                     "--brn-version",
                     "999",
                     "--type-name",
                     "SND DSP",
                     "--host-version",
                     "1.0",
                     "--mac-lost",
                     "--mac-mfl-quirk",
                     "--ignore",
                     "NS:02/2",
                     "--no-ack",
                     "QB",
                     "--nack",
                     "RS:7F,3",
                     "--answer-size",
                     "MI:7E,-2",
                     "--bad-crc-answer",
                     "loader:09",
                     "--bad-crc-ack",
                     "*",
                     "--wrong-answer",
                     "QB:56",
                     "--wrong-answer",
                     "QB:56,40",
                     "--slow",
                     "NS:*,250",
                     "--flash-never-done",
                     "--stay-away",
                     "2",
                     "--reset-after-chunks",
                     "7",
                     "--garbage",
                     "16",
                     "--port",
                     "0"},
                    o, error),
              SimParseResult::Run)
        << error;
    EXPECT_EQ(o.host.family, HostFamily::Wenlo);
    EXPECT_EQ(o.host.serialNumber, "ABC");
    EXPECT_EQ(o.host.brnType, 0x23);
    EXPECT_EQ(o.host.brnVersion, 999);
    EXPECT_EQ(o.host.typeName, "SND DSP");
    EXPECT_EQ(o.host.versionText, "1.0");
    EXPECT_TRUE(o.host.macLost);
    EXPECT_TRUE(o.host.macMflQuirk);
    EXPECT_EQ(Faults(o),
              (std::vector<std::string>{"ignore NS:02/2 0", "no-ack QB 0", "nack RS:7F 3",
                                        "answer-size MI:7E -2", "bad-crc-answer loader:09 0",
                                        "bad-crc-ack * 0", "wrong-answer QB:56 1",
                                        "wrong-answer QB:56 40", "slow NS:* 250"}));
    EXPECT_TRUE(o.faults.flashNeverDone);
    EXPECT_EQ(o.faults.stayAwayAfter, 2);
    EXPECT_EQ(o.faults.resetAfterChunks, 7);
    EXPECT_EQ(o.faults.garbageBytes, 16);
    EXPECT_EQ(o.port, 0);
}

TEST(SimScenario, Selectors) {
    const struct {
        const char* text;
        bool ok;
        SimRequestSelector::Kind kind;
        int code;
        int times;
    } cases[] = {
        {"*", true, SimRequestSelector::Kind::Any, -1, -1},
        {"*/3", true, SimRequestSelector::Kind::Any, -1, 3},
        {"QB", true, SimRequestSelector::Kind::Uecp, -1, -1},
        {"QB:*", true, SimRequestSelector::Kind::Uecp, -1, -1},
        {"RS:7f/1", true, SimRequestSelector::Kind::Uecp, 0x7F, 1},
        {"loader", true, SimRequestSelector::Kind::Loader, -1, -1},
        {"loader:06/2", true, SimRequestSelector::Kind::Loader, 0x06, 2},
        {"", false, {}, 0, 0},
        {"Q", false, {}, 0, 0},
        {"QBX:01", false, {}, 0, 0},
        {"QB:1", false, {}, 0, 0},
        {"QB:123", false, {}, 0, 0},
        {"QB:GG", false, {}, 0, 0},
        {"*:01", false, {}, 0, 0},
        {"QB:01/0", false, {}, 0, 0},
        {"QB:01/", false, {}, 0, 0},
        {"QB:01/x", false, {}, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        SimRequestSelector s;
        ASSERT_EQ(ParseRequestSelector(c.text, s), c.ok);
        if (c.ok) {
            EXPECT_EQ(s.kind, c.kind);
            EXPECT_EQ(s.code, c.code);
            EXPECT_EQ(s.times, c.times);
        }
    }
    SimRequestSelector s;
    ASSERT_TRUE(ParseRequestSelector("MI:7E", s));
    EXPECT_EQ(s.set0, 'M');
    EXPECT_EQ(s.set1, 'I');
}

TEST(SimScenario, RejectsBadValues) {
    const std::vector<std::vector<const char*>> cases = {
        {"--host-family", "BRN"},
        {"--serial", "12345678901"},
        {"--type-name", "RSK Basic 2"},
        {"--host-version", "1.2.3.4"},
        {"--brn-type", "256"},
        {"--brn-version", "-1"},
        {"--nack", "QB:56"},
        {"--nack", "QB:56,0"},
        {"--nack", "QB:56,x"},
        {"--ignore", "QB:56,3"},
        {"--answer-size", "QB:56,0"},
        {"--answer-size", "QB:56"},
        {"--slow", "QB:56"},
        {"--wrong-answer", "QB,0"},
        {"--stay-away", "0"},
        {"--reset-after-chunks", "0"},
        {"--garbage", "1025"},
        {"--garbage"},
        {"--scenario", "/nonexistent/zelta.ini"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(args[0]);
        SimOptions o;
        std::string error;
        EXPECT_EQ(Parse(args, o, error), SimParseResult::Error);
        EXPECT_NE(error, "");
    }
}

TEST(SimScenario, HelpDocumentsEveryOption) {
    const std::string help = SimHelpText();
    for (const char* name : {"--host-family",
                             "--serial",
                             "--brn-type",
                             "--brn-version",
                             "--type-name",
                             "--host-version",
                             "--mac-lost",
                             "--mac-mfl-quirk",
                             "--ignore",
                             "--no-ack",
                             "--nack",
                             "--answer-size",
                             "--bad-crc-answer",
                             "--bad-crc-ack",
                             "--wrong-answer",
                             "--slow",
                             "--flash-never-done",
                             "--stay-away",
                             "--reset-after-chunks",
                             "--garbage",
                             "--scenario"}) {
        EXPECT_NE(help.find(std::string("  ") + name + " "), std::string::npos) << name;
    }
}

TEST(SimScenario, FileHoldsTheSameSettings) {
    const ScenarioFile file("# a Wenlo encoder that forgets its acknowledgements\n"
                            "[host]\n"
                            "  host-family = wenlo  \r\n"
                            "type-name = RSK Basic\n"
                            "serial=0012345678\n"
                            "mac-lost\n"
                            "mac-mfl-quirk = no\n"
                            "\n"
                            "[faults]\n"
                            "; two of them\n"
                            "no-ack = RS:7F/1\n"
                            "nack = RS:7B,3\n"
                            "[module]\n"
                            "app-version = 01.39\n"
                            "down-ms = 50\n");
    SimOptions o;
    o.host.macMflQuirk = true;
    std::string error;
    ASSERT_EQ(Parse({"--scenario", file.Path().c_str(), "--down-ms", "70"}, o, error),
              SimParseResult::Run)
        << error;
    EXPECT_EQ(o.host.family, HostFamily::Wenlo);
    EXPECT_EQ(o.host.typeName, "RSK Basic");
    EXPECT_EQ(o.host.serialNumber, "0012345678");
    EXPECT_TRUE(o.host.macLost);
    EXPECT_FALSE(o.host.macMflQuirk);
    EXPECT_EQ(Faults(o), (std::vector<std::string>{"no-ack RS:7F/1 0", "nack RS:7B 3"}));
    EXPECT_EQ(o.appVersion, "01.39");
    EXPECT_EQ(o.downMs, 70); // the later command-line option wins
}

TEST(SimScenario, FileErrorsNameTheLine) {
    const struct {
        const char* text;
        const char* reason;
    } cases[] = {
        {"host-family = wenlo\nnack = QB:56\n", ":2: bad value 'QB:56' for --nack"},
        {"\n\nno-such-setting = 1\n", ":3: unknown option --no-such-setting"},
        {"serial\n", ":1: expected 'name = value'"},
        {"mac-lost = maybe\n", ":1: bad value 'maybe' for mac-lost (yes or no)"},
        {"scenario = other.ini\n", ":1: a scenario file cannot load another"},
        {"help = 1\n", ":1: unknown"},
        {"port = 1 2\n", ":1: bad value '1 2' for --port"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const ScenarioFile file(c.text);
        SimOptions o;
        std::string error;
        EXPECT_EQ(Parse({"--scenario", file.Path().c_str()}, o, error), SimParseResult::Error);
        EXPECT_EQ(error.rfind(file.Path(), 0), 0u) << error;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

TEST(SimScenario, LostMacKeepsItsFirstHalf) {
    SimOptions o;
    o.mac = {0x02, 0x00, 0x5A, 0x10, 0x20, 0x30};
    EXPECT_EQ(ResolveSimOptions(o).mac, o.mac);
    o.host.macLost = true;
    const std::array<uint8_t, 6> lost = {0x02, 0x00, 0x5A, 0x00, 0x00, 0x00};
    EXPECT_EQ(ResolveSimOptions(o).mac, lost);
}

} // namespace
