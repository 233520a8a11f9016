#pragma once

#include "sim/SimFaultHook.h"
#include "sim/SimFaultOptions.h"

#include <cstdint>
#include <deque>
#include <vector>

class SimTrace;

// Makes the simulated module misbehave as its fault options say, and gives the module's MAC
// answer its MFL quirk when asked to. Every fault it applies leaves a trace line
// "fault <name> <selector>". Runs on the server thread only.
//
// The server always asks one injector; a test's own hook is chained behind it (SetNext).
class SimFaultInjector : public SimFaultHook {
public:
    static constexpr int kWrongAnswerGapMs = 20;

    SimFaultInjector(const SimFaultOptions& options, bool macMflQuirk, SimTrace& trace);

    bool BeforeRequest(const SimRequest& request) override;
    bool Replace(const SimRequest& request, SimReply& reply) override;
    void AfterRequest(const SimRequest& request, SimReply& reply) override;
    void BeforeSend(const SimFrame& frame, std::vector<uint8_t>& bytes) override;
    bool ComeBack(int restart) override;

    // A further hook asked after this one (before it in BeforeSend); null for none.
    void SetNext(SimFaultHook* next) { next_ = next; }

private:
    // Whether fault i applies to this request; counts the use and traces it when it does.
    bool Take(size_t i, SimFaultKind kind, const SimRequest& request);

    const SimFaultOptions options_;
    const bool macMflQuirk_;
    SimTrace& trace_;
    SimFaultHook* next_ = nullptr;
    std::vector<int> used_; // per command fault: requests it was applied to
    int chunks_ = 0;
    bool resetDone_ = false;
    // Message fields of frames still to be sent with a corrupted CRC.
    std::deque<std::vector<uint8_t>> badCrc_;
    uint32_t garbageSeed_ = 0x2545F491u;
};
