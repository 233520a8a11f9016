#include "base/ByteBuffer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<uint8_t> Bytes(const ByteBuffer& b) {
    return b.size() == 0 ? std::vector<uint8_t>{}
                         : std::vector<uint8_t>(b.data(), b.data() + b.size());
}

TEST(ByteBuffer, ConstructionZeroFillsOrCopies) {
    const uint8_t src[] = {1, 2, 3};
    EXPECT_EQ(Bytes(ByteBuffer(3, src)), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(Bytes(ByteBuffer(2)), (std::vector<uint8_t>{0, 0}));
    ByteBuffer negative(-5, src);
    EXPECT_EQ(negative.size(), 0);
    EXPECT_EQ(negative.data(), nullptr);
}

TEST(ByteBuffer, ResizeKeepsTheLeadingBytes) {
    const uint8_t src[] = {1, 2, 3, 4};
    struct Case {
        int32_t n;
        std::vector<uint8_t> expected;
    };
    const Case cases[] = {
        {4, {1, 2, 3, 4}}, {2, {1, 2}}, {6, {1, 2, 3, 4, 0, 0}}, {0, {}}, {-1, {}},
    };
    for (const Case& c : cases) {
        ByteBuffer b(4, src);
        b.Resize(c.n);
        EXPECT_EQ(Bytes(b), c.expected) << "n " << c.n;
        EXPECT_EQ(b.data() == nullptr, c.expected.empty());
    }
}

TEST(ByteBuffer, AssignGrowsButNeverShrinks) {
    const uint8_t big[] = {9, 8, 7, 6, 5};
    const uint8_t small[] = {1, 2};
    ByteBuffer b;
    b.Assign(big, 5);
    EXPECT_EQ(Bytes(b), (std::vector<uint8_t>{9, 8, 7, 6, 5}));
    b.Assign(small, 2);
    EXPECT_EQ(Bytes(b), (std::vector<uint8_t>{1, 2, 7, 6, 5}));
    b.Assign(nullptr, 3);
    b.Assign(small, -1);
    EXPECT_EQ(Bytes(b), (std::vector<uint8_t>{1, 2, 7, 6, 5}));
}

TEST(ByteBuffer, AssignFromItsOwnBytes) {
    const uint8_t src[] = {1, 2, 3, 4};
    ByteBuffer b(4, src);
    b.Assign(b.data() + 1, 3); // overlapping, no growth
    EXPECT_EQ(Bytes(b), (std::vector<uint8_t>{2, 3, 4, 4}));
}

TEST(ByteBuffer, CopiesAreDeepAndMovesEmptyTheSource) {
    const uint8_t src[] = {5, 6};
    ByteBuffer a(2, src);
    ByteBuffer copy(a);
    copy.data()[0] = 0;
    EXPECT_EQ(Bytes(a), (std::vector<uint8_t>{5, 6}));
    ByteBuffer moved(std::move(a));
    EXPECT_EQ(Bytes(moved), (std::vector<uint8_t>{5, 6}));
    EXPECT_EQ(a.size(), 0); // NOLINT(bugprone-use-after-move): moved-from state is defined
    EXPECT_EQ(a.data(), nullptr);
}

} // namespace
