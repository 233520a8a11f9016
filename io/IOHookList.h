#pragma once

#include "base/MyCriticalSection.h"

#include <cstdint>
#include <vector>

class IOHook;

// The hooks that see all traffic, in attach order. The hooks run under the list's lock, so a
// hook that is detached (or destroyed) on another thread is never called afterwards.
class IOHookList : public MyCriticalSection {
public:
    IOHookList() = default;
    // Clears every hook's link to this list before emptying it.
    ~IOHookList() override;

    // The one list that every transport notifies.
    static IOHookList& Global();

    // Calls every hook's OnData in attach order. Null data or len <= 0 notify nobody.
    void Notify(const uint8_t* data, int len, int direction);

    // Number of attached hooks.
    int Count();

private:
    friend class IOHook;
    void Add(IOHook* hook);
    void Remove(IOHook* hook);
    void Compact();

    std::vector<IOHook*> hooks_;
    int notifyDepth_ = 0; // a hook may detach itself during Notify
};
