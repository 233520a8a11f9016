#include "io/qt/QtFrameLogWaker.h"

#include <QCoreApplication>
#include <QEvent>

namespace {

QEvent::Type FrameLoggedEventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

class FrameLoggedEvent : public QEvent {
public:
    explicit FrameLoggedEvent(int direction)
        : QEvent(FrameLoggedEventType()), direction_(direction) {}
    int Direction() const { return direction_; }

private:
    int direction_;
};

} // namespace

QtFrameLogWaker::QtFrameLogWaker(QObject* parent) : QObject(parent) {}

QtFrameLogWaker::~QtFrameLogWaker() {
    // Pending events are freed with the object, after this.
    std::lock_guard<std::mutex> lock(handover_);
}

void QtFrameLogWaker::Wake(int direction) {
    // postEvent is safe from any thread and keeps the order of posts to one receiver.
    std::lock_guard<std::mutex> lock(handover_);
    QCoreApplication::postEvent(this, new FrameLoggedEvent(direction));
}

bool QtFrameLogWaker::event(QEvent* e) {
    { std::lock_guard<std::mutex> lock(handover_); }
    if (e->type() == FrameLoggedEventType()) {
        Dispatch(static_cast<FrameLoggedEvent*>(e)->Direction());
        return true;
    }
    return QObject::event(e);
}
