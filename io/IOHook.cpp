#include "io/IOHook.h"

#include "io/IOHookList.h"

IOHook::~IOHook() {
    Detach();
}

void IOHook::Attach(IOHookList& list) {
    Detach();
    list.Add(this);
}

void IOHook::Detach() {
    if (list_ != nullptr) {
        list_->Remove(this);
    }
}
