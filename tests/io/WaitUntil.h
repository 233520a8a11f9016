#pragma once

#include <chrono>
#include <thread>

// Polls condition every millisecond for at most timeoutMs; true as soon as it holds.
template <typename Condition> bool WaitUntil(Condition condition, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return condition();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
