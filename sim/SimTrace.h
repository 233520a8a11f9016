#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

// The simulator's record of a session: every line goes to the optional trace file and to a
// bounded in-memory list that tests read. Thread-safe.
class SimTrace {
public:
    static constexpr size_t kMemoryLines = 20000;
    static constexpr size_t kFileLines = 2000000;

    SimTrace();
    ~SimTrace();
    SimTrace(const SimTrace&) = delete;
    SimTrace& operator=(const SimTrace&) = delete;

    // Opens (truncates) the trace file; false when it cannot be created.
    bool OpenFile(const std::string& path);
    void Line(const std::string& text);

    // The lines kept in memory, without their time stamps, oldest first.
    std::vector<std::string> Lines() const;
    // Lines that start with the given event word.
    std::vector<std::string> Lines(const std::string& event) const;

private:
    mutable std::mutex mutex_;
    std::FILE* file_ = nullptr;
    size_t fileLines_ = 0;
    std::deque<std::string> lines_;
    std::chrono::steady_clock::time_point start_;
};

// Upper-case hex bytes separated by blanks.
std::string HexBytes(const uint8_t* data, size_t size);
std::string HexBytes(const std::vector<uint8_t>& bytes);
