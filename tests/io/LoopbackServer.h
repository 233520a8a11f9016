#pragma once

#include "io/SocketApi.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

// A TCP server on 127.0.0.1 and an ephemeral port for transport tests. It serves one client at
// a time on its own thread and records what it receives.
class LoopbackServer {
public:
    enum class Mode {
        Hold, // read and record, never close (not even when the client closes)
        Echo, // send back what arrives, close when the client closes
        Reset // read and record until resetAfter bytes arrived, then reset the connection
    };

    explicit LoopbackServer(Mode mode, std::size_t resetAfter = 0);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    std::uint16_t Port() const { return port_; }

    // Bytes to send to the client (written by the server thread, in order).
    void SendToClient(const std::vector<std::uint8_t>& bytes);
    // Orderly close of the client connection.
    void CloseClient();

    bool WaitAccepted(int timeoutMs);
    bool WaitReceived(std::size_t count, int timeoutMs);
    // Waits until the connection has ended (reset by us, or closed by either side).
    bool WaitClientGone(int timeoutMs);
    std::vector<std::uint8_t> Received() const;

    // A port on 127.0.0.1 that nothing listens on.
    static std::uint16_t UnusedPort();

private:
    void Loop();
    bool AcceptClient();
    void WriteToClient(const std::vector<std::uint8_t>& out);
    void DropClient(bool reset);

    const Mode mode_;
    const std::size_t resetAfter_;
    SocketApi::Handle listener_ = SocketApi::kInvalid;
    std::uint16_t port_ = 0;
    SocketApi::Wakeup wakeup_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool quit_ = false;
    bool accepted_ = false;
    bool gone_ = false;
    bool closeRequested_ = false;
    std::vector<std::uint8_t> received_;
    std::vector<std::uint8_t> outgoing_;

    SocketApi::Handle client_ = SocketApi::kInvalid; // server thread only
    std::thread thread_;
};
