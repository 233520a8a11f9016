#include "uecp/UECPMessage.h"

#include <algorithm>

void UECPMessage::SetData(std::initializer_list<uint8_t> bytes) {
    const size_t n = std::min(bytes.size(), static_cast<size_t>(kDataSize));
    std::copy_n(bytes.begin(), n, data);
    length = static_cast<int32_t>(n);
}
