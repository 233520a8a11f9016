#pragma once

#include "base/FrameData.h"
#include "base/FrameParser.h"
#include "io/SocketApi.h"
#include "sim/SimCodec.h"

#include <chrono>
#include <memory>
#include <vector>

// A bare TCP client for the simulator's server tests: raw bytes out, parsed frames in.
class SimClient {
public:
    SimClient() = default;
    ~SimClient() { SocketApi::Close(socket_); }
    SimClient(const SimClient&) = delete;
    SimClient& operator=(const SimClient&) = delete;

    bool Connect(uint16_t port) {
        SocketApi::Close(socket_);
        socket_ = SocketApi::OpenStream();
        if (socket_ == SocketApi::kInvalid) {
            return false;
        }
        SocketApi::Result r = SocketApi::StartConnect(socket_, SocketApi::LoopbackAddress(), port);
        if (r == SocketApi::Result::Pending) {
            r = SocketApi::WaitConnected(socket_, nullptr, 2000);
        }
        if (r != SocketApi::Result::Ready) {
            SocketApi::Close(socket_);
            socket_ = SocketApi::kInvalid;
            return false;
        }
        return true;
    }

    bool Send(const std::vector<uint8_t>& bytes) {
        size_t sent = 0;
        for (int tries = 0; sent < bytes.size() && tries < 1000; ++tries) {
            const int n = SocketApi::Send(socket_, bytes.data() + sent,
                                          static_cast<int>(bytes.size() - sent));
            if (n > 0) {
                sent += static_cast<size_t>(n);
            } else if (n == SocketApi::kFailed) {
                return false;
            } else {
                SocketApi::WaitWritable(socket_, 10);
            }
        }
        return sent == bytes.size();
    }

    // Reads until count frames came, the peer closed, or timeoutMs passed.
    std::vector<std::unique_ptr<FrameData>> Read(size_t count, int timeoutMs) {
        std::vector<std::unique_ptr<FrameData>> out;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (out.size() < count && !closed_ && std::chrono::steady_clock::now() < end) {
            if (SocketApi::WaitReadable(socket_, nullptr, 10) != SocketApi::Result::Ready) {
                continue;
            }
            uint8_t buffer[2048];
            const int n = SocketApi::Recv(socket_, buffer, sizeof buffer);
            if (n == 0 || n == SocketApi::kFailed) {
                closed_ = true;
                break;
            }
            if (n > 0) {
                std::vector<std::vector<uint8_t>> frames;
                assembler_.Feed(buffer, n, frames);
                for (const auto& f : frames) {
                    out.push_back(ParseModuleFrame(f.data(), static_cast<int>(f.size())));
                }
            }
        }
        return out;
    }

    // Waits up to timeoutMs for the server to close the connection.
    bool WaitClosed(int timeoutMs) {
        Read(SIZE_MAX, timeoutMs);
        return closed_;
    }

    void ShutdownSend() { SocketApi::ShutdownSend(socket_); }

private:
    SocketApi::Handle socket_ = SocketApi::kInvalid;
    SimFrameAssembler assembler_;
    bool closed_ = false;
};
