#pragma once

#include "sim/SimMessages.h"

#include <cstdint>
#include <vector>

// Where a misbehaving module is made: the device model and the server call these at each
// request, each encoded frame and each restart. The defaults change nothing.
class SimFaultHook {
public:
    virtual ~SimFaultHook() = default;

    // Before the device sees a request; false drops it, neither carried out nor answered.
    virtual bool BeforeRequest(const SimRequest& /*request*/) { return true; }
    // After BeforeRequest: true when the hook has made the reply itself, in place of the
    // device, which then neither sees the request nor calls AfterRequest.
    virtual bool Replace(const SimRequest& /*request*/, SimReply& /*reply*/) { return false; }
    // After the device has answered; may change, drop or delay frames, or the restart.
    virtual void AfterRequest(const SimRequest& /*request*/, SimReply& /*reply*/) {}
    // The stuffed bytes of one frame just before they are sent.
    virtual void BeforeSend(const SimFrame& /*frame*/, std::vector<uint8_t>& /*bytes*/) {}
    // Asked when the down time of the given restart (1 for the first) is over, and again every
    // few ms while it answers false: false keeps the port closed.
    virtual bool ComeBack(int /*restart*/) { return true; }
};
