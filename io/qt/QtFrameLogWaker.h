#pragma once

#include "io/FrameLogWaker.h"

#include <QObject>

#include <mutex>

// A FrameLogWaker for Qt programs: a small object living on the thread that created it. Each
// wake posts one event to it; the event loop of that thread then runs the log's receiver. The
// event carries only the direction; the frame itself waits in the log's queue.
class QtFrameLogWaker : public QObject, public FrameLogWaker {
public:
    explicit QtFrameLogWaker(QObject* parent = nullptr);
    // Pending wakes are discarded with the object.
    ~QtFrameLogWaker() override;

    void Wake(int direction) override;

protected:
    bool event(QEvent* e) override;

private:
    // Held while an event is made and posted, and taken before one is read: Qt's own hand-over
    // is invisible to thread checkers when Qt is not built with them.
    std::mutex handover_;
};
