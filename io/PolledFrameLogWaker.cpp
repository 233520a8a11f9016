#include "io/PolledFrameLogWaker.h"

void PolledFrameLogWaker::Wake(int direction) {
    std::lock_guard<std::mutex> lock(mutex_);
    wakes_.push_back(direction);
}

int PolledFrameLogWaker::Pump() {
    int dispatched = 0;
    for (;;) {
        int direction = 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (wakes_.empty()) {
                return dispatched;
            }
            direction = wakes_.front();
            wakes_.pop_front();
        }
        Dispatch(direction);
        ++dispatched;
    }
}

int PolledFrameLogWaker::Pending() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(wakes_.size());
}
