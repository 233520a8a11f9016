#pragma once

#include "base/AutoFrameBuffer.h"
#include "base/FrameDataListCS.h"
#include "base/FrameReader.h"
#include "io/FrameLogWaker.h"
#include "io/IOHook.h"

#include <cstdint>
#include <memory>

// A hook that reassembles the observed traffic into frames, one assembler per direction, and
// hands each complete frame to OnFrameLogged on the thread that owns the log.
//
// Frames wait in one locked queue per direction; for each queued frame the waker is woken once,
// and each wake delivers the oldest frame of its direction, so frames of one direction arrive
// in order. The log, and with it the waker, must be created and destroyed on the owning thread.
class IOFrameLog : public IOHook, public FrameReader {
public:
    // waker delivers to the owning thread; the log owns it. Without a waker frames are only
    // queued, and the owner takes them with DeliverNext.
    explicit IOFrameLog(std::unique_ptr<FrameLogWaker> waker = nullptr);
    ~IOFrameLog() override;

    // Discards partial frames and queued frames, then attaches to the global hook list.
    // Nothing happens when already started.
    void Start();
    // Detaches from the hook list. Frames already queued are still delivered.
    void Stop();
    bool IsStarted() const { return started_; }

    void OnData(const uint8_t* data, int len, int direction) override;
    void FrameReceived(const uint8_t* bytes, int length, const AutoFrameBuffer* source) override;

    // Owning thread: takes the oldest queued frame of direction and passes it to OnFrameLogged.
    // Returns false when that queue was empty.
    bool DeliverNext(int direction);

    // Frames waiting in the queue of direction.
    int Queued(int direction);

protected:
    // Owning thread, once per complete frame: the frame exactly as on the wire (still stuffed,
    // 0xFE to 0xFF inclusive). The bytes are freed when the call returns.
    virtual void OnFrameLogged(const uint8_t* frame, int len, int direction) = 0;

private:
    FrameDataListCS& QueueOf(int direction);

    bool started_ = false;
    std::unique_ptr<FrameLogWaker> waker_;
    FrameDataListCS received_;
    FrameDataListCS sent_;
    AutoFrameBuffer receivedAssembler_;
    AutoFrameBuffer sentAssembler_;
};
