#include "ui/UiMessageBox.h"

#include <QGuiApplication>

#include <utility>

namespace {

UiMessageBox::Hook& CurrentHook() {
    static UiMessageBox::Hook hook;
    return hook;
}

} // namespace

QMessageBox::StandardButton UiMessageBox::Show(QWidget* parent, const QString& text,
                                               QMessageBox::Icon icon,
                                               QMessageBox::StandardButtons buttons,
                                               const QString& title) {
    UiMessageBoxRequest request{parent,
                                title.isEmpty() ? QGuiApplication::applicationDisplayName() : title,
                                text, icon, buttons};
    if (const Hook& hook = CurrentHook()) {
        return hook(request);
    }
    QMessageBox box(request.icon, request.title, request.text, request.buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

UiMessageBox::Hook UiMessageBox::SetHook(Hook hook) {
    return std::exchange(CurrentHook(), std::move(hook));
}

UiMessageBox::Recorder::Recorder(QMessageBox::StandardButton answer) {
    previous_ = SetHook([this, answer](const UiMessageBoxRequest& request) {
        requests_.push_back(request);
        return answer;
    });
}

UiMessageBox::Recorder::~Recorder() {
    SetHook(std::move(previous_));
}

QStringList UiMessageBox::Recorder::Texts() const {
    QStringList texts;
    for (const UiMessageBoxRequest& request : requests_) {
        texts << request.text;
    }
    return texts;
}
