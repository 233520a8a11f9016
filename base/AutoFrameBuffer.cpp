#include "base/AutoFrameBuffer.h"

#include "base/FrameReader.h"

AutoFrameBuffer::AutoFrameBuffer(FrameReader* reader) : reader_(reader) {}

void AutoFrameBuffer::Feed(const uint8_t* bytes, int count) {
    if (bytes == nullptr || count <= 0) {
        return;
    }
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    for (int i = 0; i < count; ++i) {
        const uint8_t byte = bytes[i];
        if (!inFrame_ && byte != kFrameStart) {
            continue;
        }
        if (byte == kFrameStart) {
            if (inFrame_) {
                Drop();
            }
            count_ = 0;
            inFrame_ = true;
        }
        buffer_[count_++] = byte;
        if (byte == kFrameStop) {
            Deliver();
            inFrame_ = false;
            count_ = 0;
        } else if (count_ >= kCapacity) {
            Drop();
            inFrame_ = false;
            count_ = 0;
        }
    }
}

void AutoFrameBuffer::Reset() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    count_ = 0;
    inFrame_ = false;
}

void AutoFrameBuffer::SetFrameReader(FrameReader* reader) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    reader_ = reader;
}

FrameReader* AutoFrameBuffer::GetFrameReader() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return reader_;
}

uint32_t AutoFrameBuffer::Count() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return count_;
}

bool AutoFrameBuffer::InFrame() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return inFrame_;
}

void AutoFrameBuffer::Deliver() {
    if (reader_ != nullptr) {
        reader_->FrameReceived(buffer_, static_cast<int>(count_), this);
    }
}

void AutoFrameBuffer::Drop() {
    if (reader_ != nullptr) {
        reader_->FrameDropped();
    }
}
