#pragma once

#include "io/IOHook.h"
#include "io/IOHookList.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

// A hook on the global list that records all traffic, per direction, and the chunk sizes.
class TrafficRecorder : public IOHook {
public:
    TrafficRecorder() { Attach(IOHookList::Global()); }
    ~TrafficRecorder() override { Detach(); }

    void OnData(const uint8_t* data, int len, int direction) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Direction& d = direction == kSent ? sent_ : received_;
        d.bytes.insert(d.bytes.end(), data, data + len);
        d.chunks.push_back(static_cast<std::size_t>(len));
        order_.push_back(direction);
    }

    std::vector<uint8_t> Sent() const { return Get(&Direction::bytes, sent_); }
    std::vector<uint8_t> Received() const { return Get(&Direction::bytes, received_); }
    std::vector<std::size_t> ReceivedChunks() const { return Get(&Direction::chunks, received_); }
    std::size_t ReceivedCount() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return received_.bytes.size();
    }
    // The direction of every chunk, in the order the hook saw them.
    std::vector<int> Order() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return order_;
    }

private:
    struct Direction {
        std::vector<uint8_t> bytes;
        std::vector<std::size_t> chunks;
    };
    template <typename T> T Get(T Direction::*field, const Direction& d) const {
        std::lock_guard<std::mutex> lock(mutex_);
        return d.*field;
    }

    mutable std::mutex mutex_;
    Direction sent_;
    Direction received_;
    std::vector<int> order_;
};
