#pragma once

#include "sim/SimMessages.h"

#include <cstdint>
#include <string>
#include <vector>

// Which requests a fault applies to. Written "*" (every request), "SS" or "SS:*" (every
// command of the two-letter command set SS, e.g. NS, QB, RS, MI), "SS:CC" (command CC, two hex
// digits), "loader" or "loader:CC" (update-loader commands), each optionally followed by "/N":
// only the first N matching requests.
struct SimRequestSelector {
    enum class Kind { Any, Uecp, Loader };
    Kind kind = Kind::Any;
    uint8_t set0 = 0; // command-set letters (UECP only)
    uint8_t set1 = 0;
    int code = -1;    // -1: any command
    int times = -1;   // -1: every matching request
    std::string text; // as written, for the trace
};

enum class SimFaultKind {
    Ignore,       // neither carried out nor answered: no acknowledgement, no answer
    NoAck,        // carried out and answered, but not acknowledged
    Nack,         // refused with acknowledgement code value, not carried out
    AnswerSize,   // the answer grows (value > 0) or shrinks (value < 0) by |value| bytes
    BadCrcAnswer, // the answer goes out with a corrupted CRC
    BadCrcAck,    // the acknowledgement goes out with a corrupted CRC
    WrongAnswer,  // the answer carries another answer code, sent value times 20 ms apart
    Slow,         // the answer goes out value ms late
};

struct SimCommandFault {
    SimFaultKind kind = SimFaultKind::Ignore;
    SimRequestSelector target;
    int value = 0;
};

// Faults that make the simulated module misbehave. The defaults make none.
struct SimFaultOptions {
    std::vector<SimCommandFault> commands; // every matching one applies
    bool flashNeverDone = false;           // every flash-status poll answers "busy"
    int stayAwayAfter = 0;    // N > 0: the module does not come back from its N-th restart
                              // (nor any later one)
    int resetAfterChunks = 0; // N > 0: the connection is reset after the N-th data chunk
    int garbageBytes = 0;     // bytes of garbage (never 0xFE) sent before every frame
};

// Parses a selector as described above; false when the text is not one.
bool ParseRequestSelector(const std::string& text, SimRequestSelector& selector);

// Whether the request is one the selector picks (its count "/N" aside).
bool SelectsRequest(const SimRequestSelector& selector, const SimRequest& request);

// The option name (without "--") of a fault kind, as used on the command line.
const char* SimFaultKindName(SimFaultKind kind);
