#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>

// An ordered list of owned objects, oldest first. The pointer array grows and shrinks in blocks
// of Grow entries: for n entries it has room for Grow * (n / Grow + 1), always more than n.
// Not thread-safe by itself.
template <typename T, int Grow> class ObjectList {
    static_assert(Grow > 0);

public:
    ObjectList() { ApplySizeRule(0); }
    ObjectList(const ObjectList&) = delete;
    ObjectList& operator=(const ObjectList&) = delete;
    virtual ~ObjectList() { ObjectList::Clear(); }

    // Deletes every entry and shrinks the array to one block.
    virtual void Clear() {
        for (int32_t i = 0; i < count_; ++i) {
            delete entries_[i];
            entries_[i] = nullptr;
        }
        count_ = 0;
        ApplySizeRule(0);
    }

    int32_t Count() const { return count_; }
    // Room of the pointer array, in entries.
    int32_t Capacity() const { return capacity_; }
    // Entry i (0 is the oldest), or null when i is out of range. The list keeps ownership.
    T* At(int32_t i) const { return (i >= 0 && i < count_) ? entries_[i] : nullptr; }

    // Appends an object, taking ownership. A null object is not added.
    void Append(std::unique_ptr<T> object) {
        if (!object) {
            return;
        }
        ApplySizeRule(count_ + 1);
        entries_[count_++] = object.release();
    }

    // Removes the oldest entry and hands it to the caller; null when the list is empty.
    std::unique_ptr<T> TakeFirst() {
        if (count_ == 0) {
            return nullptr;
        }
        std::unique_ptr<T> first(entries_[0]);
        std::memmove(entries_.get(), entries_.get() + 1,
                     static_cast<size_t>(count_ - 1) * sizeof(T*));
        entries_[--count_] = nullptr;
        ApplySizeRule(count_);
        return first;
    }

    // Deletes the oldest entry, if any.
    void RemoveFirst() { TakeFirst(); }

private:
    static int32_t RoomFor(int32_t n) { return Grow * (n / Grow + 1); }

    void ApplySizeRule(int32_t n) {
        const int32_t room = RoomFor(n);
        if (room == capacity_) {
            return;
        }
        std::unique_ptr<T*[]> next(new T*[static_cast<size_t>(room)]());
        if (count_ > 0) {
            std::memcpy(next.get(), entries_.get(), static_cast<size_t>(count_) * sizeof(T*));
        }
        entries_ = std::move(next);
        capacity_ = room;
    }

    std::unique_ptr<T*[]> entries_;
    int32_t count_ = 0;
    int32_t capacity_ = 0;
};
