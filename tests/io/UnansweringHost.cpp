#include "UnansweringHost.h"

UnansweringHost::UnansweringHost() {
    listener_ = SocketApi::Listen(SocketApi::LoopbackAddress(), 0, 0);
    if (listener_ == SocketApi::kInvalid)
        return;
    port_ = SocketApi::LocalPort(listener_);
    // Connect until one connect stays unanswered: from then on the queue drops every SYN.
    for (int i = 0; i < 64 && !blocked_; ++i) {
        const SocketApi::Handle s = SocketApi::OpenStream();
        if (s == SocketApi::kInvalid)
            break;
        fillers_.push_back(s);
        SocketApi::Result r = SocketApi::StartConnect(s, SocketApi::LoopbackAddress(), port_);
        if (r == SocketApi::Result::Pending)
            r = SocketApi::WaitConnected(s, nullptr, 200);
        if (r == SocketApi::Result::TimedOut)
            blocked_ = true;
    }
}

UnansweringHost::~UnansweringHost() {
    for (SocketApi::Handle s : fillers_)
        SocketApi::Close(s);
    SocketApi::Close(listener_);
}
