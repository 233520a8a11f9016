#include "sim/SimTrace.h"

SimTrace::SimTrace() : start_(std::chrono::steady_clock::now()) {}

SimTrace::~SimTrace() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

bool SimTrace::OpenFile(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (file_ != nullptr) {
        std::fclose(file_);
    }
    file_ = std::fopen(path.c_str(), "w");
    fileLines_ = 0;
    return file_ != nullptr;
}

void SimTrace::Line(const std::string& text) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start_)
                        .count();
    std::lock_guard<std::mutex> lock(mutex_);
    if (lines_.size() >= kMemoryLines) {
        lines_.pop_front();
    }
    lines_.push_back(text);
    if (file_ != nullptr) {
        if (fileLines_ < kFileLines) {
            std::fprintf(file_, "%lld %s\n", static_cast<long long>(ms), text.c_str());
        } else if (fileLines_ == kFileLines) {
            std::fprintf(file_, "%lld truncated\n", static_cast<long long>(ms));
        }
        ++fileLines_;
        std::fflush(file_);
    }
}

std::vector<std::string> SimTrace::Lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return {lines_.begin(), lines_.end()};
}

std::vector<std::string> SimTrace::Lines(const std::string& event) const {
    std::vector<std::string> out;
    std::lock_guard<std::mutex> lock(mutex_);
    for (const std::string& line : lines_) {
        if (line.compare(0, event.size(), event) == 0 &&
            (line.size() == event.size() || line[event.size()] == ' ')) {
            out.push_back(line);
        }
    }
    return out;
}

std::string HexBytes(const uint8_t* data, size_t size) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(size * 3);
    for (size_t i = 0; i < size; ++i) {
        if (i > 0) {
            out += ' ';
        }
        out += digits[data[i] >> 4];
        out += digits[data[i] & 0x0F];
    }
    return out;
}

std::string HexBytes(const std::vector<uint8_t>& bytes) {
    return HexBytes(bytes.data(), bytes.size());
}
