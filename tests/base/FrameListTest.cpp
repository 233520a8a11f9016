#include "base/FrameDataListCS.h"
#include "base/FrameQueue.h"
#include "base/MsClock.h"
#include "base/ObjectList.h"
#include "base/Stopwatch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

// Counts live instances, so that a test can see every entry deleted exactly once.
struct Tracked {
    explicit Tracked(int v) : value(v) { ++live; }
    ~Tracked() { --live; }
    int value;
    static inline int live = 0;
};

std::unique_ptr<FrameData> Frame(uint8_t tag, bool crcOk = true) {
    auto f = std::make_unique<FrameData>(1, &tag);
    f->crcOk = crcOk;
    return f;
}

std::vector<int> Tags(FrameDataListCS& list) {
    std::vector<int> tags;
    for (int i = 0; i < list.Count(); ++i) {
        tags.push_back(list.At(i)->data()[0]);
    }
    return tags;
}

TEST(ObjectList, ArrayGrowsAndShrinksInBlocksOf16) {
    struct Step {
        int count;
        int capacity;
    };
    const Step steps[] = {{0, 16}, {1, 16}, {15, 16}, {16, 32}, {31, 32}, {32, 48}, {40, 48}};
    ObjectList<Tracked, 16> list;
    int added = 0;
    for (const Step& s : steps) {
        while (added < s.count) {
            list.Append(std::make_unique<Tracked>(added++));
        }
        EXPECT_EQ(list.Count(), s.count);
        EXPECT_EQ(list.Capacity(), s.capacity) << "count " << s.count;
    }
    // Taking from the front shrinks by the same rule and keeps the order.
    while (list.Count() > 15) {
        list.TakeFirst();
    }
    EXPECT_EQ(list.Capacity(), 16);
    EXPECT_EQ(list.At(0)->value, 25);
    EXPECT_EQ(list.At(14)->value, 39);
    EXPECT_EQ(list.At(15), nullptr);
    EXPECT_EQ(list.At(-1), nullptr);
    EXPECT_EQ(Tracked::live, 15);
    list.Clear();
    EXPECT_EQ(Tracked::live, 0);
    EXPECT_EQ(list.Capacity(), 16);
    EXPECT_EQ(list.TakeFirst(), nullptr);
}

TEST(ObjectList, DestructionDeletesTheEntriesAndNullIsNotAdded) {
    {
        ObjectList<Tracked, 16> list;
        list.Append(std::make_unique<Tracked>(1));
        list.Append(nullptr);
        list.Append(std::make_unique<Tracked>(2));
        EXPECT_EQ(list.Count(), 2);
    }
    EXPECT_EQ(Tracked::live, 0);
}

TEST(QueueFrame, BoundedListDropsItsOldestFrames) {
    struct Case {
        int limit;
        int queued;
        std::vector<int> kept; // first and last tag kept
        int count;
    };
    const Case cases[] = {
        {32, 32, {0, 31}, 32}, {32, 33, {1, 32}, 32}, // the 33rd deletes the oldest
        {32, 40, {8, 39}, 32}, {1, 5, {4, 4}, 1},     // bound 1 holds only the newest
        {0, 3, {2, 2}, 1},                            // a bound below 1 counts as 1
        {-4, 3, {2, 2}, 1},
    };
    for (const Case& c : cases) {
        FrameDataListCS list;
        for (int i = 0; i < c.queued; ++i) {
            QueueFrame(Frame(static_cast<uint8_t>(i)), list, c.limit);
        }
        const std::vector<int> tags = Tags(list);
        ASSERT_EQ(static_cast<int>(tags.size()), c.count) << "limit " << c.limit;
        EXPECT_EQ(tags.front(), c.kept[0]) << "limit " << c.limit;
        EXPECT_EQ(tags.back(), c.kept[1]) << "limit " << c.limit;
        EXPECT_EQ(list.Capacity(), 16 * (c.count / 16 + 1));
    }
    FrameDataListCS list;
    QueueFrame(nullptr, list, 32);
    EXPECT_EQ(list.Count(), 0);
}

TEST(NextFrame, TimeOutZeroLooksOnceAndSleeps) {
    FrameDataListCS list;
    std::unique_ptr<FrameData> result = Frame(1);
    Stopwatch watch;
    EXPECT_EQ(NextFrame(result, list, 0), IDS_ERR_READ_TIMEOUT);
    EXPECT_GE(watch.Elapsed(), 1u);
    EXPECT_EQ(result, nullptr);

    QueueFrame(Frame(7), list, 32);
    EXPECT_EQ(NextFrame(result, list, 0), IDS_ERR_OK);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->data()[0], 7);
}

TEST(NextFrame, TakesOldestFirstAndReportsBadCrcOnce) {
    FrameDataListCS list;
    QueueFrame(Frame(1), list, 32);
    QueueFrame(Frame(2, false), list, 32);
    QueueFrame(Frame(3), list, 32);
    std::unique_ptr<FrameData> result;
    EXPECT_EQ(NextFrame(result, list, 0), IDS_ERR_OK);
    EXPECT_EQ(result->data()[0], 1);
    EXPECT_EQ(NextFrame(result, list, 0), IDS_ERR_CRC);
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(NextFrame(result, list, 0), IDS_ERR_OK);
    EXPECT_EQ(result->data()[0], 3);
    EXPECT_EQ(list.Count(), 0);
}

TEST(NextFrame, WaitsForAFrameFromAnotherThread) {
    FrameDataListCS list;
    std::thread producer([&] {
        SleepMs(20);
        QueueFrame(Frame(9), list, 32);
    });
    std::unique_ptr<FrameData> result;
    const UECP_IO_Error err = NextFrame(result, list, 10000);
    producer.join();
    ASSERT_EQ(err, IDS_ERR_OK);
    EXPECT_EQ(result->data()[0], 9);
}

TEST(NextFrame, TimesOutAfterTheTimeOut) {
    FrameDataListCS list;
    std::unique_ptr<FrameData> result;
    Stopwatch watch;
    EXPECT_EQ(NextFrame(result, list, 30), IDS_ERR_READ_TIMEOUT);
    EXPECT_GE(watch.Elapsed(), 30u);
}

TEST(FrameDataListCS, ConcurrentQueueAndTakeLoseNothing) {
    FrameDataListCS list;
    constexpr int kFrames = 2000;
    std::thread producer([&] {
        for (int i = 0; i < kFrames; ++i) {
            QueueFrame(Frame(static_cast<uint8_t>(i & 0xFF)), list, kFrames + 1);
        }
    });
    int taken = 0;
    int expectedTag = 0;
    std::unique_ptr<FrameData> result;
    while (taken < kFrames && NextFrame(result, list, 10000) == IDS_ERR_OK) {
        EXPECT_EQ(result->data()[0], expectedTag);
        expectedTag = (expectedTag + 1) & 0xFF;
        ++taken;
    }
    producer.join();
    EXPECT_EQ(taken, kFrames);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

} // namespace
