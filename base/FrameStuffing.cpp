#include "base/FrameStuffing.h"

#include "base/FrameLimits.h"

int StuffFrame(const uint8_t* input, int inputLength, uint8_t* output, int outputCapacity) {
    if (inputLength <= 0) {
        return 0;
    }
    // Only the inner bytes can double.
    const int worstCase = inputLength == 1 ? 1 : 2 * inputLength - 2;
    if (input == nullptr || output == nullptr || outputCapacity < worstCase) {
        return -1;
    }
    int out = 0;
    output[out++] = input[0];
    if (inputLength == 1) {
        return out;
    }
    for (int i = 1; i < inputLength - 1; ++i) {
        const uint8_t byte = input[i];
        if (byte >= kFrameEscape) {
            output[out++] = kFrameEscape;
            output[out++] = static_cast<uint8_t>(byte - kFrameEscape);
        } else {
            output[out++] = byte;
        }
    }
    output[out++] = input[inputLength - 1];
    return out;
}

int UnstuffFrame(const uint8_t* input, int inputLength, uint8_t* output, int outputCapacity) {
    if (inputLength <= 0) {
        return 0;
    }
    if (input == nullptr || output == nullptr || outputCapacity < inputLength) {
        return -1;
    }
    int out = 0;
    output[out++] = input[0];
    if (inputLength == 1) {
        return out;
    }
    const int last = inputLength - 1;
    int i = 1;
    while (i < last) {
        const uint8_t byte = input[i];
        if (byte == kFrameEscape && i + 1 < last && input[i + 1] <= 2) {
            output[out++] = static_cast<uint8_t>(kFrameEscape + input[i + 1]);
            i += 2;
        } else {
            output[out++] = byte;
            i += 1;
        }
    }
    output[out++] = input[last];
    return out;
}
