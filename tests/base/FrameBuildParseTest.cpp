#include "TestHex.h"
#include "base/FrameBuilder.h"
#include "base/FrameLimits.h"
#include "base/FrameParser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Encode(uint16_t address, uint8_t sqc, const std::vector<uint8_t>& message) {
    uint8_t out[kUecpStuffedMax];
    const int n = EncodeUecpFrame(address, sqc, message.data(), static_cast<int>(message.size()),
                                  out, kUecpStuffedMax);
    return n < 0 ? "refused" : ToHex(out, n);
}

std::string EncodeLoader(const std::vector<uint8_t>& payload) {
    uint8_t out[kLoaderStuffedMax];
    const int n =
        EncodeLoaderFrame(payload.data(), static_cast<int>(payload.size()), out, kLoaderStuffedMax);
    return n < 0 ? "refused" : ToHex(out, n);
}

std::string DataOf(const FrameData& f) {
    return ToHex(f.data(), f.size());
}

TEST(EncodeUecpFrame, LaysOutAndStuffsTheFrame) {
    struct Case {
        uint16_t address;
        uint8_t sqc;
        const char* message;
        const char* wire;
    };
    const Case cases[] = {
        {0, 0, "", "FE 00 00 00 00 7B 3F FF"},
        {0, 0, "2D 03 4E 53 02", "FE 00 00 00 05 2D 03 4E 53 02 6B 9C FF"},
        // 0xFD/0xFE/0xFF in the address, the SQC and the message are escaped.
        {0xFEFF, 0xFD, "FF", "FE FD 01 FD 02 FD 00 01 FD 02 D9 6C FF"},
        {0x0102, 7, "18 00", "FE 01 02 07 02 18 00 45 5B FF"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Encode(c.address, c.sqc, Hex(c.message)), c.wire) << c.message;
    }
}

TEST(EncodeUecpFrame, EscapesACrcByteThatNeedsIt) {
    // Search the SQC values for frames whose CRC holds a reserved byte; it must be escaped and
    // the frame must parse back CRC-valid.
    int escapedCrcs = 0;
    for (int sqc = 0; sqc < 256; ++sqc) {
        uint8_t out[kUecpStuffedMax];
        const uint8_t msg[] = {0x2D, 0x03, 0x4E, 0x53, 0x02};
        const int n = EncodeUecpFrame(0, static_cast<uint8_t>(sqc), msg, 5, out, kUecpStuffedMax);
        ASSERT_GT(n, 0);
        for (int i = 1; i < n - 1; ++i) {
            ASSERT_LT(out[i], kFrameStart) << "unescaped reserved byte, sqc " << sqc;
        }
        escapedCrcs += (sqc < 0xFD && n > 13) ? 1 : 0;
        auto frame = ParseFrame(out, n);
        ASSERT_TRUE(frame);
        EXPECT_TRUE(frame->crcOk);
        EXPECT_EQ(frame->sequence, sqc);
    }
    EXPECT_GT(escapedCrcs, 0);
}

TEST(EncodeUecpFrame, RefusesWhatCannotBeAFrame) {
    std::vector<uint8_t> big(256, 0x11);
    uint8_t out[kUecpStuffedMax];
    EXPECT_EQ(EncodeUecpFrame(0, 0, big.data(), 256, out, kUecpStuffedMax), -1);
    EXPECT_EQ(EncodeUecpFrame(0, 0, big.data(), -1, out, kUecpStuffedMax), -1);
    EXPECT_EQ(EncodeUecpFrame(0, 0, nullptr, 3, out, kUecpStuffedMax), -1);
    EXPECT_EQ(EncodeUecpFrame(0, 0, big.data(), 3, out, kUecpStuffedMax - 1), -1);
    std::vector<uint8_t> worst(255, 0xFF);
    // Every header and message byte escaped; this CRC (95 74) needs no escape.
    EXPECT_EQ(EncodeUecpFrame(0xFFFF, 0xFF, worst.data(), 255, out, kUecpStuffedMax), 522);
}

TEST(EncodeLoaderFrame, LaysOutLengthPayloadAndStop) {
    EXPECT_EQ(EncodeLoader(Hex("06 01")), "FE 00 02 06 01 FF");
    EXPECT_EQ(EncodeLoader({}), "FE 00 00 FF");
    EXPECT_EQ(EncodeLoader(Hex("FE 02")), "FE 00 02 FD 01 02 FF");
    std::vector<uint8_t> full(kLoaderPayloadMax, 0x01);
    full[0] = 0xFD;
    const std::string wire = EncodeLoader(full);
    EXPECT_EQ(wire.substr(0, 20), "FE 02 EF FD 00 01 01");
    EXPECT_EQ(EncodeLoader(std::vector<uint8_t>(kLoaderPayloadMax + 1, 0)), "refused");
}

struct ParseCase {
    const char* wire;
    const char* data;
    bool crcOk;
    bool lengthOk;
    uint8_t sequence;
};

void ExpectParsed(const ParseCase& c, std::unique_ptr<FrameData> (*parse)(const uint8_t*, int)) {
    const std::vector<uint8_t> wire = Hex(c.wire);
    auto frame = parse(wire.data(), static_cast<int>(wire.size()));
    ASSERT_TRUE(frame) << c.wire;
    EXPECT_EQ(DataOf(*frame), c.data) << c.wire;
    EXPECT_EQ(frame->crcOk, c.crcOk) << c.wire;
    EXPECT_EQ(frame->lengthOk, c.lengthOk) << c.wire;
    EXPECT_EQ(frame->sequence, c.sequence) << c.wire;
}

TEST(ParseFrame, RecordsMessageFieldSequenceAndChecks) {
    const ParseCase cases[] = {
        {"FE 00 00 00 05 2D 03 4E 53 02 6B 9C FF", "2D 03 4E 53 02", true, true, 0},
        {"FE 00 00 00 00 7B 3F FF", "", true, true, 0},
        {"FE FD 01 FD 02 FD 00 01 FD 02 D9 6C FF", "FF", true, true, 0xFD},
        {"FE 00 00 09 02 18 00 52 53 FF", "18 00", true, true, 9}, // "RS" passes any content
        {"FE 00 00 00 05 2D 03 4E 53 02 6B 9D FF", "2D 03 4E 53 02", false, true, 0},
        // MFL smaller than the bytes present: MFL bytes, length flagged, CRC over all of it.
        {"FE 00 00 00 01 2D 03 86 06 FF", "2D", true, false, 0},
    };
    for (const ParseCase& c : cases) {
        ExpectParsed(c, &ParseFrame);
    }
}

TEST(ParseFrame, MalformedFramesNeverBecomeCrcValid) {
    const ParseCase cases[] = {
        {"FE FF", "", false, false, 0},
        {"FE 00 FF", "", false, false, 0},
        {"FE 00 00 07 FF", "", false, false, 7},
        {"FE 00 00 00 00 52 53", "", false, false, 0},         // 7 bytes, "RS" in place
        {"FE 00 00 00 04 2D 52 53 FF", "2D", false, false, 0}, // MFL 4, one byte present
        {"FE 00 00 00 FF 52 53 FF", "", false, false, 0},      // MFL 255, nothing present
        {"FE 00 00 00 03 FD 01 FD", "", false, false, 0},      // 7 bytes once unstuffed
    };
    for (const ParseCase& c : cases) {
        ExpectParsed(c, &ParseFrame);
    }
}

TEST(ParseFrame, RejectsInputsNoAssemblerDelivers) {
    std::vector<uint8_t> tooLong(kUecpStuffedMax + 1, 0x11);
    EXPECT_FALSE(ParseFrame(tooLong.data(), static_cast<int>(tooLong.size())));
    EXPECT_FALSE(ParseFrame(nullptr, 8));
    EXPECT_FALSE(ParseFrame(tooLong.data(), 0));
}

TEST(ParseModuleFrame, TellsLoaderFramesFromUecpFrames) {
    const ParseCase cases[] = {
        {"FE 00 02 06 01 FF", "06 01", true, true, 0},
        {"FE 00 03 FD 02 FD 01 00 FF", "FF FE 00", true, true, 0},
        {"FE 00 01 80 FF", "80", true, true, 0},
        // Bytes 1 and 2 zero: always a UECP frame.
        {"FE 00 00 00 00 7B 3F FF", "", true, true, 0},
        {"FE 00 00 FF", "", false, false, 0xFF},
        // A length that does not fit the frame: parsed as UECP (and malformed here).
        {"FE 00 05 06 01 FF", "", false, false, 6},
        {"FE 00 00 00 05 2D 03 4E 53 02 6B 9C FF", "2D 03 4E 53 02", true, true, 0},
    };
    for (const ParseCase& c : cases) {
        ExpectParsed(c, &ParseModuleFrame);
    }
}

TEST(ParseModuleFrame, MacAnswerTakesItsSizeFromTheFrame) {
    const std::vector<uint8_t> msg = Hex("2D 09 4E 53 04 00 40 9D 11 22 33");
    for (const int mfl : {11, 5, 200}) {
        // Build the frame with the true length, then overwrite MFL and re-stamp the CRC.
        std::vector<uint8_t> plain = Hex("FE 00 00 03");
        plain.push_back(static_cast<uint8_t>(mfl));
        plain.insert(plain.end(), msg.begin(), msg.end());
        plain.push_back(0x52); // "RS"
        plain.push_back(0x53);
        plain.push_back(0xFF);
        auto frame = ParseModuleFrame(plain.data(), static_cast<int>(plain.size()));
        ASSERT_TRUE(frame);
        EXPECT_EQ(DataOf(*frame), ToHex(msg)) << "MFL " << mfl;
        EXPECT_TRUE(frame->crcOk);
        EXPECT_EQ(frame->lengthOk, mfl == 11);
        EXPECT_EQ(frame->sequence, 3);

        // The plain parser honours MFL and stays inside the frame.
        auto plainFrame = ParseFrame(plain.data(), static_cast<int>(plain.size()));
        ASSERT_TRUE(plainFrame);
        EXPECT_LE(plainFrame->size(), 11);
        EXPECT_EQ(plainFrame->crcOk, mfl <= 11);
    }
}

TEST(ParseModuleFrame, AcceptsTheLongestLoaderAnswer) {
    std::vector<uint8_t> payload(kLoaderPayloadMax, 0xFF);
    uint8_t wire[kLoaderStuffedMax];
    const int n = EncodeLoaderFrame(payload.data(), kLoaderPayloadMax, wire, kLoaderStuffedMax);
    ASSERT_GT(n, kUecpStuffedMax);
    auto frame = ParseModuleFrame(wire, n);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->size(), kLoaderPayloadMax);
    EXPECT_TRUE(frame->crcOk);
    EXPECT_FALSE(ParseModuleFrame(wire, kLoaderStuffedMax + 1));
}

} // namespace
