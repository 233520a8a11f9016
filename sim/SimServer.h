#pragma once

#include "io/SocketApi.h"
#include "sim/HostDevice.h"
#include "sim/ModuleDevice.h"
#include "sim/SimCodec.h"
#include "sim/SimFaultInjector.h"
#include "sim/SimOptions.h"
#include "sim/SimTrace.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class SimFaultHook;

// The simulated module as a TCP server on 127.0.0.1: one thread that listens, serves one
// client at a time through the device model, and carries out restarts (connection and port
// closed for the down time, then listening again in the new mode).
//
//     SimOptions options;
//     options.port = 0;              // a free port
//     SimServer sim(options);
//     sim.Start();                   // listening when it returns true
//     ... connect to 127.0.0.1:sim.Port() ...
//     sim.Trace().Lines("chunk");   // what happened
//
// Every wait inside is bounded; Stop (or the destructor) ends the thread.
class SimServer {
public:
    explicit SimServer(const SimOptions& options);
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // Opens the trace file (if any), listens and starts the thread. False with Error() set
    // when the trace file or the port cannot be opened.
    bool Start();
    void Stop();

    uint16_t Port() const { return port_; }
    std::string Error() const { return error_; }
    SimTrace& Trace() { return trace_; }

    // Before Start: where faults are made, and access to the device's dispatch tables.
    // The server starts with the host device and the faults of its options installed; a hook
    // set here is asked after those faults (its BeforeSend before them).
    void SetFaultHook(SimFaultHook* hook);
    ModuleDevice& Device() { return device_; }
    // The host device (its state may be read at any time).
    const HostDevice& Host() const { return host_; }

    // A copy of the module's state, taken under the server's lock.
    ModuleState State() const;
    bool IsListening() const { return listening_.load(); }
    bool IsConnected() const { return connected_.load(); }

    // Waits up to timeoutMs until pred holds for the state; true when it did.
    bool WaitFor(const std::function<bool(const ModuleState&)>& pred, int timeoutMs) const;
    bool WaitListening(int timeoutMs) const;
    bool WaitDisconnected(int timeoutMs) const;

private:
    using Clock = std::chrono::steady_clock;

    struct Outgoing {
        Clock::time_point due;
        std::vector<uint8_t> bytes;
        std::string traceText;
        bool restart = false;
        ModuleMode restartMode = ModuleMode::Application;
        bool reset = false;
    };

    void Loop();
    bool OpenListener();
    void CloseListener();
    void AcceptClient();
    void DropClient(const char* event, bool withReset = false);
    void ComeBack();
    void ReadClient();
    void HandleFrame(const std::vector<uint8_t>& frame);
    void SendDue();
    bool WriteAll(const std::vector<uint8_t>& bytes);
    void BeginRestart(ModuleMode mode);
    void Notify();

    const SimOptions options_;
    SimTrace trace_;
    ModuleDevice device_;
    HostDevice host_;
    SimFaultInjector faults_;
    SimFaultHook* hook_ = nullptr;
    uint16_t port_ = 0;
    std::string error_;

    SocketApi::Wakeup wakeup_;
    std::atomic<bool> quit_{false};
    std::atomic<bool> listening_{false};
    std::atomic<bool> connected_{false};
    std::thread thread_;

    mutable std::mutex mutex_; // guards device_ while the thread runs
    mutable std::condition_variable changed_;

    // Server thread only.
    SocketApi::Handle listener_ = SocketApi::kInvalid;
    SocketApi::Handle client_ = SocketApi::kInvalid;
    SimFrameAssembler assembler_;
    std::deque<Outgoing> outgoing_;
    bool goingDown_ = false;
    bool down_ = false;
    bool stayingAway_ = false;
    bool listenFailed_ = false;
    int listenAttempts_ = 0;
    Clock::time_point downUntil_;
    Clock::time_point lastTraffic_;
};
