#include "base/MsClock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {

uint32_t SteadyMs() {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<uint32_t>(static_cast<uint64_t>(ms));
}

std::atomic<MsClockSource> g_source{&SteadyMs};

} // namespace

uint32_t MsClockNow() {
    return g_source.load(std::memory_order_acquire)();
}

void SetMsClockSource(MsClockSource source) {
    g_source.store(source != nullptr ? source : &SteadyMs, std::memory_order_release);
}

void SleepMs(uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
