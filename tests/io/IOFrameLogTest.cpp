#include "io/IOFrameLog.h"
#include "io/IOHookList.h"
#include "io/PolledFrameLogWaker.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string Line(const uint8_t* frame, int len, int direction) {
    std::string out = direction == 1 ? "->" : "<-";
    char part[4];
    for (int i = 0; i < len; ++i) {
        std::snprintf(part, sizeof(part), " %02X", frame[i]);
        out += part;
    }
    return out;
}

class RecordingLog : public IOFrameLog {
public:
    explicit RecordingLog(std::unique_ptr<FrameLogWaker> waker) : IOFrameLog(std::move(waker)) {}
    ~RecordingLog() override { Stop(); }

    std::vector<std::string> lines;
    std::vector<std::thread::id> threads;

protected:
    void OnFrameLogged(const uint8_t* frame, int len, int direction) override {
        lines.push_back(Line(frame, len, direction));
        threads.push_back(std::this_thread::get_id());
    }
};

class IOFrameLogTest : public ::testing::Test {
protected:
    IOFrameLogTest() {
        auto owned = std::make_unique<PolledFrameLogWaker>();
        waker = owned.get();
        log = std::make_unique<RecordingLog>(std::move(owned));
    }

    // Traffic as a transport reports it, from a thread of its own.
    static void Traffic(const std::vector<uint8_t>& bytes, int direction) {
        std::thread io([&] {
            IOHookList::Global().Notify(bytes.data(), static_cast<int>(bytes.size()), direction);
        });
        io.join();
    }

    PolledFrameLogWaker* waker = nullptr;
    std::unique_ptr<RecordingLog> log;
};

TEST_F(IOFrameLogTest, RequestAndAnswerArriveOnTheOwningThreadInOrder) {
    log->Start();
    // The request goes out in two chunks; the answer carries an acknowledgement first.
    Traffic({0xFE, 0x00, 0x00, 0x00}, 1);
    Traffic({0x01, 0x18, 0x52, 0x53, 0xFF}, 1);
    Traffic({0xFE, 0x00, 0x00, 0x00, 0x02, 0x18, 0x00, 0x52, 0x53, 0xFF, 0xFE, 0x01, 0xFF}, 0);
    EXPECT_TRUE(log->lines.empty()) << "delivery must wait for the owning thread";
    EXPECT_EQ(waker->Pending(), 3);

    EXPECT_EQ(waker->Pump(), 3);
    EXPECT_EQ(log->lines, (std::vector<std::string>{
                              "-> FE 00 00 00 01 18 52 53 FF",
                              "<- FE 00 00 00 02 18 00 52 53 FF",
                              "<- FE 01 FF",
                          }));
    for (std::thread::id id : log->threads) {
        EXPECT_EQ(id, std::this_thread::get_id());
    }
}

TEST_F(IOFrameLogTest, PartialAndOverLongFramesAreNotLogged) {
    log->Start();
    std::vector<uint8_t> overLong(600, 0x11);
    overLong.front() = 0xFE;
    Traffic(overLong, 0);
    Traffic({0xFE, 0x22, 0xFE, 0x33, 0xFF, 0x44, 0xFE, 0x55}, 0);
    waker->Pump();
    EXPECT_EQ(log->lines, (std::vector<std::string>{"<- FE 33 FF"}));
}

TEST_F(IOFrameLogTest, StoppedLogSeesNothingAndStartDiscardsWhatWaited) {
    Traffic({0xFE, 0x01, 0xFF}, 1); // not started yet
    EXPECT_EQ(log->Queued(1), 0);

    log->Start();
    log->Start(); // already started: attaches only once
    EXPECT_EQ(IOHookList::Global().Count(), 1);
    Traffic({0xFE, 0x02, 0xFF, 0xFE, 0x03}, 1);
    log->Stop();
    EXPECT_EQ(IOHookList::Global().Count(), 0);
    Traffic({0x04, 0xFF}, 1);
    EXPECT_EQ(log->Queued(1), 1);

    log->Start(); // empties the queues and the partial frame
    EXPECT_EQ(log->Queued(1), 0);
    Traffic({0x05, 0xFF, 0xFE, 0x06, 0xFF}, 1);
    EXPECT_EQ(waker->Pump(), 2); // one stale wake finds the new frame, the next finds none
    EXPECT_EQ(log->lines, (std::vector<std::string>{"-> FE 06 FF"}));
}

TEST_F(IOFrameLogTest, ManyFramesFromTwoThreadsKeepTheirOrderPerDirection) {
    log->Start();
    constexpr int kFrames = 250; // sequence bytes stay below the reserved 0xFD
    auto sender = [](int direction) {
        for (int i = 0; i < kFrames; ++i) {
            const uint8_t frame[] = {0xFE, static_cast<uint8_t>(direction), static_cast<uint8_t>(i),
                                     0xFF};
            IOHookList::Global().Notify(frame, 4, direction);
        }
    };
    std::thread tx(sender, 1);
    std::thread rx(sender, 0);
    tx.join();
    rx.join();
    EXPECT_EQ(waker->Pump(), 2 * kFrames);
    int next[2] = {0, 0};
    ASSERT_EQ(log->lines.size(), static_cast<size_t>(2 * kFrames));
    for (const std::string& line : log->lines) {
        const int direction = line[0] == '-' ? 1 : 0;
        char expected[32];
        std::snprintf(expected, sizeof(expected), "%s FE %02X %02X FF", direction ? "->" : "<-",
                      direction, next[direction]);
        EXPECT_EQ(line, expected);
        ++next[direction];
    }
}

TEST(IOFrameLog, WithoutAWakerTheOwnerTakesFramesItself) {
    RecordingLog log(nullptr);
    log.Start();
    const uint8_t frame[] = {0xFE, 0x09, 0xFF};
    IOHookList::Global().Notify(frame, 3, 0);
    EXPECT_FALSE(log.DeliverNext(1));
    EXPECT_TRUE(log.DeliverNext(0));
    EXPECT_FALSE(log.DeliverNext(0));
    EXPECT_FALSE(log.DeliverNext(5));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"<- FE 09 FF"}));
}

} // namespace
