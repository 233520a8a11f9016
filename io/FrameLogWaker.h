#pragma once

#include <functional>
#include <utility>

// Carries the frame log's notifications from the thread that saw a frame to the thread that
// owns the log. The frames themselves travel in the log's locked queues; a wake only says
// "one more frame of this direction is waiting".
class FrameLogWaker {
public:
    using Receiver = std::function<void(int direction)>;

    FrameLogWaker() = default;
    FrameLogWaker(const FrameLogWaker&) = delete;
    FrameLogWaker& operator=(const FrameLogWaker&) = delete;
    virtual ~FrameLogWaker() = default;

    // Binds the function to run on the owning thread. Set once by the log before any wake.
    void SetReceiver(Receiver receiver) { receiver_ = std::move(receiver); }

    // Any thread: arranges for exactly one later call of the receiver with direction on the
    // owning thread. Wakes are handled in the order in which they were made.
    virtual void Wake(int direction) = 0;

protected:
    // Runs the receiver; called by the implementation on the owning thread.
    void Dispatch(int direction) const {
        if (receiver_) {
            receiver_(direction);
        }
    }

private:
    Receiver receiver_;
};
