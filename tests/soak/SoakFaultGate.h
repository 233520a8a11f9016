#pragma once

#include "sim/SimFaultHook.h"
#include "sim/SimFaultInjector.h"
#include "sim/SimFaultOptions.h"

#include <memory>
#include <mutex>

class SimTrace;

// The faults of one run, installed into a simulator that outlives the run. A request fault
// applies to one chosen request only: the occurrence-th (from 1) that its selector picks, or
// every one for occurrence 0. Module faults (flash, restarts, resets, garbage) apply as the
// simulator's own options say. Disarm makes the module behave again, so that it comes back from
// a restart it stayed away from.
//
// The simulator's thread calls the hook while the owner arms and disarms it.
class SoakFaultGate : public SimFaultHook {
public:
    explicit SoakFaultGate(SimTrace& trace) : trace_(trace) {}

    // restarts: how many the module has made so far; a stay-away counts from the run's first.
    void Arm(const SimFaultOptions& faults, int occurrence, int restarts);
    void Disarm();
    // Requests the armed fault's selector picked so far.
    int Seen() const;

    bool BeforeRequest(const SimRequest& request) override;
    bool Replace(const SimRequest& request, SimReply& reply) override;
    void AfterRequest(const SimRequest& request, SimReply& reply) override;
    void BeforeSend(const SimFrame& frame, std::vector<uint8_t>& bytes) override;
    bool ComeBack(int restart) override;

private:
    SimTrace& trace_;
    mutable std::mutex mutex_;
    std::unique_ptr<SimFaultInjector> faults_;
    SimRequestSelector selector_;
    bool gated_ = false; // a request fault: only the chosen request sees it
    int occurrence_ = 0;
    int seen_ = 0;
    int restartsBefore_ = 0;
    bool current_ = false; // the request being handled is the chosen one
};
