#pragma once

#include <cstdint>

// The millisecond clock that times every wait: a monotonic count that wraps at 2^32.
using MsClockSource = uint32_t (*)();

// Current clock value in ms.
uint32_t MsClockNow();

// Replaces the clock source (a test uses this to show the 32-bit wrap); null restores the
// monotonic system clock. Thread-safe.
void SetMsClockSource(MsClockSource source);

// Sleeps the calling thread for about ms milliseconds.
void SleepMs(uint32_t ms);
