#pragma once

#include "base/ByteBuffer.h"

#include <cstdint>
#include <memory>

// A fixed-capacity byte queue. No operation blocks, none writes or reads partially: a request
// that does not fit is refused as a whole. Not thread-safe by itself (see RingBufferCS).
class RingBuffer {
public:
    explicit RingBuffer(int32_t capacity = 0);
    RingBuffer(const RingBuffer&) = delete;
    RingBuffer& operator=(const RingBuffer&) = delete;
    virtual ~RingBuffer() = default;

    // Appends len bytes; false (and nothing written) when data is null, len < 0 or the free
    // room is smaller than len.
    bool Write(const uint8_t* data, int32_t len);
    // Copies the oldest len bytes without consuming them; false when out is null, len < 0 or
    // fewer than len bytes are held.
    bool Peek(uint8_t* out, int32_t len) const;
    // Like Peek, then consumes the bytes. With out null the bytes are only discarded.
    bool Read(uint8_t* out, int32_t len);
    // Empties the buffer.
    void Reset();
    // Empties the buffer and replaces the storage with max(n, 0) bytes; returns the capacity.
    int32_t SetCapacity(int32_t n);

    int32_t Capacity() const { return capacity_; }
    int32_t Count() const { return count_; }
    int32_t Free() const { return capacity_ - count_; }

private:
    int32_t writePos_ = 0;
    int32_t readPos_ = 0;
    int32_t capacity_ = 0;
    int32_t count_ = 0;
    std::unique_ptr<ByteBuffer> storage_;
};
