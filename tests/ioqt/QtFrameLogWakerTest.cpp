#include "io/qt/QtFrameLogWaker.h"
#include "io/IOFrameLog.h"
#include "io/IOHookList.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

class RecordingLog : public IOFrameLog {
public:
    RecordingLog() : IOFrameLog(std::make_unique<QtFrameLogWaker>()) {}
    ~RecordingLog() override { Stop(); }

    struct Entry {
        int direction;
        std::vector<uint8_t> frame;
        QThread* thread;
    };
    std::vector<Entry> entries;

protected:
    void OnFrameLogged(const uint8_t* frame, int len, int direction) override {
        entries.push_back(
            {direction, std::vector<uint8_t>(frame, frame + len), QThread::currentThread()});
    }
};

class QtFrameLogWakerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "test_ioqt";
        static char* argv[] = {name, nullptr};
        app = new QCoreApplication(argc, argv);
    }
    static void TearDownTestSuite() {
        delete app;
        app = nullptr;
    }

    // Runs the event loop until done() or a generous bound has passed.
    static bool ProcessUntil(const std::function<bool()>& done) {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return done();
    }

    static inline QCoreApplication* app = nullptr;
};

TEST_F(QtFrameLogWakerTest, FramesSeenOnAnIoThreadAreDeliveredOnTheCreatingThread) {
    RecordingLog log;
    log.Start();
    // A worker sends the request, then the IO thread receives the answer.
    std::thread worker([] {
        const uint8_t request[] = {0xFE, 0x00, 0x00, 0x00, 0x01, 0x2D, 0x52, 0x53, 0xFF};
        IOHookList::Global().Notify(request, sizeof(request), 1);
        const uint8_t answer[] = {0xFE, 0x00, 0x00, 0x00, 0x02, 0x18, 0x00, 0x52, 0x53, 0xFF};
        IOHookList::Global().Notify(answer, 4, 0);
        IOHookList::Global().Notify(answer + 4, sizeof(answer) - 4, 0);
    });
    worker.join();
    EXPECT_TRUE(log.entries.empty()) << "frames must wait for the event loop";

    ASSERT_TRUE(ProcessUntil([&] { return log.entries.size() == 2; }));
    EXPECT_EQ(log.entries[0].direction, 1);
    EXPECT_EQ(log.entries[0].frame.size(), 9u);
    EXPECT_EQ(log.entries[1].direction, 0);
    EXPECT_EQ(log.entries[1].frame,
              (std::vector<uint8_t>{0xFE, 0x00, 0x00, 0x00, 0x02, 0x18, 0x00, 0x52, 0x53, 0xFF}));
    for (const auto& entry : log.entries) {
        EXPECT_EQ(entry.thread, QCoreApplication::instance()->thread());
    }
}

TEST_F(QtFrameLogWakerTest, OneDeliveryPerFrameInOrderPerDirection) {
    RecordingLog log;
    log.Start();
    constexpr int kFrames = 200;
    auto traffic = [](int direction) {
        for (int i = 0; i < kFrames; ++i) {
            const uint8_t frame[] = {0xFE, static_cast<uint8_t>(i), 0xFF};
            IOHookList::Global().Notify(frame, 3, direction);
        }
    };
    std::thread tx(traffic, 1);
    std::thread rx(traffic, 0);
    tx.join();
    rx.join();
    ASSERT_TRUE(ProcessUntil([&] { return log.entries.size() == 2 * kFrames; }));
    QCoreApplication::processEvents(); // nothing further may arrive
    ASSERT_EQ(log.entries.size(), static_cast<size_t>(2 * kFrames));
    int next[2] = {0, 0};
    for (const auto& entry : log.entries) {
        ASSERT_EQ(entry.frame.size(), 3u);
        EXPECT_EQ(entry.frame[1], next[entry.direction]++);
    }
}

TEST_F(QtFrameLogWakerTest, PendingWakesDieWithTheLog) {
    auto log = std::make_unique<RecordingLog>();
    log->Start();
    const uint8_t frame[] = {0xFE, 0x01, 0xFF};
    std::thread io([] {
        const uint8_t bytes[] = {0xFE, 0x01, 0xFF};
        IOHookList::Global().Notify(bytes, 3, 0);
    });
    io.join();
    log.reset(); // the posted wake must not reach the destroyed log
    QCoreApplication::processEvents();
    IOHookList::Global().Notify(frame, 3, 0); // detached: nobody listens
    QCoreApplication::processEvents();
    EXPECT_EQ(IOHookList::Global().Count(), 0);
}

} // namespace
