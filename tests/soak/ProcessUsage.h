#pragma once

#include <cstdint>

// What the process holds right now: resident memory, open descriptors and threads. Read from
// /proc on Linux; elsewhere every figure is -1 (unknown), and the checks that use them are
// skipped.
struct ProcessUsage {
    int64_t residentBytes = -1;
    int openDescriptors = -1;
    int threads = -1;

    static ProcessUsage Now();
    bool Known() const { return residentBytes >= 0 && openDescriptors >= 0 && threads >= 0; }
};
