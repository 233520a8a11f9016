#include "io/RingBuffer.h"
#include "io/RingBufferCS.h"

#include <gtest/gtest.h>

#include <mutex>
#include <numeric>
#include <vector>

namespace {

std::vector<uint8_t> Sequence(int n, uint8_t first = 0) {
    std::vector<uint8_t> v(n);
    std::iota(v.begin(), v.end(), first);
    return v;
}

TEST(RingBuffer, FullBufferRefusesWholeWritesAndKeepsItsContent) {
    RingBuffer ring(8192);
    const auto block = Sequence(8000);
    ASSERT_TRUE(ring.Write(block.data(), 8000));
    const auto more = Sequence(200);
    EXPECT_FALSE(ring.Write(more.data(), 200));
    EXPECT_EQ(ring.Count(), 8000);
    EXPECT_TRUE(ring.Write(more.data(), 192));
    EXPECT_EQ(ring.Count(), 8192);
    EXPECT_EQ(ring.Free(), 0);
    EXPECT_FALSE(ring.Write(more.data(), 1));

    std::vector<uint8_t> out(8192);
    ASSERT_TRUE(ring.Read(out.data(), 8192));
    EXPECT_TRUE(std::equal(block.begin(), block.end(), out.begin()));
    EXPECT_TRUE(std::equal(more.begin(), more.begin() + 192, out.begin() + 8000));
}

TEST(RingBuffer, BytesWrapAroundTheEndOfTheStorageInOrder) {
    RingBuffer ring(16);
    const auto first = Sequence(12);
    ASSERT_TRUE(ring.Write(first.data(), 12));
    ASSERT_TRUE(ring.Read(nullptr, 10)); // discard; positions now near the end
    const auto wrapped = Sequence(12, 100);
    ASSERT_TRUE(ring.Write(wrapped.data(), 12));
    EXPECT_EQ(ring.Count(), 14);

    std::vector<uint8_t> peeked(14);
    ASSERT_TRUE(ring.Peek(peeked.data(), 14));
    std::vector<uint8_t> read(14);
    ASSERT_TRUE(ring.Read(read.data(), 14));
    EXPECT_EQ(peeked, read);
    std::vector<uint8_t> expected = {10, 11};
    expected.insert(expected.end(), wrapped.begin(), wrapped.end());
    EXPECT_EQ(read, expected);
    EXPECT_EQ(ring.Count(), 0);
}

TEST(RingBuffer, RefusesBadRequests) {
    RingBuffer ring(8);
    const auto four = Sequence(4);
    ASSERT_TRUE(ring.Write(four.data(), 4));
    uint8_t out[8];
    struct Case {
        const char* name;
        bool result;
    };
    const Case cases[] = {
        {"write null", ring.Write(nullptr, 1)},
        {"write negative", ring.Write(four.data(), -1)},
        {"peek null", ring.Peek(nullptr, 1)},
        {"peek negative", ring.Peek(out, -1)},
        {"peek more than held", ring.Peek(out, 5)},
        {"read negative", ring.Read(out, -1)},
        {"read more than held", ring.Read(out, 5)},
        {"read null more than held", ring.Read(nullptr, 5)},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(c.result) << c.name;
    }
    EXPECT_EQ(ring.Count(), 4);
    EXPECT_TRUE(ring.Write(four.data(), 0));
    EXPECT_TRUE(ring.Read(out, 0));
    EXPECT_EQ(ring.Count(), 4);
}

TEST(RingBuffer, CapacityChangesEmptyTheBuffer) {
    RingBuffer ring;
    EXPECT_EQ(ring.Capacity(), 0);
    const uint8_t byte = 1;
    EXPECT_FALSE(ring.Write(&byte, 1));
    EXPECT_TRUE(ring.Write(&byte, 0));
    EXPECT_TRUE(ring.Read(nullptr, 0));
    EXPECT_EQ(ring.SetCapacity(-5), 0);
    EXPECT_EQ(ring.SetCapacity(4), 4);
    ASSERT_TRUE(ring.Write(&byte, 1));
    EXPECT_EQ(ring.SetCapacity(4), 4);
    EXPECT_EQ(ring.Count(), 0);
    ASSERT_TRUE(ring.Write(&byte, 1));
    ring.Reset();
    EXPECT_EQ(ring.Count(), 0);
    EXPECT_EQ(ring.Free(), 4);
}

TEST(RingBufferCS, LocksLikeAnyCriticalSection) {
    RingBufferCS queue(8192);
    const auto data = Sequence(10);
    {
        std::lock_guard<MyCriticalSection> guard(queue);
        EXPECT_TRUE(queue.Write(data.data(), 10));
    }
    EXPECT_EQ(queue.Count(), 10);
    EXPECT_EQ(queue.Capacity(), 8192);
}

} // namespace
