#pragma once

#include "base/MyCriticalSection.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

// A worker thread with a manual-reset stop event. The thread runs Run() and then waits for the
// stop event before it ends, so Stop() always finds it joinable.
//
// A subclass that overrides Run must call Stop() in its own destructor: by the time the
// IOThread destructor runs, the subclass part is gone.
class IOThread : public MyCriticalSection {
public:
    IOThread() = default;
    ~IOThread() override;

    // Starts the thread: false when one already exists or it cannot be created.
    virtual bool Start();

    // Sets stopping, signals the stop event and joins the thread. Called on the thread itself
    // it only sets stopping and signals, since a thread cannot join itself.
    virtual void Stop();

    // A thread exists: started and not yet joined by Stop.
    bool IsRunning() const;
    bool IsStopping() const { return stopping_.load(std::memory_order_acquire); }
    // True when called on this object's thread.
    bool IsOwnThread() const;

    // Signals the stop event without setting stopping (a loop that has ended on its own does
    // this so that the thread exits at once).
    void SignalStopEvent();
    // Waits up to ms for the stop event; true when it is signalled.
    bool WaitStopEvent(uint32_t ms) const;

protected:
    // Thread body. The default sleeps 1 ms at a time until stopping is set.
    virtual void Run();

    // Hook, called by Stop after the stop event is signalled, before the join; a Run that
    // blocks elsewhere (on a socket, say) wakes itself here. Empty by default.
    virtual void OnStopRequested() {}

private:
    void Entry();
    void ResetStopEvent();
    void WaitStopEventForever() const;

    std::atomic<bool> stopping_{false};
    mutable std::mutex eventMutex_;
    mutable std::condition_variable eventCondition_;
    bool stopSignalled_ = false;
    std::thread thread_;
    std::atomic<std::thread::id> threadId_{};
};
