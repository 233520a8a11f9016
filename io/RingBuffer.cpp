#include "io/RingBuffer.h"

#include <algorithm>
#include <cstring>

RingBuffer::RingBuffer(int32_t capacity) {
    SetCapacity(capacity);
}

bool RingBuffer::Write(const uint8_t* data, int32_t len) {
    if (data == nullptr || len < 0 || len > capacity_ - count_) {
        return false;
    }
    if (len == 0) {
        return true;
    }
    uint8_t* store = storage_->data();
    const int32_t first = std::min(len, capacity_ - writePos_);
    std::memcpy(store + writePos_, data, static_cast<size_t>(first));
    std::memcpy(store, data + first, static_cast<size_t>(len - first));
    writePos_ = (writePos_ + len) % capacity_;
    count_ += len;
    return true;
}

bool RingBuffer::Peek(uint8_t* out, int32_t len) const {
    if (out == nullptr || len < 0 || len > count_) {
        return false;
    }
    if (len == 0) {
        return true;
    }
    const uint8_t* store = storage_->data();
    const int32_t first = std::min(len, capacity_ - readPos_);
    std::memcpy(out, store + readPos_, static_cast<size_t>(first));
    std::memcpy(out + first, store, static_cast<size_t>(len - first));
    return true;
}

bool RingBuffer::Read(uint8_t* out, int32_t len) {
    if (len < 0 || len > count_) {
        return false;
    }
    if (out != nullptr && !Peek(out, len)) {
        return false;
    }
    if (len == 0) {
        return true;
    }
    readPos_ = (readPos_ + len) % capacity_;
    count_ -= len;
    return true;
}

void RingBuffer::Reset() {
    writePos_ = 0;
    readPos_ = 0;
    count_ = 0;
}

int32_t RingBuffer::SetCapacity(int32_t n) {
    Reset();
    storage_.reset();
    capacity_ = std::max<int32_t>(n, 0);
    if (capacity_ > 0) {
        storage_ = std::make_unique<ByteBuffer>(capacity_);
    }
    return capacity_;
}
