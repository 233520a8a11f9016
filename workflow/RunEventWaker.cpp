#include "workflow/RunEventWaker.h"

#include <QCoreApplication>
#include <QEvent>

namespace {

QEvent::Type RunEventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

} // namespace

RunEventWaker::RunEventWaker(std::function<void()> receiver) : receiver_(std::move(receiver)) {}

RunEventWaker::~RunEventWaker() {
    // Pending events are freed with the object, after this.
    std::lock_guard<std::mutex> lock(handover_);
}

void RunEventWaker::Wake() {
    std::lock_guard<std::mutex> lock(handover_);
    QCoreApplication::postEvent(this, new QEvent(RunEventType()));
}

bool RunEventWaker::event(QEvent* e) {
    { std::lock_guard<std::mutex> lock(handover_); }
    if (e->type() == RunEventType()) {
        if (receiver_) {
            receiver_();
        }
        return true;
    }
    return QObject::event(e);
}
