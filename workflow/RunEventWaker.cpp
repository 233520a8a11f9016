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

RunEventWaker::~RunEventWaker() = default;

void RunEventWaker::Wake() {
    QCoreApplication::postEvent(this, new QEvent(RunEventType()));
}

bool RunEventWaker::event(QEvent* e) {
    if (e->type() == RunEventType()) {
        if (receiver_) {
            receiver_();
        }
        return true;
    }
    return QObject::event(e);
}
