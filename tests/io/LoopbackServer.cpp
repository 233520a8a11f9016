#include "LoopbackServer.h"

#include <chrono>

LoopbackServer::LoopbackServer(Mode mode, std::size_t resetAfter)
    : mode_(mode), resetAfter_(resetAfter) {
    listener_ = SocketApi::Listen(SocketApi::LoopbackAddress(), 0, 4);
    if (listener_ != SocketApi::kInvalid)
        port_ = SocketApi::LocalPort(listener_);
    thread_ = std::thread([this] { Loop(); });
}

LoopbackServer::~LoopbackServer() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
        changed_.notify_all();
    }
    wakeup_.Signal();
    thread_.join();
    SocketApi::Close(client_);
    SocketApi::Close(listener_);
}

void LoopbackServer::SendToClient(const std::vector<std::uint8_t>& bytes) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        outgoing_.insert(outgoing_.end(), bytes.begin(), bytes.end());
        changed_.notify_all();
    }
    wakeup_.Signal();
}

void LoopbackServer::CloseClient() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closeRequested_ = true;
        changed_.notify_all();
    }
    wakeup_.Signal();
}

bool LoopbackServer::WaitAccepted(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [this] { return accepted_; });
}

bool LoopbackServer::WaitReceived(std::size_t count, int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return received_.size() >= count; });
}

bool LoopbackServer::WaitClientGone(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return gone_; });
}

std::vector<std::uint8_t> LoopbackServer::Received() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
}

std::uint16_t LoopbackServer::UnusedPort() {
    const SocketApi::Handle s = SocketApi::Listen(SocketApi::LoopbackAddress(), 0, 1);
    const std::uint16_t port = SocketApi::LocalPort(s);
    SocketApi::Close(s);
    return port;
}

void LoopbackServer::DropClient(bool reset) {
    if (reset)
        SocketApi::CloseWithReset(client_);
    else
        SocketApi::Close(client_);
    client_ = SocketApi::kInvalid;
    std::lock_guard<std::mutex> lock(mutex_);
    gone_ = true;
    changed_.notify_all();
}

bool LoopbackServer::AcceptClient() {
    if (SocketApi::WaitReadable(listener_, &wakeup_, -1) != SocketApi::Result::Ready)
        return false;
    client_ = SocketApi::Accept(listener_);
    if (client_ == SocketApi::kInvalid)
        return false;
    std::lock_guard<std::mutex> lock(mutex_);
    accepted_ = true;
    gone_ = false;
    changed_.notify_all();
    return true;
}

void LoopbackServer::WriteToClient(const std::vector<std::uint8_t>& out) {
    for (std::size_t done = 0; done < out.size();) {
        const int n = SocketApi::Send(client_, out.data() + done, int(out.size() - done));
        if (n > 0)
            done += std::size_t(n);
        else if (n == SocketApi::kFailed ||
                 SocketApi::WaitWritable(client_, 1000) != SocketApi::Result::Ready)
            return;
    }
}

void LoopbackServer::Loop() {
    bool clientEnded = false; // the client closed its side; Hold keeps ours open
    for (;;) {
        std::vector<std::uint8_t> out;
        bool closeNow = false;
        bool resetNow = false;
        wakeup_.Reset(); // before looking, so that no later command is missed
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (client_ != SocketApi::kInvalid && clientEnded) {
                // Nothing to read: wait for commands only.
                changed_.wait(lock,
                              [this] { return quit_ || closeRequested_ || !outgoing_.empty(); });
            }
            if (quit_)
                return;
            out.swap(outgoing_);
            closeNow = closeRequested_;
            closeRequested_ = false;
            resetNow = mode_ == Mode::Reset && received_.size() >= resetAfter_;
        }

        if (client_ == SocketApi::kInvalid) {
            clientEnded = false;
            AcceptClient();
            continue;
        }
        WriteToClient(out);
        if (closeNow || resetNow) {
            DropClient(resetNow);
            continue;
        }
        if (clientEnded)
            continue;

        if (SocketApi::WaitReadable(client_, &wakeup_, -1) != SocketApi::Result::Ready)
            continue;
        std::uint8_t buf[4096];
        const int n = SocketApi::Recv(client_, buf, sizeof buf);
        if (n == SocketApi::kWouldBlock)
            continue;
        if (n > 0) {
            std::lock_guard<std::mutex> lock(mutex_);
            if (mode_ == Mode::Echo)
                outgoing_.insert(outgoing_.end(), buf, buf + n);
            received_.insert(received_.end(), buf, buf + n);
            changed_.notify_all();
            continue;
        }
        // End of stream or an error from the client.
        if (mode_ == Mode::Hold && n == 0)
            clientEnded = true;
        else
            DropClient(false);
    }
}
