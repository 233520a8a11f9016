#pragma once

#include <cstdint>

class IOHookList;

// Observer of the bytes that transports send and receive.
class IOHook {
public:
    static constexpr int kReceived = 0; // from the device
    static constexpr int kSent = 1;     // to the device

    IOHook() = default;
    IOHook(const IOHook&) = delete;
    IOHook& operator=(const IOHook&) = delete;
    // Detaches the hook.
    virtual ~IOHook();

    // Called with every chunk of traffic, under the list's lock, on the thread that moved it.
    virtual void OnData(const uint8_t* data, int len, int direction) = 0;

    // Detaches from any current list, then appends this hook to list.
    void Attach(IOHookList& list);
    // Removes this hook from its list, if attached.
    void Detach();

    IOHookList* AttachedList() const { return list_; }

private:
    friend class IOHookList;
    IOHookList* list_ = nullptr;
};
