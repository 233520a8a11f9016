#include "io/TCP_UECP_IO_2.h"
#include "FrameCollector.h"
#include "LoopbackServer.h"
#include "TrafficRecorder.h"
#include "UnansweringHost.h"
#include "WaitUntil.h"
#include "base/TCP_ConnectionParams.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#ifndef _WIN32
#include <ctime>
#endif

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<uint8_t>;

// Generous bound for anything that should happen "at once" or just after a time-out, so that a
// busy machine does not fail the tests.
constexpr int kSlackMs = 3000;

long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// CPU time the calling thread has used, in ms.
double ThreadCpuMs() {
#ifndef _WIN32
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
#else
    return 0.0;
#endif
}

// The transport with its hooks made visible.
class ObservedTcp : public TCP_UECP_IO_2 {
public:
    using TCP_UECP_IO_2::TCP_UECP_IO_2;
    ~ObservedTcp() override { Stop(); }

    std::atomic<int> peerClosed{0};
    std::atomic<int> writeErrors{0};
    std::atomic<int> readErrors{0};
    std::atomic<int> framesAtPeerClose{-1};
    FrameCollector* collector = nullptr;

protected:
    void OnPeerClosed() override {
        if (collector != nullptr)
            framesAtPeerClose = int(collector->Count());
        ++peerClosed;
    }
    void OnWriteError() override { ++writeErrors; }
    void OnReadError() override { ++readErrors; }
};

TCP_ConnectionParams Params(uint16_t port, const char* host = "127.0.0.1") {
    TCP_ConnectionParams p(host, port);
    p.connectTimeout = 2000;
    p.readTimeout = 2000;
    p.sendTimeout = 2000;
    return p;
}

Bytes Frame(std::size_t payload, uint8_t fill) {
    Bytes f(payload + 2, fill);
    f.front() = 0xFE;
    f.back() = 0xFF;
    return f;
}

Bytes Concat(const Bytes& a, const Bytes& b) {
    Bytes r = a;
    r.insert(r.end(), b.begin(), b.end());
    return r;
}

TEST(TcpTransport, ExchangesFramesAndShowsTrafficToHooksFirst) {
    LoopbackServer server(LoopbackServer::Mode::Echo);
    TrafficRecorder hooks;
    FrameCollector reader(&hooks);
    ObservedTcp io(&reader);

    ASSERT_EQ(io.Open(Params(server.Port())), IDS_ERR_OK);
    EXPECT_TRUE(io.IsOpen());
    EXPECT_FALSE(io.IsOpening());
    EXPECT_EQ(io.Address(), SocketApi::LoopbackAddress()); // "127.0.0.1" with address 0

    // Two frames in one send, longer together than one 256-byte read step.
    const Bytes first = Frame(300, 0x41);
    const Bytes second = Frame(5, 0x42);
    const Bytes both = Concat(first, second);
    ASSERT_EQ(io.Send(both.data(), int(both.size())), IDS_ERR_OK);

    ASSERT_TRUE(WaitUntil([&] { return reader.Count() == 2; }, kSlackMs));
    EXPECT_EQ(reader.Frames(), (std::vector<Bytes>{first, second}));
    EXPECT_EQ(hooks.Sent(), both);
    EXPECT_EQ(hooks.Received(), both);
    // Each frame's bytes had reached the hooks before the assembler delivered it.
    const std::vector<std::size_t> seen = reader.HookBytesAtFrame();
    EXPECT_GE(seen[0], first.size());
    EXPECT_GE(seen[1], both.size());
    for (std::size_t chunk : hooks.ReceivedChunks())
        EXPECT_LE(chunk, 256u);
    const std::vector<int> order = hooks.Order();
    EXPECT_EQ(order.front(), IOHook::kSent);
    EXPECT_EQ(order.back(), IOHook::kReceived);

    io.Close(false);
    EXPECT_FALSE(io.IsOpen());
}

TEST(TcpTransport, OpenFailsWithConnectError) {
    UnansweringHost silent;
    ASSERT_TRUE(silent.IsBlocked()) << "could not fill the listener's accept queue";
    const std::string overlong = std::string(80, 'x') + ".invalid"; // no resolver knows it

    struct Case {
        const char* what;
        std::string host;
        uint16_t port;
        uint32_t connectTimeout;
    };
    const Case cases[] = {
        {"nothing listens", "127.0.0.1", LoopbackServer::UnusedPort(), 2000},
        {"host does not resolve", overlong, 6666, 2000},
        {"host never answers", "127.0.0.1", silent.Port(), 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TrafficRecorder hooks;
        ObservedTcp io(nullptr);
        TCP_ConnectionParams p = Params(c.port, c.host.c_str());
        p.connectTimeout = c.connectTimeout;

        const auto start = Clock::now();
        EXPECT_EQ(io.Open(p), IDS_ERR_CONNECT);
        const long long took = MsSince(start);
        if (c.port == silent.Port()) {
            EXPECT_GE(took, c.connectTimeout - 2);
        }
        EXPECT_LT(took, c.connectTimeout + kSlackMs);

        EXPECT_FALSE(io.IsOpen());
        EXPECT_FALSE(io.IsOpening());
        const uint8_t byte = 0x55;
        EXPECT_EQ(io.Send(&byte, 1), IDS_ERR_DEVICE_NOT_OPEN); // no socket is left
        EXPECT_TRUE(hooks.Sent().empty());
    }
}

TEST(TcpTransport, GivenAddressIsUsedWithoutResolvingTheHost) {
    LoopbackServer server(LoopbackServer::Mode::Hold);
    ObservedTcp io(nullptr);
    TCP_ConnectionParams p = Params(server.Port(), "no such host");
    p.address = SocketApi::LoopbackAddress();
    ASSERT_EQ(io.Open(p), IDS_ERR_OK);
    EXPECT_TRUE(server.WaitAccepted(kSlackMs));
    EXPECT_STREQ(io.Host(), "no such host");
}

TEST(TcpTransport, OpenAndSetParamsWhileOpenKeepConnectionAndParams) {
    LoopbackServer server(LoopbackServer::Mode::Hold);
    ObservedTcp io(nullptr);
    TCP_ConnectionParams p = Params(server.Port());
    p.sendTimeout = 1234;
    ASSERT_EQ(io.Open(p), IDS_ERR_OK);

    TCP_ConnectionParams other = Params(LoopbackServer::UnusedPort());
    other.sendTimeout = 99;
    EXPECT_EQ(io.Open(other), IDS_ERR_DEVICE_ALREADY_OPEN);
    EXPECT_EQ(io.SetParams(other), IDS_ERR_DEVICE_ALREADY_OPEN);

    const auto* kept = dynamic_cast<const TCP_ConnectionParams*>(io.Params());
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->port, server.Port());
    EXPECT_EQ(kept->sendTimeout, 1234u);
    EXPECT_EQ(io.Port(), server.Port());

    const Bytes frame = Frame(3, 0x10);
    EXPECT_EQ(io.Send(frame.data(), int(frame.size())), IDS_ERR_OK);
    EXPECT_TRUE(server.WaitReceived(frame.size(), kSlackMs));
    EXPECT_EQ(server.Received(), frame);
}

TEST(TcpTransport, SendOfNothingSucceedsWithoutHooks) {
    LoopbackServer server(LoopbackServer::Mode::Hold);
    TrafficRecorder hooks;
    ObservedTcp io(nullptr);
    ASSERT_EQ(io.Open(Params(server.Port())), IDS_ERR_OK);
    const uint8_t byte = 0;
    EXPECT_EQ(io.Send(&byte, 0), IDS_ERR_OK);
    EXPECT_EQ(io.Send(nullptr, 0), IDS_ERR_OK);
    EXPECT_EQ(io.Send(&byte, -5), IDS_ERR_OK);
    EXPECT_TRUE(hooks.Sent().empty());
    EXPECT_EQ(io.writeErrors, 0);
}

TEST(TcpTransport, PeerResetDuringSendTimesOutWithoutSignalOrSpinning) {
    // The server takes a little, then resets the connection while the big send is under way.
    LoopbackServer server(LoopbackServer::Mode::Reset, 64 * 1024);
    TrafficRecorder hooks;
    ObservedTcp io(nullptr);
    TCP_ConnectionParams p = Params(server.Port());
    p.sendTimeout = 1000;
    ASSERT_EQ(io.Open(p), IDS_ERR_OK);

    Bytes data(32u << 20);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = uint8_t(i * 7 + (i >> 11));

    const double cpuBefore = ThreadCpuMs();
    auto start = Clock::now();
    EXPECT_EQ(io.Send(data.data(), int(data.size())), IDS_ERR_SEND_TIMEOUT);
    const long long took = MsSince(start);
    const double cpu = ThreadCpuMs() - cpuBefore;
    EXPECT_GE(took, 1000 - 2); // both clocks count whole ms
    EXPECT_LT(took, 1000 + kSlackMs);
    EXPECT_EQ(io.writeErrors, 1);
    // The hooks saw exactly what the socket took: a prefix of the data, not all of it.
    const Bytes sent = hooks.Sent();
    EXPECT_GE(sent.size(), 64u * 1024);
    ASSERT_LT(sent.size(), data.size());
    EXPECT_TRUE(std::equal(sent.begin(), sent.end(), data.begin()));
#ifndef _WIN32
    // Waiting on a dead socket must sleep, not spin.
    EXPECT_LT(cpu, 0.25 * double(took));
#endif

    // The IO thread has seen the end of the connection; a later send gets nothing through.
    EXPECT_TRUE(WaitUntil([&] { return io.peerClosed == 1; }, kSlackMs));
    EXPECT_TRUE(io.IsOpen());
    start = Clock::now();
    const Bytes frame = Frame(4, 0x20);
    EXPECT_EQ(io.Send(frame.data(), int(frame.size())), IDS_ERR_SEND_TIMEOUT);
    EXPECT_GE(MsSince(start), 1000 - 2);
    EXPECT_EQ(hooks.Sent().size(), sent.size());
}

TEST(TcpTransport, DataBeforePeerCloseIsDeliveredThenTheThreadEnds) {
    LoopbackServer server(LoopbackServer::Mode::Hold);
    TrafficRecorder hooks;
    FrameCollector reader(&hooks);
    ObservedTcp io(&reader);
    io.collector = &reader;
    ASSERT_EQ(io.Open(Params(server.Port())), IDS_ERR_OK);
    ASSERT_TRUE(server.WaitAccepted(kSlackMs));

    const Bytes frame = Frame(10, 0x33);
    server.SendToClient(frame);
    server.CloseClient();

    ASSERT_TRUE(WaitUntil([&] { return io.peerClosed == 1; }, kSlackMs));
    EXPECT_EQ(io.framesAtPeerClose, 1);
    EXPECT_EQ(reader.Frames(), std::vector<Bytes>{frame});
    EXPECT_TRUE(io.IsOpen()); // the loss shows up only in later sends and waits
    EXPECT_EQ(io.readErrors, 0);

    const auto start = Clock::now();
    io.Close(false); // the peer is gone: no drain wait
    EXPECT_LT(MsSince(start), 2000);
    EXPECT_FALSE(io.IsOpen());
}

TEST(TcpTransport, CloseDrainsOnlyWhenGracefulAndOnlyUntilReadTimeout) {
    struct Case {
        const char* what;
        LoopbackServer::Mode mode;
        bool abort;
        uint32_t readTimeout;
        bool waitsForTimeout;
    };
    const Case cases[] = {
        {"graceful, peer keeps the connection", LoopbackServer::Mode::Hold, false, 400, true},
        {"graceful, peer closes in turn", LoopbackServer::Mode::Echo, false, 6000, false},
        {"abortive, peer keeps the connection", LoopbackServer::Mode::Hold, true, 6000, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LoopbackServer server(c.mode);
        ObservedTcp io(nullptr);
        TCP_ConnectionParams p = Params(server.Port());
        p.readTimeout = c.readTimeout;
        ASSERT_EQ(io.Open(p), IDS_ERR_OK);
        ASSERT_TRUE(server.WaitAccepted(kSlackMs));

        const auto start = Clock::now();
        io.Close(c.abort);
        const long long took = MsSince(start);
        if (c.waitsForTimeout) {
            EXPECT_GE(took, c.readTimeout - 2);
            EXPECT_LT(took, c.readTimeout + kSlackMs);
        } else {
            EXPECT_LT(took, c.readTimeout / 2);
        }
        EXPECT_FALSE(io.IsOpen());
        if (c.mode == LoopbackServer::Mode::Echo) {
            EXPECT_TRUE(server.WaitClientGone(kSlackMs));
        }
    }
}

struct OpenReport {
    std::atomic<int> calls{0};
    std::atomic<int> event{-1};
    std::atomic<int> code{-1};
    std::atomic<UECP_IO*> transport{nullptr};
};

void RecordOpen(UECP_IO* transport, int event, int code, void* context) {
    auto* report = static_cast<OpenReport*>(context);
    report->transport = transport;
    report->event = event;
    report->code = code;
    ++report->calls;
}

TEST(TcpTransport, AsyncOpenReportsItsResultThroughTheCallback) {
    LoopbackServer server(LoopbackServer::Mode::Echo);
    const struct {
        const char* what;
        uint16_t port;
        UECP_IO_Error expected;
    } cases[] = {
        {"listener", server.Port(), IDS_ERR_OK},
        {"nothing listens", LoopbackServer::UnusedPort(), IDS_ERR_CONNECT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        OpenReport report;
        FrameCollector reader;
        ObservedTcp io(&reader);
        TCP_ConnectionParams p = Params(c.port);
        p.asyncOpen = true;
        p.openCallback = &RecordOpen;
        p.callbackContext = &report;

        ASSERT_EQ(io.Open(p), IDS_ERR_OK);
        ASSERT_TRUE(WaitUntil([&] { return report.calls == 1; }, kSlackMs));
        EXPECT_EQ(report.event, 1);
        EXPECT_EQ(report.code, c.expected);
        EXPECT_EQ(report.transport, &io);
        EXPECT_EQ(io.IsOpen(), c.expected == IDS_ERR_OK);
        EXPECT_FALSE(io.IsOpening());
        if (c.expected == IDS_ERR_OK) {
            const Bytes frame = Frame(2, 0x01);
            EXPECT_EQ(io.Send(frame.data(), int(frame.size())), IDS_ERR_OK);
            EXPECT_TRUE(WaitUntil([&] { return reader.Count() == 1; }, kSlackMs));
        }
        io.Close(true);
        EXPECT_EQ(report.calls, 1);
    }
}

TEST(TcpTransport, CloseCancelsAnAsyncConnectWithoutReport) {
    UnansweringHost silent;
    ASSERT_TRUE(silent.IsBlocked()) << "could not fill the listener's accept queue";
    OpenReport report;
    ObservedTcp io(nullptr);
    TCP_ConnectionParams p = Params(silent.Port());
    p.connectTimeout = 20000;
    p.asyncOpen = true;
    p.openCallback = &RecordOpen;
    p.callbackContext = &report;

    ASSERT_EQ(io.Open(p), IDS_ERR_OK);
    EXPECT_TRUE(io.IsOpening());
    const auto start = Clock::now();
    io.Close(true);
    EXPECT_LT(MsSince(start), kSlackMs);
    EXPECT_EQ(report.calls, 0);
    EXPECT_FALSE(io.IsOpen());
    EXPECT_FALSE(io.IsOpening());
}

} // namespace
