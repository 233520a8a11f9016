#include "io/IOFrameLog.h"

#include "io/IOHookList.h"

#include <mutex>

IOFrameLog::IOFrameLog(std::unique_ptr<FrameLogWaker> waker)
    : waker_(std::move(waker)), receivedAssembler_(this), sentAssembler_(this) {
    if (waker_) {
        waker_->SetReceiver([this](int direction) { DeliverNext(direction); });
    }
}

IOFrameLog::~IOFrameLog() {
    // Detach first: once Detach has returned no transport thread is inside OnData any more.
    Detach();
    started_ = false;
    // The waker goes before the queues, taking any wake that has not run yet with it.
    waker_.reset();
}

void IOFrameLog::Start() {
    if (started_) {
        return;
    }
    receivedAssembler_.Reset();
    sentAssembler_.Reset();
    received_.Clear();
    sent_.Clear();
    Attach(IOHookList::Global());
    started_ = true;
}

void IOFrameLog::Stop() {
    if (!started_) {
        return;
    }
    Detach();
    started_ = false;
}

void IOFrameLog::OnData(const uint8_t* data, int len, int direction) {
    if (direction == kReceived) {
        receivedAssembler_.Feed(data, len);
    } else {
        sentAssembler_.Feed(data, len);
    }
}

void IOFrameLog::FrameReceived(const uint8_t* bytes, int length, const AutoFrameBuffer* source) {
    int direction = 0;
    if (source == &receivedAssembler_) {
        direction = kReceived;
    } else if (source == &sentAssembler_) {
        direction = kSent;
    } else {
        return;
    }
    FrameDataListCS& queue = QueueOf(direction);
    {
        std::lock_guard<MyCriticalSection> lock(queue);
        queue.Append(std::make_unique<FrameData>(length, bytes));
    }
    if (waker_) {
        waker_->Wake(direction);
    }
}

bool IOFrameLog::DeliverNext(int direction) {
    if (direction != kReceived && direction != kSent) {
        return false;
    }
    FrameDataListCS& queue = QueueOf(direction);
    std::unique_ptr<FrameData> frame;
    {
        std::lock_guard<MyCriticalSection> lock(queue);
        frame = queue.TakeFirst();
    }
    if (!frame) {
        return false;
    }
    OnFrameLogged(frame->data(), frame->size(), direction);
    return true;
}

int IOFrameLog::Queued(int direction) {
    FrameDataListCS& queue = QueueOf(direction);
    std::lock_guard<MyCriticalSection> lock(queue);
    return queue.Count();
}

FrameDataListCS& IOFrameLog::QueueOf(int direction) {
    return direction == kReceived ? received_ : sent_;
}
