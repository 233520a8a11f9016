#include "io/UECP_IO.h"

#include "base/MsClock.h"
#include "base/Stopwatch.h"
#include "io/IOHook.h"
#include "io/IOHookList.h"

#include <algorithm>
#include <mutex>

namespace {
// The base params' default, used while a transport has none.
constexpr uint32_t kDefaultTimeoutMs = 1000;
} // namespace

UECP_IO::UECP_IO(FrameReader* reader)
    : assembler_(std::make_unique<AutoFrameBuffer>(reader)),
      sendQueue_(std::make_unique<RingBufferCS>(kSendQueueSize)) {}

UECP_IO::~UECP_IO() {
    // Run belongs to this class: the thread must end before this part is gone.
    Stop();
}

UECP_IO_Error UECP_IO::Send(const uint8_t* data, int len) {
    if (!open_.load())
        return IDS_ERR_DEVICE_NOT_OPEN;
    if (len == 0)
        return IDS_ERR_OK;
    {
        std::lock_guard<MyCriticalSection> lock(*sendQueue_);
        if (!sendQueue_->Write(data, len))
            return IDS_ERR_SEND_BUFFER_FULL;
    }
    OnSendQueued();
    const uint32_t timeout = SendTimeout();
    Stopwatch watch;
    auto queued = [this] {
        std::lock_guard<MyCriticalSection> lock(*sendQueue_);
        return sendQueue_->Count();
    };
    while (queued() != 0) {
        SleepMs(1);
        if (watch.Elapsed() >= timeout) {
            OnWriteError();
            return IDS_ERR_SEND_TIMEOUT;
        }
    }
    return IDS_ERR_OK;
}

void UECP_IO::ClearSendBuffer() {
    std::lock_guard<MyCriticalSection> lock(*sendQueue_);
    sendQueue_->Reset();
}

void UECP_IO::NotifyOpenResult(int code) {
    if (params_ && params_->openCallback != nullptr && IsRunning())
        params_->openCallback(this, 1, code, params_->callbackContext);
}

UECP_IO_Error UECP_IO::SetParams(const UECP_IO_ConnectionParams& p) {
    if (opening_.load() || open_.load())
        return IDS_ERR_DEVICE_ALREADY_OPEN;
    params_ = p.Clone();
    return IDS_ERR_OK;
}

void UECP_IO::SetFrameReader(FrameReader* reader) {
    assembler_->SetFrameReader(reader);
}

void UECP_IO::ReadAvailable() {
    if (!open_.load() || IsStopping())
        return;
    while (!IsStopping()) {
        const int n = ReadBytes(scratch_, kScratchSize);
        if (n == -1) {
            OnReadError();
            return;
        }
        if (n <= 0)
            return;
        // The hooks see the bytes before the assembler.
        IOHookList::Global().Notify(scratch_, n, IOHook::kReceived);
        assembler_->Feed(scratch_, n);
    }
}

void UECP_IO::FlushSendBuffer() {
    if (!open_.load() || IsStopping())
        return;
    std::lock_guard<MyCriticalSection> lock(*sendQueue_);
    int32_t remaining = sendQueue_->Count();
    while (remaining > 0 && !IsStopping()) {
        const int chunk = std::min<int32_t>(remaining, kScratchSize);
        if (!sendQueue_->Peek(scratch_, chunk))
            return;
        const int n = WriteBytes(scratch_, chunk);
        if (n == -2) {
            OnWriteError();
            return;
        }
        if (n <= 0)
            return;
        const int written = std::min(n, chunk);
        IOHookList::Global().Notify(scratch_, written, IOHook::kSent);
        sendQueue_->Read(nullptr, written);
        remaining -= written;
    }
}

void UECP_IO::Run() {
    // Raising this thread to time-critical priority would need privileges on POSIX; the 1 ms
    // polling works without it.
    try {
        while (!IsStopping()) {
            FlushSendBuffer();
            ReadAvailable();
            SleepMs(1);
        }
    } catch (...) {
        // A failing pass ends the loop; the thread then waits for Stop.
    }
}

uint32_t UECP_IO::SendTimeout() const {
    return params_ ? params_->sendTimeout : kDefaultTimeoutMs;
}

uint32_t UECP_IO::ReadTimeout() const {
    return params_ ? params_->readTimeout : kDefaultTimeoutMs;
}
