#include "io/UECP_IO.h"
#include "FrameCollector.h"
#include "TrafficRecorder.h"
#include "WaitUntil.h"
#include "base/TCP_ConnectionParams.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
constexpr int kSlackMs = 3000;

// A transport on the queued path whose link is memory: WriteBytes appends to written (as far
// as the writer mode allows), ReadBytes takes from input.
class MemoryTransport : public UECP_IO {
public:
    enum class Writer { TakesAll, TakesNothing, Fails };

    using UECP_IO::UECP_IO;
    ~MemoryTransport() override { Stop(); }

    UECP_IO_Error Open(uint32_t sendTimeout) {
        TCP_ConnectionParams p;
        p.sendTimeout = sendTimeout;
        const UECP_IO_Error r = SetParams(p);
        if (r != IDS_ERR_OK)
            return r;
        open_ = true;
        Start();
        return IDS_ERR_OK;
    }
    void Close(bool) override {
        Stop();
        open_ = false;
    }

    void SetWriter(Writer w) { writer_ = w; }
    void AddInput(const Bytes& bytes) {
        std::lock_guard<std::mutex> lock(mutex_);
        input_.insert(input_.end(), bytes.begin(), bytes.end());
    }
    void FailReads() { readsFail_ = true; }
    Bytes Written() {
        std::lock_guard<std::mutex> lock(mutex_);
        return written_;
    }

    int WriteBytes(const uint8_t* data, int len) override {
        if (writer_ == Writer::Fails)
            return -2;
        if (writer_ == Writer::TakesNothing)
            return 0;
        std::lock_guard<std::mutex> lock(mutex_);
        written_.insert(written_.end(), data, data + len);
        return len;
    }
    int ReadBytes(uint8_t* buf, int size) override {
        if (readsFail_)
            return -1;
        std::lock_guard<std::mutex> lock(mutex_);
        const int n = std::min<int>(size, int(input_.size()));
        std::copy(input_.begin(), input_.begin() + n, buf);
        input_.erase(input_.begin(), input_.begin() + n);
        return n;
    }

    std::atomic<int> queued{0};
    std::atomic<int> writeErrors{0};
    std::atomic<int> readErrors{0};

protected:
    void OnSendQueued() override { ++queued; }
    void OnWriteError() override { ++writeErrors; }
    void OnReadError() override { ++readErrors; }

private:
    std::atomic<Writer> writer_{Writer::TakesAll};
    std::atomic<bool> readsFail_{false};
    std::mutex mutex_;
    Bytes written_;
    Bytes input_;
};

Bytes Pattern(std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = uint8_t(i * 13 + 1);
    return b;
}

TEST(QueuedTransport, SendIsWrittenByTheIoThreadAndShownToTheHooks) {
    TrafficRecorder hooks;
    MemoryTransport io(nullptr);
    ASSERT_EQ(io.Open(2000), IDS_ERR_OK);
    const Bytes data = Pattern(700); // several 256-byte steps
    EXPECT_EQ(io.Send(data.data(), int(data.size())), IDS_ERR_OK);
    EXPECT_EQ(io.Written(), data);
    EXPECT_EQ(hooks.Sent(), data);
    EXPECT_EQ(io.queued, 1);
}

TEST(QueuedTransport, SendFailures) {
    struct Case {
        const char* what;
        bool open;
        MemoryTransport::Writer writer;
        std::size_t length;
        UECP_IO_Error expected;
        int writeErrors;
    };
    const Case cases[] = {
        {"not open", false, MemoryTransport::Writer::TakesAll, 10, IDS_ERR_DEVICE_NOT_OPEN, 0},
        {"larger than the queue", true, MemoryTransport::Writer::TakesAll,
         std::size_t(UECP_IO::kSendQueueSize) + 1, IDS_ERR_SEND_BUFFER_FULL, 0},
        {"link takes nothing", true, MemoryTransport::Writer::TakesNothing, 10,
         IDS_ERR_SEND_TIMEOUT, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TrafficRecorder hooks;
        MemoryTransport io(nullptr);
        io.SetWriter(c.writer);
        if (c.open) {
            ASSERT_EQ(io.Open(200), IDS_ERR_OK);
        }
        const Bytes data = Pattern(c.length);
        EXPECT_EQ(io.Send(data.data(), int(data.size())), c.expected);
        EXPECT_EQ(io.writeErrors, c.writeErrors);
        EXPECT_TRUE(io.Written().empty());
        EXPECT_TRUE(hooks.Sent().empty());
    }
}

TEST(QueuedTransport, FailingLinkReportsWriteErrorsAndClearDropsStaleBytes) {
    TrafficRecorder hooks;
    MemoryTransport io(nullptr);
    io.SetWriter(MemoryTransport::Writer::Fails);
    ASSERT_EQ(io.Open(200), IDS_ERR_OK);
    const Bytes stale = Pattern(20);
    EXPECT_EQ(io.Send(stale.data(), int(stale.size())), IDS_ERR_SEND_TIMEOUT);
    EXPECT_GE(io.writeErrors, 2); // the IO thread's failed writes, then the time-out

    // The next request starts with an empty queue: the stale bytes never go out.
    io.ClearSendBuffer();
    io.SetWriter(MemoryTransport::Writer::TakesAll);
    const Bytes fresh = {0xFE, 0x01, 0xFF};
    EXPECT_EQ(io.Send(fresh.data(), int(fresh.size())), IDS_ERR_OK);
    EXPECT_EQ(io.Written(), fresh);
    EXPECT_EQ(hooks.Sent(), fresh);
}

TEST(QueuedTransport, ReceivedBytesReachHooksBeforeTheReader) {
    TrafficRecorder hooks;
    FrameCollector reader(&hooks);
    MemoryTransport io(&reader);
    ASSERT_EQ(io.Open(1000), IDS_ERR_OK);
    Bytes frame(400, 0x30);
    frame.front() = 0xFE;
    frame.back() = 0xFF;
    io.AddInput(frame);
    ASSERT_TRUE(WaitUntil([&] { return reader.Count() == 1; }, kSlackMs));
    EXPECT_EQ(reader.Frames()[0], frame);
    EXPECT_EQ(reader.HookBytesAtFrame()[0], frame.size());
    for (std::size_t chunk : hooks.ReceivedChunks())
        EXPECT_LE(chunk, std::size_t(UECP_IO::kScratchSize));

    io.FailReads();
    EXPECT_TRUE(WaitUntil([&] { return io.readErrors > 0; }, kSlackMs));
}

TEST(QueuedTransport, NewReaderGetsLaterFramesAndThePartialOne) {
    TrafficRecorder hooks;
    FrameCollector first(&hooks);
    FrameCollector second(&hooks);
    MemoryTransport io(&first);
    ASSERT_EQ(io.Open(1000), IDS_ERR_OK);

    io.AddInput({0xFE, 0x11, 0xFF, 0xFE, 0x22});
    ASSERT_TRUE(WaitUntil([&] { return hooks.ReceivedCount() == 5; }, kSlackMs));
    io.SetFrameReader(&second);
    io.AddInput({0x23, 0xFF});
    ASSERT_TRUE(WaitUntil([&] { return second.Count() == 1; }, kSlackMs));
    EXPECT_EQ(first.Frames(), std::vector<Bytes>{Bytes({0xFE, 0x11, 0xFF})});
    EXPECT_EQ(second.Frames(), std::vector<Bytes>{Bytes({0xFE, 0x22, 0x23, 0xFF})});
}

TEST(QueuedTransport, ParamsAreReplacedOnlyWhileClosed) {
    MemoryTransport io(nullptr);
    EXPECT_EQ(io.Params(), nullptr);
    TCP_ConnectionParams p("10.0.0.1", 1000);
    p.readTimeout = 111;
    EXPECT_EQ(io.SetParams(p), IDS_ERR_OK);
    ASSERT_NE(io.Params(), nullptr);
    EXPECT_EQ(io.Params()->readTimeout, 111u);

    ASSERT_EQ(io.Open(500), IDS_ERR_OK);
    TCP_ConnectionParams other("10.0.0.2", 2000);
    EXPECT_EQ(io.SetParams(other), IDS_ERR_DEVICE_ALREADY_OPEN);
    EXPECT_EQ(io.Params()->sendTimeout, 500u);
    io.Close(false);
    EXPECT_EQ(io.SetParams(other), IDS_ERR_OK);
    EXPECT_EQ(io.Params()->sendTimeout, other.sendTimeout);
}

struct Report {
    std::atomic<int> calls{0};
    std::atomic<int> code{-1};
};

void Record(UECP_IO*, int event, int code, void* context) {
    auto* r = static_cast<Report*>(context);
    r->code = event == 1 ? code : -100;
    ++r->calls;
}

TEST(QueuedTransport, OpenResultIsReportedOnlyWhileTheThreadExists) {
    Report report;
    MemoryTransport io(nullptr);
    TCP_ConnectionParams p;
    p.openCallback = &Record;
    p.callbackContext = &report;
    ASSERT_EQ(io.SetParams(p), IDS_ERR_OK);
    io.NotifyOpenResult(IDS_ERR_CONNECT);
    EXPECT_EQ(report.calls, 0);
    ASSERT_TRUE(io.Start());
    io.NotifyOpenResult(IDS_ERR_CONNECT);
    EXPECT_EQ(report.calls, 1);
    EXPECT_EQ(report.code, IDS_ERR_CONNECT);
}

} // namespace
