#include "base/AutoFrameBuffer.h"
#include "TestHex.h"
#include "base/FrameReader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

// Records every callback as text: the frame's bytes, or "drop".
class RecordingReader : public FrameReader {
public:
    void FrameReceived(const uint8_t* bytes, int length, const AutoFrameBuffer* from) override {
        events.push_back(ToHex(bytes, length));
        source = from;
    }
    void FrameDropped() override { events.push_back("drop"); }

    std::vector<std::string> events;
    const AutoFrameBuffer* source = nullptr;
};

std::vector<uint8_t> Repeat(uint8_t byte, int n) {
    return std::vector<uint8_t>(n, byte);
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

TEST(AutoFrameBuffer, CutsFramesOutOfTheStream) {
    struct Case {
        const char* name;
        std::vector<uint8_t> stream;
        std::vector<std::string> events;
    };
    const std::string longFrame = ToHex(Concat({{0xFE}, Repeat(0x11, 522), {0xFF}}));
    const Case cases[] = {
        {"restart inside a frame", Hex("00 11 FE 22 FE 33 FF"), {"drop", "FE 33 FF"}},
        {"garbage between frames", Hex("FE 01 FF 42 FF 00 FE 02 FF 77"), {"FE 01 FF", "FE 02 FF"}},
        {"stop byte outside a frame", Hex("FF FF 10"), {}},
        {"lone escape", Hex("FE FD FF FE FD 03 FF"), {"FE FD FF", "FE FD 03 FF"}},
        {"partial frame at the end", Hex("FE 01 02"), {}},
        {"shortest frame", Hex("FE FF"), {"FE FF"}},
        {"524 bytes without stop",
         Concat({{0xFE}, Repeat(0x11, 523), Hex("22 FF FE 05 FF")}),
         {"drop", "FE 05 FF"}},
        {"stop as the 524th byte", Concat({{0xFE}, Repeat(0x11, 522), {0xFF}}), {longFrame}},
        {"start as the 524th byte",
         Concat({{0xFE}, Repeat(0x11, 522), Hex("FE 09 FF")}),
         {"drop", "FE 09 FF"}},
    };
    for (const Case& c : cases) {
        RecordingReader reader;
        AutoFrameBuffer assembler(&reader);
        assembler.Feed(c.stream.data(), static_cast<int>(c.stream.size()));
        EXPECT_EQ(reader.events, c.events) << c.name;
    }
}

TEST(AutoFrameBuffer, OverLongFrameIsDroppedAndItsTailIgnored) {
    // 600 bytes without a stop: dropped at 524, the remaining 76 (and the stray FF) ignored.
    RecordingReader reader;
    AutoFrameBuffer assembler(&reader);
    const auto stream = Concat({{0xFE}, Repeat(0x33, 599), Hex("FF FE 44 FF")});
    assembler.Feed(stream.data(), static_cast<int>(stream.size()));
    EXPECT_EQ(reader.events, (std::vector<std::string>{"drop", "FE 44 FF"}));
}

TEST(AutoFrameBuffer, FramesSpanFeedsAndNameTheirSource) {
    RecordingReader reader;
    AutoFrameBuffer assembler(&reader);
    const auto stream = Hex("99 FE 01 02 03 FF FE 04 FF");
    for (uint8_t byte : stream) {
        assembler.Feed(&byte, 1);
    }
    EXPECT_EQ(reader.events, (std::vector<std::string>{"FE 01 02 03 FF", "FE 04 FF"}));
    EXPECT_EQ(reader.source, &assembler);
    EXPECT_FALSE(assembler.InFrame());
    EXPECT_EQ(assembler.Count(), 0u);
}

TEST(AutoFrameBuffer, ResetDiscardsThePartialFrameAndBadFeedsAreIgnored) {
    RecordingReader reader;
    AutoFrameBuffer assembler(&reader);
    const auto head = Hex("FE 01 02");
    assembler.Feed(head.data(), 3);
    EXPECT_TRUE(assembler.InFrame());
    EXPECT_EQ(assembler.Count(), 3u);
    assembler.Reset();
    assembler.Feed(nullptr, 5);
    assembler.Feed(head.data(), -1);
    const auto tail = Hex("03 FF FE 07 FF");
    assembler.Feed(tail.data(), 5);
    EXPECT_EQ(reader.events, (std::vector<std::string>{"FE 07 FF"}));
}

TEST(AutoFrameBuffer, PartialFrameSurvivesAReaderChange) {
    RecordingReader first;
    RecordingReader second;
    AutoFrameBuffer assembler(&first);
    const auto head = Hex("FE 0A");
    const auto tail = Hex("0B FF");
    assembler.Feed(head.data(), 2);
    assembler.SetFrameReader(&second);
    assembler.Feed(tail.data(), 2);
    EXPECT_TRUE(first.events.empty());
    EXPECT_EQ(second.events, (std::vector<std::string>{"FE 0A 0B FF"}));

    assembler.SetFrameReader(nullptr);
    assembler.Feed(head.data(), 2);
    assembler.Feed(tail.data(), 2);
    EXPECT_EQ(second.events.size(), 1u);
}

// Blocks inside FrameReceived until released, as a handler busy with a frame would.
class SlowReader : public FrameReader {
public:
    void FrameReceived(const uint8_t*, int, const AutoFrameBuffer*) override {
        ++active;
        entered = true;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!release && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5)); // still using the object
        --active;
        ++delivered;
    }

    std::atomic<int> active{0};
    std::atomic<int> delivered{0};
    std::atomic<bool> entered{false};
    std::atomic<bool> release{false};
};

bool WaitFor(const std::atomic<bool>& flag) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!flag && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return flag;
}

TEST(AutoFrameBuffer, SwapWaitsForTheDeliveryInProgress) {
    auto old = std::make_unique<SlowReader>();
    SlowReader* oldReader = old.get();
    RecordingReader next;
    AutoFrameBuffer assembler(oldReader);
    const auto frame = Hex("FE 01 FF");

    std::thread io([&] { assembler.Feed(frame.data(), 3); });
    ASSERT_TRUE(WaitFor(oldReader->entered));

    std::atomic<bool> swapped{false};
    int activeAfterSwap = -1;
    std::thread hand([&] {
        assembler.SetFrameReader(&next);
        activeAfterSwap = oldReader->active;
        swapped = true;
        old.reset(); // the short-lived handler goes away right after the hand-over
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(swapped) << "the swap returned while the old reader was still delivering";
    oldReader->release = true;
    hand.join();
    io.join();
    EXPECT_EQ(activeAfterSwap, 0);

    assembler.Feed(frame.data(), 3);
    EXPECT_EQ(next.events, (std::vector<std::string>{"FE 01 FF"}));
}

// A reader that hands the assembler on from inside its own callback.
class HandOverReader : public FrameReader {
public:
    HandOverReader(AutoFrameBuffer*& assembler, FrameReader* target)
        : assembler_(assembler), target_(target) {}
    void FrameReceived(const uint8_t*, int, const AutoFrameBuffer*) override {
        ++frames;
        assembler_->SetFrameReader(target_);
    }
    int frames = 0;

private:
    AutoFrameBuffer*& assembler_;
    FrameReader* target_;
};

TEST(AutoFrameBuffer, ReaderMayRebindFromItsOwnCallback) {
    RecordingReader target;
    AutoFrameBuffer* pointer = nullptr;
    HandOverReader first(pointer, &target);
    AutoFrameBuffer assembler(&first);
    pointer = &assembler;
    const auto stream = Hex("FE 01 FF FE 02 FF");
    assembler.Feed(stream.data(), 6);
    EXPECT_EQ(first.frames, 1);
    EXPECT_EQ(target.events, (std::vector<std::string>{"FE 02 FF"}));
}

} // namespace
