// The receive path on an arbitrary byte stream: the assembler cuts frames out of it, and each
// frame goes through both parsers and the unstuffing, as a handler does with it.
//
// Input: the first byte chooses the size of the pieces the stream arrives in (1 to 256 bytes);
// the rest is the stream. The same stream fed in one piece must give the same frames.

#include "base/AutoFrameBuffer.h"
#include "base/FrameLimits.h"
#include "base/FrameParser.h"
#include "base/FrameReader.h"
#include "base/FrameStuffing.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void CheckRecord(const FrameData* record, int maxSize) {
    Require(record != nullptr);
    Require(record->size() >= 0 && record->size() <= maxSize);
}

class ParsingReader : public FrameReader {
public:
    void FrameReceived(const uint8_t* bytes, int length, const AutoFrameBuffer*) override {
        Require(length >= 1 && length <= static_cast<int>(AutoFrameBuffer::kCapacity));
        Require(bytes[0] == kFrameStart && bytes[length - 1] == kFrameStop);
        frames.emplace_back(bytes, bytes + length);

        CheckRecord(ParseFrame(bytes, length).get(), kUecpMessageMax);
        CheckRecord(ParseModuleFrame(bytes, length).get(), kUecpStuffedMax);

        uint8_t plain[kUecpStuffedMax];
        const int t = UnstuffFrame(bytes, length, plain, kUecpStuffedMax);
        Require(t >= 1 && t <= length);

        // Stuffing what was unstuffed and unstuffing it again gives it back.
        uint8_t stuffed[2 * kUecpStuffedMax];
        const int s = StuffFrame(plain, t, stuffed, sizeof stuffed);
        Require(s >= t);
        uint8_t again[2 * kUecpStuffedMax];
        Require(UnstuffFrame(stuffed, s, again, sizeof again) == t);
        Require(std::equal(plain, plain + t, again));
    }

    void FrameDropped() override { ++dropped; }

    std::vector<std::vector<uint8_t>> frames;
    int dropped = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t piece = std::size_t{data[0]} + 1;
    const uint8_t* stream = data + 1;
    const int length = static_cast<int>(size - 1);

    ParsingReader pieces;
    AutoFrameBuffer inPieces(&pieces);
    for (int at = 0; at < length; at += static_cast<int>(piece)) {
        inPieces.Feed(stream + at, std::min(static_cast<int>(piece), length - at));
    }

    ParsingReader whole;
    AutoFrameBuffer inOne(&whole);
    inOne.Feed(stream, length);

    Require(pieces.frames == whole.frames && pieces.dropped == whole.dropped);
    Require(inPieces.Count() == inOne.Count() && inPieces.InFrame() == inOne.InFrame());

    // The parsers also take what no assembler delivers: any bytes up to their limits.
    if (const auto record = ParseFrame(stream, length)) {
        CheckRecord(record.get(), kUecpMessageMax);
    }
    if (const auto record = ParseModuleFrame(stream, length)) {
        CheckRecord(record.get(), kLoaderStuffedMax);
    }
    return 0;
}
