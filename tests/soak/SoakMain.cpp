// Consecutive unattended update runs against the simulator, each with a fault drawn at random.
//   zelta-soak [--runs N | --sweep] [--seed S] [--verbose]
#include "SoakDriver.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace {

bool ParseNumber(const char* text, unsigned long long& value) {
    if (text == nullptr || *text == '\0') {
        return false;
    }
    char* end = nullptr;
    value = std::strtoull(text, &end, 10);
    return end != nullptr && *end == '\0';
}

int Usage() {
    std::fprintf(stderr, "usage: zelta-soak [--runs N | --sweep] [--seed S] [--verbose]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    SoakDriver::Settings settings;
    settings.seed =
        std::random_device{}() ^ static_cast<unsigned long long>(
                                     std::chrono::steady_clock::now().time_since_epoch().count());
    for (int i = 1; i < argc; ++i) {
        unsigned long long value = 0;
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc &&
            ParseNumber(argv[i + 1], value) && value > 0 && value <= 1000000) {
            settings.runs = static_cast<int>(value);
            ++i;
        } else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc &&
                   ParseNumber(argv[i + 1], value)) {
            settings.seed = value;
            ++i;
        } else if (std::strcmp(argv[i], "--sweep") == 0) {
            settings.sweep = true;
        } else if (std::strcmp(argv[i], "--verbose") == 0) {
            settings.verbose = true;
        } else {
            return Usage();
        }
    }
    SoakDriver driver(settings);
    return driver.Run() == 0 ? 0 : 1;
}
