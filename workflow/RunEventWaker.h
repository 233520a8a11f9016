#pragma once

#include <QObject>

#include <functional>
#include <mutex>

// Wakes the thread that created it: each Wake, from any thread, posts one event to this object,
// and the event loop of the owning thread then runs the receiver once. Wakes run in the order in
// which they were made; those still pending when the object goes are discarded with it.
class RunEventWaker : public QObject {
public:
    explicit RunEventWaker(std::function<void()> receiver);
    ~RunEventWaker() override;

    void Wake();

protected:
    bool event(QEvent* e) override;

private:
    std::function<void()> receiver_;
    // Held while an event is made and posted, and taken before one is read: Qt's own hand-over
    // is invisible to thread checkers when Qt is not built with them.
    std::mutex handover_;
};
