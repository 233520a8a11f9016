#include "io/SocketApi.h"
#include "UnansweringHost.h"

#include <gtest/gtest.h>

#ifndef _WIN32

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace {

void IgnoreSignal(int) {}

// A wait on a silent peer, interrupted by a signal every few ms, still ends at its time-out.
TEST(SocketWaits, SignalsDoNotStretchAWait) {
    struct sigaction action {};
    action.sa_handler = IgnoreSignal;
    sigemptyset(&action.sa_mask);
    struct sigaction previous {};
    ASSERT_EQ(sigaction(SIGUSR1, &action, &previous), 0);

    constexpr int kTimeoutMs = 300;
    constexpr int kSignalsForMs = 3000; // how long the signals keep coming at most

    const SocketApi::Handle listener = SocketApi::Listen(SocketApi::LoopbackAddress(), 0, 4);
    ASSERT_NE(listener, SocketApi::kInvalid);
    const SocketApi::Handle client = SocketApi::OpenStream();
    SocketApi::Result connected = SocketApi::StartConnect(client, SocketApi::LoopbackAddress(),
                                                          SocketApi::LocalPort(listener));
    if (connected == SocketApi::Result::Pending) {
        connected = SocketApi::WaitConnected(client, nullptr, 2000);
    }
    ASSERT_EQ(connected, SocketApi::Result::Ready);
    UnansweringHost unanswering;

    struct Case {
        const char* name;
        std::function<SocketApi::Result()> wait;
        bool needsUnanswering;
    } cases[] = {
        {"readable, silent peer",
         [client] { return SocketApi::WaitReadable(client, nullptr, kTimeoutMs); }, false},
        {"connect, host that does not answer",
         [&unanswering] {
             const SocketApi::Handle s = SocketApi::OpenStream();
             SocketApi::Result r =
                 SocketApi::StartConnect(s, SocketApi::LoopbackAddress(), unanswering.Port());
             if (r == SocketApi::Result::Pending) {
                 r = SocketApi::WaitConnected(s, nullptr, kTimeoutMs);
             }
             SocketApi::Close(s);
             return r;
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needsUnanswering && !unanswering.IsBlocked()) {
            continue; // this system answers every connect
        }
        std::atomic<bool> done{false};
        SocketApi::Result result = SocketApi::Result::Failed;
        std::chrono::milliseconds took{};
        std::thread waiter([&] {
            const auto start = std::chrono::steady_clock::now();
            result = c.wait();
            took = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - start);
            done = true;
        });
        const auto stopAt =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kSignalsForMs);
        while (!done && std::chrono::steady_clock::now() < stopAt) {
            pthread_kill(waiter.native_handle(), SIGUSR1);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        waiter.join();
        EXPECT_EQ(result, SocketApi::Result::TimedOut);
        // Without the deadline every signal would start the wait afresh, until the signals stop.
        EXPECT_LT(took.count(), kSignalsForMs / 2);
    }
    SocketApi::Close(client);
    SocketApi::Close(listener);
    sigaction(SIGUSR1, &previous, nullptr);
}

} // namespace

#endif // !_WIN32
