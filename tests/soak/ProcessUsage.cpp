#include "ProcessUsage.h"

#ifdef __linux__
#include <unistd.h>

#include <filesystem>
#include <fstream>
#endif

namespace {

#ifdef __linux__
// Entries of a /proc directory, without the reader's own descriptor for it.
int CountEntries(const char* path) {
    std::error_code ec;
    int count = 0;
    for (std::filesystem::directory_iterator it(path, ec), end; !ec && it != end;
         it.increment(ec)) {
        ++count;
    }
    return ec ? -1 : count;
}
#endif

} // namespace

ProcessUsage ProcessUsage::Now() {
    ProcessUsage usage;
#ifdef __linux__
    // statm: total program size, then resident pages.
    std::ifstream statm("/proc/self/statm");
    int64_t size = 0;
    int64_t resident = 0;
    if (statm >> size >> resident) {
        usage.residentBytes = resident * static_cast<int64_t>(sysconf(_SC_PAGESIZE));
    }
    statm.close();
    // The iterator's own descriptor is open while it counts; it is one of the entries.
    const int fds = CountEntries("/proc/self/fd");
    usage.openDescriptors = fds < 0 ? -1 : fds - 1;
    usage.threads = CountEntries("/proc/self/task");
#endif
    return usage;
}
