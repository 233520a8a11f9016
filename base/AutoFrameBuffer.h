#pragma once

#include "base/FrameLimits.h"

#include <cstdint>
#include <mutex>

class FrameReader;

// Cuts frames out of one received byte stream and hands each to its reader.
//
// Feed runs on one thread (the IO thread); SetFrameReader may be called from any other. The
// swap waits for a delivery in progress to finish, so once SetFrameReader has returned the old
// reader receives nothing more and may be destroyed. A reader may rebind the assembler from
// inside its own callback. SetFrameReader must not be called while holding a lock that the
// reader's callbacks take.
class AutoFrameBuffer {
public:
    static constexpr uint32_t kCapacity = kUecpStuffedMax;

    explicit AutoFrameBuffer(FrameReader* reader = nullptr);
    AutoFrameBuffer(const AutoFrameBuffer&) = delete;
    AutoFrameBuffer& operator=(const AutoFrameBuffer&) = delete;
    virtual ~AutoFrameBuffer() = default;

    // Runs the assembly over count bytes. Bytes outside a frame are ignored; 0xFE starts a
    // frame (dropping one in progress); 0xFF ends and delivers it; a frame that reaches
    // kCapacity bytes without 0xFF is dropped.
    void Feed(const uint8_t* bytes, int count);

    // Discards a partial frame and returns to idle.
    void Reset();

    // Rebinds the assembler; a partial frame survives. Null unbinds it.
    void SetFrameReader(FrameReader* reader);
    FrameReader* GetFrameReader() const;

    // Bytes held of the frame in progress (0 while idle).
    uint32_t Count() const;
    bool InFrame() const;

protected:
    // Hands the complete frame to the reader; nothing without a reader.
    virtual void Deliver();

private:
    void Drop();

    // Guards the state and the reader, and is held across every call into the reader.
    mutable std::recursive_mutex mutex_;
    uint8_t buffer_[kCapacity] = {};
    uint32_t count_ = 0;
    bool inFrame_ = false;
    FrameReader* reader_ = nullptr;
};
