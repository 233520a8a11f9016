#include "base/MsClock.h"
#include "base/MyCriticalSection.h"
#include "base/Stopwatch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

namespace {

std::atomic<uint32_t> g_fakeNow{0};
uint32_t FakeClock() {
    return g_fakeNow.load();
}

class FakeClockTest : public ::testing::Test {
protected:
    void SetUp() override { SetMsClockSource(&FakeClock); }
    void TearDown() override { SetMsClockSource(nullptr); }
};

TEST_F(FakeClockTest, StopwatchIsCorrectAcrossTheWrap) {
    struct Case {
        uint32_t start;
        uint32_t now;
        uint32_t elapsed;
    };
    const Case cases[] = {
        {0xFFFFFFFFu - 255, 16, 272}, // started 256 ms before the wrap
        {0xFFFFFFFFu, 0, 1},
        {100, 100, 0},
        {1000, 4000, 3000},
    };
    for (const Case& c : cases) {
        g_fakeNow = c.start;
        Stopwatch watch;
        g_fakeNow = c.now;
        EXPECT_EQ(watch.Elapsed(), c.elapsed) << c.start << " -> " << c.now;
    }
}

TEST_F(FakeClockTest, RestartTakesTheCurrentTime) {
    g_fakeNow = 10;
    Stopwatch watch;
    g_fakeNow = 500;
    watch.Restart();
    g_fakeNow = 530;
    EXPECT_EQ(watch.Elapsed(), 30u);
}

TEST(MsClock, SystemClockAdvancesAcrossASleep) {
    const uint32_t before = MsClockNow();
    SleepMs(5);
    EXPECT_GE(MsClockNow() - before, 5u);
}

TEST(MyCriticalSection, OwnerMayRelockAndOthersWaitUntilFullyReleased) {
    MyCriticalSection cs;
    cs.Lock();
    cs.Lock();
    auto tryFromOtherThread = [&cs] {
        return std::async(std::launch::async,
                          [&cs] {
                              const bool got = cs.try_lock();
                              if (got) {
                                  cs.unlock();
                              }
                              return got;
                          })
            .get();
    };
    EXPECT_FALSE(tryFromOtherThread());
    cs.Unlock();
    EXPECT_FALSE(tryFromOtherThread());
    cs.Unlock();
    EXPECT_TRUE(tryFromOtherThread());
}

} // namespace
