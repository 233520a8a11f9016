#pragma once

#include "io/FrameLogWaker.h"

#include <deque>
#include <mutex>

// A waker for owners without an event loop: wakes are queued, and the owning thread hands them
// to the log by calling Pump.
class PolledFrameLogWaker : public FrameLogWaker {
public:
    void Wake(int direction) override;

    // Owning thread: dispatches every queued wake in order; returns how many there were.
    int Pump();
    // Wakes waiting to be pumped.
    int Pending() const;

private:
    mutable std::mutex mutex_;
    std::deque<int> wakes_;
};
