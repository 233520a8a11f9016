#include "base/ByteBuffer.h"

#include <algorithm>
#include <cstring>
#include <utility>

ByteBuffer::ByteBuffer(int32_t size, const uint8_t* source) {
    Resize(size);
    if (source != nullptr && size_ > 0) {
        std::memcpy(data_.get(), source, static_cast<size_t>(size_));
    }
}

ByteBuffer::ByteBuffer(const ByteBuffer& other) : ByteBuffer(other.size_, other.data_.get()) {}

ByteBuffer& ByteBuffer::operator=(const ByteBuffer& other) {
    if (this != &other) {
        ByteBuffer copy(other);
        *this = std::move(copy);
    }
    return *this;
}

ByteBuffer::ByteBuffer(ByteBuffer&& other) noexcept
    : size_(std::exchange(other.size_, 0)), data_(std::move(other.data_)) {}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
    if (this != &other) {
        size_ = std::exchange(other.size_, 0);
        data_ = std::move(other.data_);
    }
    return *this;
}

void ByteBuffer::Resize(int32_t n) {
    n = std::max<int32_t>(n, 0);
    if (n == size_) {
        return;
    }
    if (n == 0) {
        data_.reset();
        size_ = 0;
        return;
    }
    std::unique_ptr<uint8_t[]> grown(new uint8_t[static_cast<size_t>(n)]());
    if (size_ > 0) {
        std::memcpy(grown.get(), data_.get(), static_cast<size_t>(std::min(size_, n)));
    }
    data_ = std::move(grown);
    size_ = n;
}

void ByteBuffer::Assign(const uint8_t* bytes, int32_t n) {
    if (bytes == nullptr || n <= 0) {
        return;
    }
    if (n > size_) {
        // Every old byte is overwritten, so copy from the source before the old array goes.
        std::unique_ptr<uint8_t[]> grown(new uint8_t[static_cast<size_t>(n)]());
        std::memcpy(grown.get(), bytes, static_cast<size_t>(n));
        data_ = std::move(grown);
        size_ = n;
        return;
    }
    std::memmove(data_.get(), bytes, static_cast<size_t>(n));
}
