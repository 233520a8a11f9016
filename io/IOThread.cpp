#include "io/IOThread.h"

#include "base/MsClock.h"

#include <chrono>
#include <system_error>

IOThread::~IOThread() {
    IOThread::Stop();
}

bool IOThread::Start() {
    std::lock_guard<MyCriticalSection> lock(*this);
    if (thread_.joinable()) {
        return false;
    }
    ResetStopEvent();
    stopping_.store(false, std::memory_order_release);
    try {
        thread_ = std::thread(&IOThread::Entry, this);
    } catch (const std::system_error&) {
        return false;
    }
    threadId_.store(thread_.get_id(), std::memory_order_release);
    return true;
}

void IOThread::Stop() {
    if (IsOwnThread()) {
        stopping_.store(true, std::memory_order_release);
        SignalStopEvent();
        OnStopRequested();
        return;
    }
    std::lock_guard<MyCriticalSection> lock(*this);
    if (!thread_.joinable()) {
        return;
    }
    stopping_.store(true, std::memory_order_release);
    SignalStopEvent();
    OnStopRequested();
    thread_.join();
    threadId_.store(std::thread::id(), std::memory_order_release);
}

bool IOThread::IsRunning() const {
    return threadId_.load(std::memory_order_acquire) != std::thread::id();
}

bool IOThread::IsOwnThread() const {
    return threadId_.load(std::memory_order_acquire) == std::this_thread::get_id();
}

void IOThread::SignalStopEvent() {
    {
        std::lock_guard<std::mutex> lock(eventMutex_);
        stopSignalled_ = true;
    }
    eventCondition_.notify_all();
}

bool IOThread::WaitStopEvent(uint32_t ms) const {
    std::unique_lock<std::mutex> lock(eventMutex_);
    return eventCondition_.wait_for(lock, std::chrono::milliseconds(ms),
                                    [this] { return stopSignalled_; });
}

void IOThread::Run() {
    while (!IsStopping()) {
        SleepMs(1);
    }
}

void IOThread::Entry() {
    // Start() stores the id after the thread has been created; set it here too so that the
    // body already sees itself as the own thread.
    threadId_.store(std::this_thread::get_id(), std::memory_order_release);
    Run();
    WaitStopEventForever();
}

void IOThread::ResetStopEvent() {
    std::lock_guard<std::mutex> lock(eventMutex_);
    stopSignalled_ = false;
}

void IOThread::WaitStopEventForever() const {
    std::unique_lock<std::mutex> lock(eventMutex_);
    eventCondition_.wait(lock, [this] { return stopSignalled_; });
}
