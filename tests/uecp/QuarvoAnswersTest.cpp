#include "uecp/QuarvoAnswers.h"
#include "base/FrameParser.h"
#include "base/TestHex.h"

#include "UecpTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Answer(const std::string& head, const std::string& chars) {
    std::vector<uint8_t> bytes = Hex(head);
    bytes.insert(bytes.end(), chars.begin(), chars.end());
    return bytes;
}

TEST(QuarvoAnswers, ModuleStatus) {
    struct Case {
        const char* answer;
        UECP_IO_Error result;
        int status;
    };
    const Case cases[] = {
        {"2D 04 4E 53 02 02", IDS_ERR_OK, 2},
        {"2D 04 4E 53 02 01", IDS_ERR_OK, 1},
        {"2D 05 4E 53 02 02 00", IDS_ERR_UNEXPECTED_SIZE, -1},
        {"2D 03 4E 53 02", IDS_ERR_UNEXPECTED_SIZE, -1},
        {"", IDS_ERR_UNEXPECTED_SIZE, -1},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> bytes = Hex(c.answer);
        int status = -1;
        EXPECT_EQ(DecodeModuleStatus(bytes.data(), static_cast<int>(bytes.size()), status),
                  c.result)
            << c.answer;
        EXPECT_EQ(status, c.status) << c.answer;
    }
}

TEST(QuarvoAnswers, VersionTexts) {
    struct Case {
        bool loader;
        std::vector<uint8_t> answer;
        UECP_IO_Error result;
        const char* text;
    };
    const Case cases[] = {
        {false, Answer("2D 08 4E 53 09", "01.23"), IDS_ERR_OK, "1.23"},
        {false, Answer("2D 08 4E 53 09", "12.34"), IDS_ERR_OK, "12.34"},
        {false, Answer("2D 08 4E 53 09", "1.234"), IDS_ERR_OK, "1.23.4"},
        {false, Answer("2D 08 4E 53 09", "00.99"), IDS_ERR_OK, "0.99"},
        {false, Answer("2D 07 4E 53 09", "01.2"), IDS_ERR_UNEXPECTED_SIZE, ""},
        {false, Answer("2D 09 4E 53 09", "01.234"), IDS_ERR_UNEXPECTED_SIZE, ""},
        {true, Answer("09", "02.15"), IDS_ERR_OK, "2.15"},
        {true, Answer("09", "01.23"), IDS_ERR_OK, "1.23"},
        {true, Answer("09", "12.34"), IDS_ERR_OK, "12.34"},
        {true, Answer("09", "02.1"), IDS_ERR_UNEXPECTED_SIZE, ""},
        {true, {}, IDS_ERR_UNEXPECTED_SIZE, ""},
    };
    for (const Case& c : cases) {
        std::string text = "stale";
        const int n = static_cast<int>(c.answer.size());
        const UECP_IO_Error r = c.loader ? DecodeLoaderVersion(c.answer.data(), n, text)
                                         : DecodeBridgeVersion(c.answer.data(), n, text);
        EXPECT_EQ(r, c.result) << ToHex(c.answer);
        EXPECT_EQ(text, c.text) << ToHex(c.answer);
    }
}

TEST(QuarvoAnswers, FlashStatus) {
    struct Case {
        const char* answer;
        UECP_IO_Error result;
        int done; // -1: untouched
    };
    const Case cases[] = {
        {"06 00", IDS_ERR_OK, 1},
        {"06 01", IDS_ERR_OK, 0},
        {"06 FF", IDS_ERR_OK, 0},
        {"06 00 00", IDS_ERR_UNEXPECTED_SIZE, -1},
        {"06", IDS_ERR_UNEXPECTED_SIZE, -1},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> bytes = Hex(c.answer);
        for (bool initial : {false, true}) {
            bool done = initial;
            EXPECT_EQ(DecodeLoaderFlashStatus(bytes.data(), static_cast<int>(bytes.size()), done),
                      c.result)
                << c.answer;
            EXPECT_EQ(done, c.done < 0 ? initial : c.done == 1) << c.answer;
        }
    }
}

// The MAC answer's size is the frame's length, whatever its MFL byte says.
TEST(QuarvoAnswers, MacAddressFromTheFrameLength) {
    struct Case {
        int mfl;
        const char* message;
        UECP_IO_Error result;
        const char* mac;
    };
    const Case cases[] = {
        {11, "2D 09 4E 53 04 00 11 22 33 44 55", IDS_ERR_OK, "00 11 22 33 44 55"},
        {5, "2D 09 4E 53 04 00 11 22 33 44 55", IDS_ERR_OK, "00 11 22 33 44 55"},
        {20, "2D 09 4E 53 04 00 11 22 33 44 55", IDS_ERR_OK, "00 11 22 33 44 55"},
        {10, "2D 08 4E 53 04 00 11 22 33 44", IDS_ERR_UNEXPECTED_SIZE, "AA AA AA AA AA AA"},
        {12, "2D 0A 4E 53 04 00 11 22 33 44 55 66", IDS_ERR_UNEXPECTED_SIZE, "AA AA AA AA AA AA"},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> frame = RawUecp(0, c.message, c.mfl);
        const auto parsed = ParseModuleFrame(frame.data(), static_cast<int>(frame.size()));
        ASSERT_TRUE(parsed);
        EXPECT_TRUE(parsed->crcOk);
        std::array<uint8_t, 6> mac;
        mac.fill(0xAA);
        EXPECT_EQ(DecodeMacAddress(parsed->data(), parsed->size(), mac), c.result) << c.mfl;
        EXPECT_EQ(ToHex(mac.data(), 6), c.mac) << c.mfl;
    }
}

} // namespace
