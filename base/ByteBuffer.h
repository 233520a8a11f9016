#pragma once

#include <cstdint>
#include <memory>

// An owned, zero-initialised byte array. data() is null exactly when size() is 0.
class ByteBuffer {
public:
    // Allocates size zero-filled bytes (a negative size counts as 0) and, when source is given,
    // copies size bytes from it.
    explicit ByteBuffer(int32_t size = 0, const uint8_t* source = nullptr);
    ByteBuffer(const ByteBuffer& other);
    ByteBuffer& operator=(const ByteBuffer& other);
    ByteBuffer(ByteBuffer&& other) noexcept;
    ByteBuffer& operator=(ByteBuffer&& other) noexcept;
    virtual ~ByteBuffer() = default;

    int32_t size() const { return size_; }
    const uint8_t* data() const { return data_.get(); }
    uint8_t* data() { return data_.get(); }

    // n < 0 counts as 0; n == size() changes nothing; 0 frees the array; otherwise a new
    // zero-filled array of n bytes keeps the first min(size(), n) old bytes.
    void Resize(int32_t n);

    // Grows the array to n bytes when it is smaller (never shrinks it) and copies n bytes from
    // bytes to its start. Nothing happens when n <= 0 or bytes is null. bytes may point into
    // this buffer (n then cannot exceed size()).
    void Assign(const uint8_t* bytes, int32_t n);

private:
    int32_t size_ = 0;
    std::unique_ptr<uint8_t[]> data_;
};
