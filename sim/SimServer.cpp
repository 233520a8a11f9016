#include "sim/SimServer.h"

#include "sim/SimFaultHook.h"
#include "sim/SimScenario.h"

#include <algorithm>

namespace {

constexpr int kBacklog = 4;
constexpr int kPollMs = 20;           // longest sleep of the server loop between looks
constexpr int kWriteTimeoutMs = 3000; // a client that takes no bytes for this long is dropped
constexpr int kListenAttempts = 50;   // re-listening after a restart, 100 ms apart
constexpr int kListenRetryMs = 100;
constexpr size_t kMaxOutgoing = 4096; // frames waiting to go out; a client that floods is dropped

std::string FrameTraceText(const SimFrame& frame) {
    if (frame.kind == SimFrameKind::Loader) {
        return "tx loader " + HexBytes(frame.message);
    }
    return "tx uecp addr=" + std::to_string(frame.address) +
           " sqc=" + std::to_string(frame.sequence) + " " + HexBytes(frame.message);
}

} // namespace

SimServer::SimServer(const SimOptions& options)
    : options_(ResolveSimOptions(options)), device_(options_, trace_), host_(options_.host, trace_),
      faults_(options_.faults, options_.host.macMflQuirk, trace_), port_(options.port) {
    host_.Install(device_);
    hook_ = &faults_;
    device_.SetFaultHook(&faults_);
}

SimServer::~SimServer() {
    Stop();
}

void SimServer::SetFaultHook(SimFaultHook* hook) {
    faults_.SetNext(hook);
}

bool SimServer::Start() {
    if (thread_.joinable()) {
        return true;
    }
    if (!options_.tracePath.empty() && !trace_.OpenFile(options_.tracePath)) {
        error_ = "cannot create the trace file " + options_.tracePath;
        return false;
    }
    if (!wakeup_.IsValid() || !OpenListener()) {
        error_ = "cannot listen on 127.0.0.1:" + std::to_string(options_.port);
        return false;
    }
    quit_ = false;
    thread_ = std::thread([this] { Loop(); });
    return true;
}

void SimServer::Stop() {
    if (!thread_.joinable()) {
        return;
    }
    quit_ = true;
    wakeup_.Signal();
    thread_.join();
    wakeup_.Reset();
}

ModuleState SimServer::State() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return device_.State();
}

bool SimServer::WaitFor(const std::function<bool(const ModuleState&)>& pred, int timeoutMs) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return pred(device_.State()); });
}

bool SimServer::WaitListening(int timeoutMs) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return listening_.load(); });
}

bool SimServer::WaitDisconnected(int timeoutMs) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return !connected_.load(); });
}

void SimServer::Notify() {
    { std::lock_guard<std::mutex> lock(mutex_); }
    changed_.notify_all();
}

bool SimServer::OpenListener() {
    listener_ = SocketApi::Listen(SocketApi::LoopbackAddress(), port_, kBacklog);
    if (listener_ == SocketApi::kInvalid) {
        return false;
    }
    port_ = SocketApi::LocalPort(listener_);
    ModuleMode mode;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        mode = device_.Mode();
    }
    trace_.Line("listen 127.0.0.1:" + std::to_string(port_) + " " + ModuleModeName(mode));
    listening_ = true;
    Notify();
    return true;
}

void SimServer::CloseListener() {
    SocketApi::Close(listener_);
    listener_ = SocketApi::kInvalid;
    listening_ = false;
    Notify();
}

void SimServer::Loop() {
    while (!quit_) {
        if (down_) {
            ComeBack();
            continue;
        }
        SendDue();
        if (down_) {
            continue;
        }
        if (client_ == SocketApi::kInvalid) {
            if (SocketApi::WaitReadable(listener_, &wakeup_, kPollMs * 5) ==
                SocketApi::Result::Ready) {
                AcceptClient();
            }
            continue;
        }
        int waitMs = kPollMs;
        if (!outgoing_.empty()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                outgoing_.front().due - Clock::now());
            waitMs = static_cast<int>(std::clamp<long long>(left.count(), 0, kPollMs));
        }
        if (SocketApi::WaitReadable(client_, &wakeup_, waitMs) == SocketApi::Result::Ready) {
            ReadClient();
        }
        AcceptClient();
        if (client_ != SocketApi::kInvalid &&
            Clock::now() - lastTraffic_ > std::chrono::milliseconds(options_.idleTimeoutMs)) {
            DropClient("idle-timeout");
        }
    }
    if (client_ != SocketApi::kInvalid) {
        DropClient("closed");
    }
    CloseListener();
}

void SimServer::ComeBack() {
    const auto now = Clock::now();
    if (listenFailed_ || now < downUntil_) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(downUntil_ - now).count();
        const long long waitMs = listenFailed_ ? kPollMs : std::clamp<long long>(left, 1, kPollMs);
        std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
        return;
    }
    int restarts;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        restarts = device_.State().restarts;
    }
    if (listenAttempts_ == 0 && hook_ != nullptr && !hook_->ComeBack(restarts)) {
        if (!stayingAway_) {
            trace_.Line("stay-away");
            stayingAway_ = true;
        }
        downUntil_ = now + std::chrono::milliseconds(kPollMs);
        return;
    }
    stayingAway_ = false;
    if (OpenListener()) {
        down_ = false;
        listenAttempts_ = 0;
        return;
    }
    if (++listenAttempts_ >= kListenAttempts) {
        trace_.Line("listen-failed");
        listenFailed_ = true;
        return;
    }
    downUntil_ = now + std::chrono::milliseconds(kListenRetryMs);
}

void SimServer::AcceptClient() {
    const SocketApi::Handle s = SocketApi::Accept(listener_);
    if (s == SocketApi::kInvalid) {
        return;
    }
    if (client_ != SocketApi::kInvalid) {
        DropClient("replace");
    }
    client_ = s;
    lastTraffic_ = Clock::now();
    trace_.Line("accept");
    connected_ = true;
    Notify();
}

void SimServer::DropClient(const char* event, bool withReset) {
    trace_.Line(event);
    if (withReset) {
        SocketApi::CloseWithReset(client_);
    } else {
        SocketApi::Close(client_);
    }
    client_ = SocketApi::kInvalid;
    assembler_.Reset();
    // A restart already decided on still happens; frames for the lost client do not.
    outgoing_.erase(std::remove_if(outgoing_.begin(), outgoing_.end(),
                                   [](const Outgoing& o) { return !o.restart; }),
                    outgoing_.end());
    connected_ = false;
    Notify();
}

void SimServer::ReadClient() {
    uint8_t buffer[2048];
    std::vector<std::vector<uint8_t>> frames;
    // Bounded: at most this many reads before the loop looks at its other duties again.
    for (int reads = 0; reads < 64; ++reads) {
        const int n = SocketApi::Recv(client_, buffer, sizeof buffer);
        if (n == SocketApi::kWouldBlock) {
            break;
        }
        if (n > 0) {
            lastTraffic_ = Clock::now();
            assembler_.Feed(buffer, n, frames);
            continue;
        }
        for (const auto& frame : frames) {
            HandleFrame(frame);
        }
        if (client_ != SocketApi::kInvalid) {
            DropClient(n == 0 ? "peer-closed" : "reset");
        }
        return;
    }
    for (const auto& frame : frames) {
        HandleFrame(frame);
    }
}

void SimServer::HandleFrame(const std::vector<uint8_t>& frame) {
    if (goingDown_ || client_ == SocketApi::kInvalid) {
        return; // the module is restarting, or the client was dropped
    }
    SimReply reply;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto request =
            DecodeSimFrame(frame.data(), static_cast<int>(frame.size()), device_.Mode());
        if (!request) {
            trace_.Line("malformed " + HexBytes(frame));
            return;
        }
        reply = device_.Handle(*request);
    }
    changed_.notify_all();

    auto due = outgoing_.empty() ? Clock::now() : std::max(Clock::now(), outgoing_.back().due);
    for (const SimFrame& f : reply.frames) {
        Outgoing out;
        out.bytes = EncodeSimFrame(f);
        if (hook_ != nullptr) {
            hook_->BeforeSend(f, out.bytes);
        }
        due += std::chrono::milliseconds(std::max(0, f.delayMs));
        out.due = due;
        out.traceText = FrameTraceText(f);
        outgoing_.push_back(std::move(out));
    }
    if (outgoing_.size() > kMaxOutgoing) {
        DropClient("overrun");
        return;
    }
    if (reply.reset) {
        Outgoing out;
        out.due = due;
        out.reset = true;
        outgoing_.push_back(std::move(out));
    }
    if (reply.restart) {
        Outgoing out;
        out.due = due;
        out.restart = true;
        out.restartMode = reply.restartMode;
        outgoing_.push_back(std::move(out));
        goingDown_ = true;
    }
}

void SimServer::SendDue() {
    while (!outgoing_.empty() && outgoing_.front().due <= Clock::now()) {
        Outgoing out = std::move(outgoing_.front());
        outgoing_.pop_front();
        if (out.restart) {
            BeginRestart(out.restartMode);
            return;
        }
        if (client_ == SocketApi::kInvalid) {
            continue;
        }
        if (out.reset) {
            DropClient("reset", true);
            continue;
        }
        trace_.Line(out.traceText);
        if (!WriteAll(out.bytes)) {
            DropClient("reset");
        }
    }
}

bool SimServer::WriteAll(const std::vector<uint8_t>& bytes) {
    size_t sent = 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kWriteTimeoutMs);
    while (sent < bytes.size()) {
        const int n =
            SocketApi::Send(client_, bytes.data() + sent, static_cast<int>(bytes.size() - sent));
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (n == SocketApi::kFailed || Clock::now() >= deadline) {
            return false;
        }
        if (SocketApi::WaitWritable(client_, kPollMs) == SocketApi::Result::Failed) {
            return false;
        }
    }
    return true;
}

void SimServer::BeginRestart(ModuleMode mode) {
    trace_.Line(std::string("restart ") + ModuleModeName(mode) +
                " down=" + std::to_string(options_.downMs));
    // The port closes first: whoever sees the connection go finds the port closed too.
    CloseListener();
    if (client_ != SocketApi::kInvalid) {
        DropClient("closed");
    }
    outgoing_.clear();
    goingDown_ = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        device_.Restart(mode);
    }
    Notify();
    down_ = true;
    downUntil_ = Clock::now() + std::chrono::milliseconds(options_.downMs);
}
