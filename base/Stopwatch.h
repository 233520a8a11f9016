#pragma once

#include <cstdint>

// Measures elapsed milliseconds on the ms clock, correct across its 32-bit wrap.
class Stopwatch {
public:
    Stopwatch();

    void Restart();
    uint32_t Elapsed() const;

private:
    uint32_t start_;
};
