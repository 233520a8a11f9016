#include "io/TCP_UECP_IO_2.h"

#include "base/MsClock.h"
#include "base/Stopwatch.h"
#include "io/IOHook.h"
#include "io/IOHookList.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr uint32_t kNoAddress = 0xFFFFFFFFu;
constexpr int kDrainChunk = 1024;
constexpr uint32_t kDrainPauseMs = 10;
} // namespace

TCP_UECP_IO_2::TCP_UECP_IO_2(FrameReader* reader) : UECP_IO(reader) {}

TCP_UECP_IO_2::~TCP_UECP_IO_2() {
    Stop();
    CloseSocket(true);
    open_.store(false);
}

UECP_IO_Error TCP_UECP_IO_2::Open(const TCP_ConnectionParams& p) {
    const UECP_IO_Error adopted = SetParams(p);
    if (adopted != IDS_ERR_OK)
        return adopted;
    opening_.store(true);
    port_ = p.port;
    address_ = p.address;
    std::memcpy(host_, p.host, sizeof host_);
    host_[sizeof host_ - 1] = '\0';
    ClearSendBuffer();

    if (address_ == 0 || address_ == kNoAddress) {
        // By name first; a text the resolver does not know may still be a dotted address.
        if (!SocketApi::ResolveIPv4(host_, address_))
            address_ = SocketApi::ParseDottedIPv4(host_);
    }

    if (!p.asyncOpen) {
        const UECP_IO_Error result = Connect();
        if (result != IDS_ERR_OK)
            return result;
        Start();
        return IDS_ERR_OK;
    }
    if (!Start()) {
        // Without the thread nobody would ever report the open.
        opening_.store(false);
        return IDS_ERR_CONNECT;
    }
    return IDS_ERR_OK;
}

bool TCP_UECP_IO_2::Start() {
    if (!IsRunning())
        wakeup_.Reset();
    return UECP_IO::Start();
}

void TCP_UECP_IO_2::OnStopRequested() {
    wakeup_.Signal();
}

UECP_IO_Error TCP_UECP_IO_2::Connect() {
    if (socket_.load() != SocketApi::kInvalid)
        return IDS_ERR_DEVICE_ALREADY_OPEN;
    const UECP_IO_ConnectionParams* params = Params();
    const bool async = params != nullptr && params->asyncOpen;
    const uint32_t timeout = params != nullptr ? params->connectTimeout : 0;

    UECP_IO_Error result = IDS_ERR_CONNECT;
    const SocketApi::Handle s = SocketApi::OpenStream();
    if (s != SocketApi::kInvalid) {
        switch (SocketApi::StartConnect(s, address_, port_)) {
        case SocketApi::Result::Ready:
            result = IDS_ERR_OK;
            break;
        case SocketApi::Result::Pending: {
            // Only an asynchronous open on the IO thread can be ended by a stop request.
            SocketApi::Wakeup* wake = async && IsRunning() ? &wakeup_ : nullptr;
            const SocketApi::Result waited = SocketApi::WaitConnected(s, wake, timeout);
            if (waited == SocketApi::Result::Ready)
                result = IDS_ERR_OK;
            else if (waited == SocketApi::Result::Woken)
                result = IDS_ERR_CANCELLED_BY_USER;
            break;
        }
        default:
            break;
        }
    }

    if (result == IDS_ERR_OK) {
        socket_.store(s);
        open_.store(true);
    } else if (s != SocketApi::kInvalid) {
        SocketApi::ShutdownBoth(s);
        SocketApi::Close(s);
    }
    opening_.store(false);
    if (async && !IsStopping())
        NotifyOpenResult(result);
    return result;
}

UECP_IO_Error TCP_UECP_IO_2::Send(const uint8_t* data, int len) {
    if (len <= 0)
        return IDS_ERR_OK;
    if (data == nullptr)
        return IDS_ERR_INVALID_PARAMETER;
    const SocketApi::Handle s = socket_.load();
    if (s == SocketApi::kInvalid)
        return IDS_ERR_DEVICE_NOT_OPEN;

    const uint32_t timeout = SendTimeout();
    Stopwatch watch;
    for (;;) {
        const int n = SocketApi::Send(s, data, len);
        if (n > 0) {
            IOHookList::Global().Notify(data, n, IOHook::kSent);
            data += n;
            len -= n;
            if (len == 0)
                return IDS_ERR_OK;
        }
        const uint32_t elapsed = watch.Elapsed();
        if (elapsed >= timeout) {
            OnWriteError();
            return IDS_ERR_SEND_TIMEOUT;
        }
        if (n <= 0)
            WaitBeforeRetry(s, n, elapsed, timeout);
    }
}

void TCP_UECP_IO_2::WaitBeforeRetry(SocketApi::Handle s, int attempt, uint32_t elapsed,
                                    uint32_t timeout) {
    // A full send buffer: sleep until it has room (or the time is up). A broken link: pause
    // 1 ms, so that a dead socket does not keep a core busy until the time-out.
    if (attempt == SocketApi::kWouldBlock &&
        SocketApi::WaitWritable(s, static_cast<int>(std::min<uint32_t>(
                                       timeout - elapsed, 0x7FFFFFFF))) == SocketApi::Result::Ready)
        return;
    SleepMs(1);
}

int TCP_UECP_IO_2::WriteBytes(const uint8_t*, int) {
    return 0;
}

int TCP_UECP_IO_2::ReadBytes(uint8_t* buf, int size) {
    const int n = SocketApi::Recv(socket_.load(), buf, size);
    if (n == SocketApi::kWouldBlock)
        return 0;
    if (n < 0) {
        readFailed_ = true;
        return -1;
    }
    if (n == 0)
        peerClosed_ = true;
    SleepMs(1);
    return n;
}

void TCP_UECP_IO_2::Run() {
    const UECP_IO_ConnectionParams* params = Params();
    if (params != nullptr && params->asyncOpen && !open_.load())
        Connect();
    peerClosed_ = false;
    readFailed_ = false;
    const SocketApi::Handle s = socket_.load();
    // Without a working wake-up (the system refused one) a stop is noticed by looking often.
    const int waitMs = wakeup_.IsValid() ? -1 : 20;
    if (open_.load()) {
        while (!IsStopping()) {
            const SocketApi::Result r = SocketApi::WaitReadable(s, &wakeup_, waitMs);
            if (r == SocketApi::Result::Woken)
                break;
            if (r == SocketApi::Result::Ready) {
                if (!IsStopping())
                    ReadAvailable();
                // Data that came with the end of the stream has been delivered above.
                if (peerClosed_ || readFailed_) {
                    OnPeerClosed();
                    break;
                }
            } else {
                SleepMs(1);
            }
            if (!open_.load())
                break;
        }
    }
    // The loop has ended on its own or by request: let the thread exit now.
    SignalStopEvent();
}

void TCP_UECP_IO_2::Close(bool abort) {
    Stop();
    CloseSocket(abort);
    open_.store(false);
}

void TCP_UECP_IO_2::CloseSocket(bool abort) {
    const SocketApi::Handle s = socket_.exchange(SocketApi::kInvalid);
    if (s == SocketApi::kInvalid)
        return;
    if (abort) {
        SocketApi::ShutdownBoth(s);
    } else {
        // Tell the peer that we are done, then take what it still sends (unseen by the hooks)
        // until it closes too or readTimeout has passed.
        SocketApi::ShutdownSend(s);
        const uint32_t timeout = ReadTimeout();
        uint8_t discard[kDrainChunk];
        Stopwatch watch;
        do {
            const int n = SocketApi::Recv(s, discard, kDrainChunk);
            if (n == 0 || n == SocketApi::kFailed)
                break;
            SleepMs(kDrainPauseMs);
        } while (watch.Elapsed() < timeout);
    }
    SocketApi::Close(s);
}
