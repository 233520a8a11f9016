#include "base/Stopwatch.h"

#include "base/MsClock.h"

Stopwatch::Stopwatch() : start_(MsClockNow()) {}

void Stopwatch::Restart() {
    start_ = MsClockNow();
}

// Unsigned subtraction is modulo 2^32, so a wrap of the clock between the two reads is harmless.
uint32_t Stopwatch::Elapsed() const {
    return MsClockNow() - start_;
}
