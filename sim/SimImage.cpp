#include "sim/SimImage.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsDigit(uint8_t b) {
    return b >= '0' && b <= '9';
}

// Every start position of the pattern in the image.
std::vector<size_t> FindAll(const std::vector<uint8_t>& image, const char* pattern) {
    std::vector<size_t> found;
    const size_t n = std::strlen(pattern);
    auto it = image.begin();
    while (true) {
        it = std::search(it, image.end(), pattern, pattern + n);
        if (it == image.end()) {
            return found;
        }
        found.push_back(static_cast<size_t>(it - image.begin()));
        ++it;
    }
}

} // namespace

uint32_t SimCrc32(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1u) != 0 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
        }
    }
    return crc ^ 0xFFFFFFFFu;
}

std::optional<std::string> FindImageVersion(const std::vector<uint8_t>& image) {
    for (size_t p : FindAll(image, "NET+WORKS Version %s")) {
        if (p > 10 && IsDigit(image[p - 10]) && IsDigit(image[p - 6]) && image[p - 5] == 0 &&
            image[p - 4] == 0 && image[p - 3] == 0 && image[p - 2] == '\r' &&
            image[p - 1] == '\n') {
            return std::string(image.begin() + static_cast<long>(p - 10),
                               image.begin() + static_cast<long>(p - 5));
        }
    }
    for (size_t v : FindAll(image, "Version: ")) {
        const size_t t = v + 12;
        if (t + 5 <= image.size() && IsDigit(image[t]) && IsDigit(image[t + 4])) {
            return std::string(image.begin() + static_cast<long>(t),
                               image.begin() + static_cast<long>(t + 5));
        }
    }
    return std::nullopt;
}
