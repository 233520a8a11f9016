#include "uecp/FamilyAnswers.h"
#include "uecp/BrnFrameKind.h"

#include "base/TestHex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TEST(FamilyAnswersTest, BrnFirmwareVersionText) {
    const struct {
        std::vector<uint8_t> bytes;
        std::string want;
    } cases[] = {
        {Hex("04 D2"), "1.23.4"}, {Hex("00 CD"), "2.05"}, {Hex("03 E7"), "9.99"},
        {Hex("03 E8"), "1.00.0"}, {Hex("00 00"), "0.00"}, {Hex("FF FF"), "65.53.5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.want);
        EXPECT_EQ(BrnFirmwareVersionText(static_cast<uint16_t>((c.bytes[0] << 8) | c.bytes[1])),
                  c.want);
    }
}

TEST(FamilyAnswersTest, BrnParameterAnswerMustHoldCountPlusEightBytes) {
    const std::vector<uint8_t> answer = Hex("2D 09 51 42 55 00 0B 02 04 D2");
    uint8_t out[2] = {0xAA, 0xBB};
    EXPECT_EQ(DecodeBrnParameter(answer.data(), 10, 2, out), IDS_ERR_OK);
    EXPECT_EQ(ToHex(out, 2), "04 D2");

    uint8_t kept[2] = {0xAA, 0xBB};
    EXPECT_EQ(DecodeBrnParameter(answer.data(), 10, 1, kept), IDS_ERR_UNEXPECTED_SIZE);
    EXPECT_EQ(DecodeBrnParameter(answer.data(), 9, 2, kept), IDS_ERR_UNEXPECTED_SIZE);
    EXPECT_EQ(DecodeBrnParameter(nullptr, 10, 2, kept), IDS_ERR_UNEXPECTED_SIZE);
    EXPECT_EQ(ToHex(kept, 2), "AA BB");
}

TEST(FamilyAnswersTest, BrnWordAnswers) {
    const std::vector<uint8_t> word = Hex("2D 05 51 42 B1 12 34");
    const std::vector<uint8_t> word2 = Hex("2D 07 51 42 B1 AB CD 00 01");
    uint16_t v = 0;
    EXPECT_EQ(DecodeBrnWord(word.data(), 7, 7, v), IDS_ERR_OK);
    EXPECT_EQ(v, 0x1234);
    EXPECT_EQ(DecodeBrnWord(word2.data(), 9, 9, v), IDS_ERR_OK);
    EXPECT_EQ(v, 0xABCD);
    v = 7;
    EXPECT_EQ(DecodeBrnWord(word2.data(), 9, 7, v), IDS_ERR_UNEXPECTED_SIZE);
    EXPECT_EQ(DecodeBrnWord(word.data(), 7, 9, v), IDS_ERR_UNEXPECTED_SIZE);
    EXPECT_EQ(v, 7);
}

TEST(FamilyAnswersTest, TextStopsAtTheFirstZero) {
    const std::vector<uint8_t> serial = Hex("31 32 33 34 00 36 37 38 39 30");
    EXPECT_EQ(TextUpToZero(serial.data(), 10), "1234");
    EXPECT_EQ(TextUpToZero(serial.data(), 3), "123");
    EXPECT_EQ(TextUpToZero(serial.data() + 4, 6), "");
    EXPECT_EQ(TextUpToZero(nullptr, 4), "");
}

TEST(FamilyAnswersTest, WenloAnswerData) {
    const struct {
        uint8_t code;
        std::string answer;
        int room;
        UECP_IO_Error result;
        std::string data; // what the buffer holds afterwards
        int length;
    } cases[] = {
        {0x7F, "2D 0D 52 53 7F 30 30 31 32 33 34 35 36 37 38", 10, IDS_ERR_OK,
         "30 30 31 32 33 34 35 36 37 38", 10},
        {0x7F, "2D 0E 52 53 7F 30 30 31 32 33 34 35 36 37 38 39", 10, IDS_ERR_UNEXPECTED_SIZE,
         "EE EE EE EE EE EE EE EE EE EE", 10},
        {0xB1, "2D 05 52 53 B1 12 34", 64, IDS_ERR_OK, "12 34", 2},
        {0xCE, "2D 06 52 53 CE 01 41 42", 64, IDS_ERR_OK, "41 42", 2},
        {0xCE, "2D 03 52 53 CE", 64, IDS_ERR_OK, "", 0},
        {0x7E, "2D 03 52 53 7E", 0, IDS_ERR_OK, "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        const std::vector<uint8_t> answer = Hex(c.answer);
        std::vector<uint8_t> buffer(static_cast<size_t>(c.room), 0xEE);
        int length = c.room;
        EXPECT_EQ(DecodeWenloAnswer(c.code, answer.data(), static_cast<int>(answer.size()),
                                    buffer.data(), length),
                  c.result);
        EXPECT_EQ(length, c.length);
        EXPECT_EQ(ToHex(buffer.data(), std::min(length, c.room)), c.data);
    }
}

TEST(FamilyAnswersTest, WenloText) {
    const std::vector<uint8_t> serial = Hex("31 32 33 34 00 36 37 38 39 30");
    std::string text = "kept";
    EXPECT_EQ(DecodeWenloText(serial.data(), 10, 10, text), IDS_ERR_OK);
    EXPECT_EQ(text, "1234");
    EXPECT_EQ(DecodeWenloText(serial.data() + 5, 5, -1, text), IDS_ERR_OK);
    EXPECT_EQ(text, "67890");
    text = "kept";
    EXPECT_EQ(DecodeWenloText(serial.data(), 10, 5, text), IDS_ERR_UNEXPECTED_SIZE);
    EXPECT_EQ(text, "kept");
}

TEST(FamilyAnswersTest, FndTextsKeepTheirFullLength) {
    const struct {
        std::string answer;
        int chars;
        UECP_IO_Error result;
        std::string text;
    } cases[] = {
        {"2D 0D 4D 49 7F 30 30 31 32 33 34 35 36 37 38", 10, IDS_ERR_OK, std::string("0012345678")},
        {"2D 0D 4D 49 7F 31 32 33 34 00 36 37 38 39 30", 10, IDS_ERR_OK,
         std::string("1234\0"
                     "67890",
                     10)},
        {"2D 08 4D 49 7E 31 2E 32 00 00", 5, IDS_ERR_OK, std::string("1.2\0\0", 5)},
        {"2D 08 4D 49 7F 31 32 33 34 35", 10, IDS_ERR_UNEXPECTED_SIZE, "kept"},
        {"2D 09 4D 49 7E 31 2E 32 33 34 35", 5, IDS_ERR_UNEXPECTED_SIZE, "kept"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        const std::vector<uint8_t> answer = Hex(c.answer);
        std::string text = "kept";
        EXPECT_EQ(DecodeFndText(answer.data(), static_cast<int>(answer.size()), c.chars, text),
                  c.result);
        EXPECT_EQ(text, c.text);
    }
}

TEST(FamilyAnswersTest, BrnFrameClassification) {
    const struct {
        std::string data;
        int kind;
    } cases[] = {
        {"", kBrnFrameOther},
        {"18 00 05", kBrnFrameAck},
        {"18 03 05", kBrnFrameNack},
        {"18 00", kBrnFrameOther},
        {"18 00 05 00", kBrnFrameOther},
        {"2D 01 51", kBrnFrameOther},
        {"2D 03 51 42 07", kBrnFrameReport07},
        {"2D 04 51 42 07 00", kBrnFrameOther},
        {"2D 03 4E 53 07", kBrnFrameOther},
        {"2C 03 51 42 07", kBrnFrameOther},
        {"2D 0B 51 42 61 00 00 00 00 00 00 00 00", kBrnFrameReport61},
        {"2D 0A 51 42 61 00 00 00 00 00 00 00", kBrnFrameOther},
        {"2D 0C 51 42 58 00 00 00 00 00 00 00 00 00", kBrnFrameReport58},
        {"2D 0B 51 42 58 00 00 00 00 00 00 00 00", kBrnFrameOther},
        {"2D 05 51 42 00 00 00", kBrnFrameReport00},
        {"2D 04 51 42 00 00", kBrnFrameOther},
        {"2D 23 51 42 89", kBrnFrameOther},
        {"2D 09 51 42 55 00 01 00 01", kBrnFrameOther},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data);
        const std::vector<uint8_t> d = Hex(c.data);
        EXPECT_EQ(ClassifyFrame(d.empty() ? nullptr : d.data(), static_cast<int>(d.size())),
                  c.kind);
    }
    // Kind 5 needs at least 37 bytes.
    std::vector<uint8_t> report89 = Hex("2D 23 51 42 89");
    report89.resize(37, 0x00);
    EXPECT_EQ(ClassifyFrame(report89.data(), 37), kBrnFrameReport89);
    EXPECT_EQ(ClassifyFrame(report89.data(), 36), kBrnFrameOther);
}

} // namespace
