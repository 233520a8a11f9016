#pragma once

#include "TrafficRecorder.h"
#include "base/FrameReader.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

// A FrameReader that keeps every frame it is given. With a recorder it also notes how many
// received bytes the hooks had seen when each frame arrived.
class FrameCollector : public FrameReader {
public:
    explicit FrameCollector(const TrafficRecorder* recorder = nullptr) : recorder_(recorder) {}

    void FrameReceived(const uint8_t* bytes, int length, const AutoFrameBuffer*) override {
        const std::size_t seen = recorder_ != nullptr ? recorder_->ReceivedCount() : 0;
        std::lock_guard<std::mutex> lock(mutex_);
        frames_.emplace_back(bytes, bytes + length);
        hookBytesAtFrame_.push_back(seen);
    }

    std::size_t Count() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return frames_.size();
    }
    std::vector<std::vector<uint8_t>> Frames() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return frames_;
    }
    std::vector<std::size_t> HookBytesAtFrame() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return hookBytesAtFrame_;
    }

private:
    const TrafficRecorder* recorder_;
    mutable std::mutex mutex_;
    std::vector<std::vector<uint8_t>> frames_;
    std::vector<std::size_t> hookBytesAtFrame_;
};
