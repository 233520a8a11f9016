#include "TestHex.h"
#include "base/FrameCrc.h"
#include "base/FrameLimits.h"
#include "base/FrameStuffing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Stuff(const std::vector<uint8_t>& in) {
    std::vector<uint8_t> out(2 * in.size() + 1);
    const int n = StuffFrame(in.data(), static_cast<int>(in.size()), out.data(),
                             static_cast<int>(out.size()));
    out.resize(n < 0 ? 0 : static_cast<size_t>(n));
    return out;
}

std::vector<uint8_t> Unstuff(const std::vector<uint8_t>& in) {
    std::vector<uint8_t> out(in.size());
    const int n = UnstuffFrame(in.data(), static_cast<int>(in.size()), out.data(),
                               static_cast<int>(out.size()));
    out.resize(n < 0 ? 0 : static_cast<size_t>(n));
    return out;
}

TEST(FrameCrc, MatchesTheCatalogueVectors) {
    const std::string abc = "abc";
    const std::string check = "123456789";
    struct Case {
        std::vector<uint8_t> bytes;
        uint16_t crc;
    };
    const Case cases[] = {
        {std::vector<uint8_t>(abc.begin(), abc.end()), 0xAEB5},
        {std::vector<uint8_t>(check.begin(), check.end()), 0xD64E},
        {Hex("00 00 00 05 2D 03 4E 53 02"), 0x6B9C}, // status request, address 0, SQC 0
        {Hex("00 00 00 00"), 0x7B3F},                // empty message field
        {{}, 0x0000},                                // no bytes: register 0xFFFF inverted
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FrameCrc(c.bytes.data(), static_cast<int>(c.bytes.size())), c.crc)
            << ToHex(c.bytes);
    }
    EXPECT_EQ(FrameCrc(nullptr, 5), 0x0000);
}

struct StuffCase {
    const char* plain;
    const char* stuffed;
};

// The first and last bytes travel as they are; every FD, FE, FF between them is escaped.
const StuffCase kStuffCases[] = {
    {"FE FF", "FE FF"},
    {"FE 00 FF", "FE 00 FF"},
    {"FE FD FF", "FE FD 00 FF"},
    {"FE FE FF", "FE FD 01 FF"},
    {"FE FF FF", "FE FD 02 FF"},
    {"FE 01 FD FE FF 02 FF", "FE 01 FD 00 FD 01 FD 02 02 FF"},
    {"FD FD FD", "FD FD 00 FD"},
    {"FF 00 FE", "FF 00 FE"},
    {"FE", "FE"},
};

TEST(FrameStuffing, StuffsTheInnerBytesOnly) {
    for (const StuffCase& c : kStuffCases) {
        EXPECT_EQ(ToHex(Stuff(Hex(c.plain))), c.stuffed) << c.plain;
    }
}

TEST(FrameStuffing, UnstuffingReversesStuffing) {
    for (const StuffCase& c : kStuffCases) {
        EXPECT_EQ(ToHex(Unstuff(Hex(c.stuffed))), c.plain) << c.stuffed;
    }
}

TEST(FrameStuffing, UnstuffingKeepsLoneEscapes) {
    const StuffCase cases[] = {
        {"FE FD 03 FF", "FE FD 03 FF"}, // unknown escape: both bytes stay
        {"FE 11 FD FF", "FE 11 FD FF"}, // FD just before the stop byte
        {"FE FD FD 01 FF", "FE FD FE FF"},
        {"FE FD 00", "FE FD 00"}, // the last byte never completes an escape
        {"FE 01 FD", "FE 01 FD"},
    };
    for (const StuffCase& c : cases) {
        EXPECT_EQ(ToHex(Unstuff(Hex(c.plain))), c.stuffed) << c.plain;
    }
}

TEST(FrameStuffing, RefusesBuffersTooSmallOrMissing) {
    const std::vector<uint8_t> in = Hex("FE FD FD FF");
    uint8_t out[8];
    EXPECT_EQ(StuffFrame(in.data(), 4, out, 5), -1);
    EXPECT_EQ(StuffFrame(in.data(), 4, out, 6), 6);
    EXPECT_EQ(StuffFrame(nullptr, 4, out, 8), -1);
    EXPECT_EQ(StuffFrame(in.data(), 0, out, 0), 0);
    EXPECT_EQ(UnstuffFrame(in.data(), 4, out, 3), -1);
    EXPECT_EQ(UnstuffFrame(in.data(), 4, nullptr, 8), -1);
    EXPECT_EQ(UnstuffFrame(in.data(), -3, out, 8), 0);
}

TEST(FrameStuffing, WorstCaseFitsTheFixedBuffers) {
    std::vector<uint8_t> frame(kUecpFrameMax, 0xFF);
    frame.front() = kFrameStart;
    std::vector<uint8_t> out(kUecpStuffedMax);
    EXPECT_EQ(StuffFrame(frame.data(), kUecpFrameMax, out.data(), kUecpStuffedMax),
              kUecpStuffedMax);
    std::vector<uint8_t> loader(kLoaderFrameMax, 0xFE);
    std::vector<uint8_t> loaderOut(kLoaderStuffedMax);
    EXPECT_EQ(StuffFrame(loader.data(), kLoaderFrameMax, loaderOut.data(), kLoaderStuffedMax),
              kLoaderStuffedMax);
}

} // namespace
