#pragma once

#include <mutex>

// Re-entrant lock: the owning thread may take it again. Also usable with std::lock_guard and
// std::unique_lock.
class MyCriticalSection {
public:
    MyCriticalSection() = default;
    MyCriticalSection(const MyCriticalSection&) = delete;
    MyCriticalSection& operator=(const MyCriticalSection&) = delete;
    virtual ~MyCriticalSection() = default;

    void Lock() { mutex_.lock(); }
    void Unlock() { mutex_.unlock(); }

    void lock() { mutex_.lock(); }
    void unlock() { mutex_.unlock(); }
    bool try_lock() { return mutex_.try_lock(); }

private:
    std::recursive_mutex mutex_;
};
