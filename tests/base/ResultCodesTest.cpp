#include "base/ErrorCodeText.h"
#include "base/UECP_IO_Error.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct NameCase {
    UECP_IO_Error code;
    const char* name;
};

TEST(ErrorCodeName, NamesEveryCodeAndFallsBackToUnknown) {
    const NameCase cases[] = {
        {0, "IDS_ERR_OK"},
        {1, "IDS_ERR_CANCELLED_BY_USER"},
        {7, "IDS_ERR_READ_TIMEOUT"},
        {11, "IDS_ERR_NO_ANSWER"},
        {12, "IDS_ERR_UNEXPECTED_SIZE"},
        {13, "IDS_ERR_INVALID_PARAMETER"},
        {20, "IDS_ERR_FILE_FORMAT"},
        {21, "IDS_ERR_NACK_UNDEFINED"},
        {22, "IDS_ERR_NACK_1"},
        {34, "IDS_ERR_NACK_13"},
        {35, "IDS_ERR_UNKNOWN"},
        {38, "IDS_ERR_UNKNOWN"},
        {39, "IDS_ERR_NACK_20"},
        {40, "IDS_ERR_NACK_21"},
        {41, "IDS_ERR_UNKNOWN"},
        {-1, "IDS_ERR_UNKNOWN"},
        {1000, "IDS_ERR_UNKNOWN"},
        {INT32_MIN, "IDS_ERR_UNKNOWN"},
    };
    for (const NameCase& c : cases) {
        EXPECT_STREQ(ErrorCodeName(c.code), c.name) << "code " << c.code;
    }
}

TEST(AckCodeToError, MapsAcknowledgementCodes) {
    const std::pair<int, UECP_IO_Error> cases[] = {
        {0, IDS_ERR_OK},
        {1, IDS_ERR_NACK_1},
        {3, IDS_ERR_NACK_3},
        {7, IDS_ERR_NACK_7},
        {13, IDS_ERR_NACK_13},
        {14, 35},
        {17, 38},
        {18, IDS_ERR_NACK_UNDEFINED},
        {19, IDS_ERR_NACK_UNDEFINED},
        {20, 39},
        {21, 40},
        {22, IDS_ERR_NACK_UNDEFINED},
        {255, 21},
    };
    for (const auto& [ack, expected] : cases) {
        EXPECT_EQ(AckCodeToError(static_cast<uint8_t>(ack)), expected) << "ack " << ack;
    }
}

class ErrorCodeTextTest : public ::testing::Test {
protected:
    void TearDown() override { SetErrorTextProvider(nullptr); }
};

TEST_F(ErrorCodeTextTest, WithoutProviderTheIdentifierIsTheText) {
    EXPECT_EQ(ErrorCodeText(IDS_ERR_CRC), "IDS_ERR_CRC");
    EXPECT_EQ(ErrorCodeText(36), "IDS_ERR_UNKNOWN");
}

TEST_F(ErrorCodeTextTest, ProviderIsAskedForTheIdentifierAndEmptyFallsBack) {
    SetErrorTextProvider([](const char* id) -> std::string {
        if (std::string(id) == "IDS_ERR_UNKNOWN") {
            return "unknown error";
        }
        if (std::string(id) == "IDS_ERR_CRC") {
            return "CRC error";
        }
        return "";
    });
    EXPECT_EQ(ErrorCodeText(IDS_ERR_CRC), "CRC error");
    EXPECT_EQ(ErrorCodeText(-1), "unknown error");
    EXPECT_EQ(ErrorCodeText(37), "unknown error");
    EXPECT_EQ(ErrorCodeText(IDS_ERR_NO_ACK), "IDS_ERR_NO_ACK");

    SetErrorTextProvider(nullptr);
    EXPECT_EQ(ErrorCodeText(IDS_ERR_CRC), "IDS_ERR_CRC");
}

} // namespace
