#pragma once

#include "base/AutoFrameBuffer.h"
#include "base/ByteBuffer.h"
#include "base/UECP_IO_ConnectionParams.h"
#include "base/UECP_IO_Error.h"
#include "io/IOThread.h"
#include "io/RingBufferCS.h"

#include <atomic>
#include <cstdint>
#include <memory>

class FrameReader;

// A byte transport under the UECP protocol layer. It owns its connection parameters, the frame
// assembler that turns received bytes into frames for its FrameReader, and a send queue.
//
// Threads: the caller's thread opens, sends and closes; the transport's IO thread (Run) reads,
// shows every received byte to the global IOHookList and feeds the assembler, which calls the
// FrameReader on that thread.
//
// The base class offers a queued send path: Send puts the bytes into the queue and waits until
// the IO thread (FlushSendBuffer in the default Run) has written them with WriteBytes. A
// transport that writes directly replaces Send and Run.
class UECP_IO : public IOThread {
public:
    static constexpr int32_t kSendQueueSize = 8192;
    static constexpr int kScratchSize = 256;

    // reader receives the assembled frames; it may be null and set later.
    explicit UECP_IO(FrameReader* reader);
    ~UECP_IO() override;

    // Ends the link. The thread is stopped first.
    virtual void Close(bool abort) = 0;

    // Queued send: 3 when not open, 6 when the queue cannot take len bytes, 5 when the IO thread
    // has not written them within the send time-out, else 0.
    virtual UECP_IO_Error Send(const uint8_t* data, int len);
    UECP_IO_Error SendBuffer(const ByteBuffer& b) { return Send(b.data(), b.size()); }
    // Empties the send queue.
    virtual void ClearSendBuffer();

    // Raw write for the queued path: bytes written, 0 for none now, -2 for a failed link.
    virtual int WriteBytes(const uint8_t* data, int len) = 0;
    // Non-blocking raw read: bytes read, 0 for none now, -1 for a failed link.
    virtual int ReadBytes(uint8_t* buf, int size) = 0;

    // Calls the params' open callback (event 1, code) when one is set and the IO thread exists.
    virtual void NotifyOpenResult(int code);

    // Adopts a copy of p; 4 while the transport is open or opening (the old params stay).
    UECP_IO_Error SetParams(const UECP_IO_ConnectionParams& p);
    // The adopted params, or null before the first SetParams.
    const UECP_IO_ConnectionParams* Params() const { return params_.get(); }

    // Later frames go to reader; a partial frame in the assembler survives the change.
    void SetFrameReader(FrameReader* reader);

    bool IsOpen() const { return open_.load(); }
    bool IsOpening() const { return opening_.load(); }

    // IO-thread steps. ReadAvailable moves received bytes, 256 at a time, to the hooks and then
    // to the assembler. FlushSendBuffer writes the queue out with WriteBytes.
    void ReadAvailable();
    void FlushSendBuffer();

protected:
    // Hooks with empty defaults.
    virtual void OnSendQueued() {}
    virtual void OnReadError() {}
    virtual void OnWriteError() {}

    // The queued path's IO loop: flush, read, sleep 1 ms, until stopped.
    void Run() override;

    // The send time-out of the params (the base default before any params are set).
    uint32_t SendTimeout() const;
    uint32_t ReadTimeout() const;

    AutoFrameBuffer& Assembler() { return *assembler_; }

    // Written by the thread that opens (the IO thread during an asynchronous open), read by
    // both.
    std::atomic<bool> open_{false};
    std::atomic<bool> opening_{false};

private:
    std::unique_ptr<UECP_IO_ConnectionParams> params_;
    std::unique_ptr<AutoFrameBuffer> assembler_;
    std::unique_ptr<RingBufferCS> sendQueue_;
    uint8_t scratch_[kScratchSize] = {}; // IO thread only
};
