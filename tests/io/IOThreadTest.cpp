#include "io/IOThread.h"
#include "base/MsClock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// Counts its passes and can stop itself from inside Run.
class CountingThread : public IOThread {
public:
    ~CountingThread() override { Stop(); }

    std::atomic<int> runs{0};
    std::atomic<int> wakes{0};
    std::atomic<bool> stopFromInside{false};
    std::atomic<bool> sawOwnThread{false};

protected:
    void Run() override {
        ++runs;
        sawOwnThread = IsOwnThread();
        if (stopFromInside) {
            Stop(); // must not try to join itself
            return;
        }
        IOThread::Run();
    }
    void OnStopRequested() override { ++wakes; }
};

bool WaitUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        SleepMs(1);
    }
    return done();
}

TEST(IOThread, StartTwiceGivesTrueThenFalseAndStopAllowsARestart) {
    CountingThread thread;
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_TRUE(thread.Start());
    EXPECT_FALSE(thread.Start());
    EXPECT_TRUE(thread.IsRunning());
    ASSERT_TRUE(WaitUntil([&] { return thread.runs == 1; }));
    EXPECT_TRUE(thread.sawOwnThread);
    EXPECT_FALSE(thread.IsOwnThread());

    thread.Stop();
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_TRUE(thread.IsStopping());
    EXPECT_EQ(thread.wakes, 1);
    thread.Stop(); // nothing to stop
    EXPECT_EQ(thread.wakes, 1);

    EXPECT_TRUE(thread.Start());
    EXPECT_FALSE(thread.IsStopping());
    ASSERT_TRUE(WaitUntil([&] { return thread.runs == 2; }));
    thread.Stop();
}

TEST(IOThread, StopFromTheThreadItselfDoesNotDeadlock) {
    CountingThread thread;
    thread.stopFromInside = true;
    ASSERT_TRUE(thread.Start());
    ASSERT_TRUE(WaitUntil([&] { return thread.runs == 1; }));
    ASSERT_TRUE(thread.WaitStopEvent(10000));
    EXPECT_TRUE(thread.IsStopping());
    thread.Stop(); // joins the thread that has ended on its own
    EXPECT_FALSE(thread.IsRunning());
}

// Ends Run on its own and signals the stop event, as an event loop does when its link ends.
class SelfEndingThread : public IOThread {
public:
    ~SelfEndingThread() override { Stop(); }
    std::atomic<bool> ended{false};

protected:
    void Run() override {
        SignalStopEvent();
        ended = true;
    }
};

TEST(IOThread, StopEventCanBeSignalledWithoutStopping) {
    SelfEndingThread thread;
    ASSERT_TRUE(thread.Start());
    ASSERT_TRUE(thread.WaitStopEvent(10000));
    ASSERT_TRUE(WaitUntil([&] { return thread.ended.load(); }));
    EXPECT_FALSE(thread.IsStopping());
    thread.Stop();
    // A restart resets the stop event.
    ASSERT_TRUE(thread.Start());
    thread.Stop();
}

TEST(IOThread, DestructionStopsARunningThread) {
    auto thread = std::make_unique<CountingThread>();
    ASSERT_TRUE(thread->Start());
    ASSERT_TRUE(WaitUntil([&] { return thread->runs == 1; }));
    thread.reset();
    SUCCEED();
}

} // namespace
