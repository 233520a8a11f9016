#pragma once

#include "base/TCP_ConnectionParams.h"
#include "io/SocketApi.h"
#include "io/UECP_IO.h"

#include <atomic>
#include <cstdint>

// The UECP transport over one IPv4 TCP connection; the device is the server.
//
// Open connects without blocking for longer than connectTimeout (or, with asyncOpen, leaves the
// connect to the IO thread and reports through the open callback). Send writes directly on the
// caller's thread, bounded by sendTimeout, and shows exactly the accepted bytes to the hooks.
// The IO thread sleeps until data arrives, the peer closes or a stop is requested. Close(false)
// ends the sending direction and drains the connection for at most readTimeout; Close(true)
// ends it at once.
//
// When the peer closes, the IO thread ends and IsOpen() stays true: later sends fail with 5
// after sendTimeout, and the protocol layer's waits time out.
class TCP_UECP_IO_2 : public UECP_IO {
public:
    explicit TCP_UECP_IO_2(FrameReader* reader);
    ~TCP_UECP_IO_2() override;

    // 4 when already open or opening, 8 when the link cannot be established, else 0.
    UECP_IO_Error Open(const TCP_ConnectionParams& p);

    // Resets the stop wake-up, then starts the IO thread.
    bool Start() override;
    void Close(bool abort) override;
    // 0 at once for len <= 0; 3 without a socket; 5 (after OnWriteError) when not every byte
    // went out within sendTimeout.
    UECP_IO_Error Send(const uint8_t* data, int len) override;
    // Not used: this transport writes directly. Always 0.
    int WriteBytes(const uint8_t* data, int len) override;
    int ReadBytes(uint8_t* buf, int size) override;

    // The address the transport connects (or connected) to, in network byte order, after the
    // host name was resolved; the host text and port copied at open.
    uint32_t Address() const { return address_; }
    uint16_t Port() const { return port_; }
    const char* Host() const { return host_; }

protected:
    // Hook, called on the IO thread when the peer has ended the connection.
    virtual void OnPeerClosed() {}

    void Run() override;
    void OnStopRequested() override;

    UECP_IO_Error Connect();
    void CloseSocket(bool abort);

private:
    // Waits, after an attempt that moved nothing, until another attempt makes sense.
    void WaitBeforeRetry(SocketApi::Handle s, int attempt, uint32_t elapsed, uint32_t timeout);

    std::atomic<SocketApi::Handle> socket_{SocketApi::kInvalid};
    SocketApi::Wakeup wakeup_; // signalled by a stop request
    char host_[TCP_ConnectionParams::kHostSize] = {};
    uint32_t address_ = 0;
    uint16_t port_ = 0;
    bool peerClosed_ = false; // IO thread only
    bool readFailed_ = false; // IO thread only
};
