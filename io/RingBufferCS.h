#pragma once

#include "base/MyCriticalSection.h"
#include "io/RingBuffer.h"

// A RingBuffer with its own lock. The methods do not lock by themselves: every user holds the
// lock around each call (std::lock_guard<MyCriticalSection> guard(queue)).
class RingBufferCS : public RingBuffer, public MyCriticalSection {
public:
    using RingBuffer::RingBuffer;
};
