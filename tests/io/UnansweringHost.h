#pragma once

#include "io/SocketApi.h"

#include <cstdint>
#include <vector>

// A listener on 127.0.0.1 whose accept queue is full: further connects get no answer at all,
// like a host whose packets are dropped.
class UnansweringHost {
public:
    UnansweringHost();
    ~UnansweringHost();
    UnansweringHost(const UnansweringHost&) = delete;
    UnansweringHost& operator=(const UnansweringHost&) = delete;

    std::uint16_t Port() const { return port_; }
    // Whether the queue could be filled (a connect stays unanswered).
    bool IsBlocked() const { return blocked_; }

private:
    SocketApi::Handle listener_ = SocketApi::kInvalid;
    std::uint16_t port_ = 0;
    bool blocked_ = false;
    std::vector<SocketApi::Handle> fillers_;
};
