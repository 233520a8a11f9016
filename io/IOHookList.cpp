#include "io/IOHookList.h"

#include "io/IOHook.h"

#include <algorithm>
#include <mutex>

IOHookList::~IOHookList() {
    std::lock_guard<MyCriticalSection> lock(*this);
    for (IOHook* hook : hooks_) {
        if (hook != nullptr) {
            hook->list_ = nullptr;
        }
    }
    hooks_.clear();
}

IOHookList& IOHookList::Global() {
    static IOHookList list;
    return list;
}

void IOHookList::Notify(const uint8_t* data, int len, int direction) {
    if (data == nullptr || len <= 0) {
        return;
    }
    std::lock_guard<MyCriticalSection> lock(*this);
    ++notifyDepth_;
    // By index: a hook may attach or detach hooks (itself included) from its callback.
    for (size_t i = 0; i < hooks_.size(); ++i) {
        if (IOHook* hook = hooks_[i]) {
            hook->OnData(data, len, direction);
        }
    }
    if (--notifyDepth_ == 0) {
        Compact();
    }
}

int IOHookList::Count() {
    std::lock_guard<MyCriticalSection> lock(*this);
    return static_cast<int>(std::count_if(hooks_.begin(), hooks_.end(),
                                          [](const IOHook* hook) { return hook != nullptr; }));
}

void IOHookList::Add(IOHook* hook) {
    std::lock_guard<MyCriticalSection> lock(*this);
    hook->list_ = this;
    hooks_.push_back(hook);
}

void IOHookList::Remove(IOHook* hook) {
    std::lock_guard<MyCriticalSection> lock(*this);
    for (IOHook*& entry : hooks_) {
        if (entry == hook) {
            entry = nullptr;
        }
    }
    hook->list_ = nullptr;
    if (notifyDepth_ == 0) {
        Compact();
    }
}

void IOHookList::Compact() {
    hooks_.erase(std::remove(hooks_.begin(), hooks_.end(), nullptr), hooks_.end());
}
