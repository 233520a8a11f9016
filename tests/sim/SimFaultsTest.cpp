#include "SimClient.h"
#include "base/TestHex.h"
#include "sim/ModuleDevice.h"
#include "sim/SimFaultInjector.h"
#include "sim/SimScenario.h"
#include "sim/SimServer.h"
#include "sim/SimTrace.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

SimRequest Uecp(const std::string& message) {
    SimRequest r;
    r.sequence = 4;
    r.message = Hex(message);
    return r;
}

SimRequest Loader(const std::string& payload) {
    SimRequest r;
    r.kind = SimFrameKind::Loader;
    r.message = Hex(payload);
    return r;
}

// "U:18 00 04 | L+20:06 00" - kind, extra delay and message of each frame.
std::string Frames(const SimReply& reply) {
    std::string out;
    for (const SimFrame& f : reply.frames) {
        out += out.empty() ? "" : " | ";
        out += f.kind == SimFrameKind::Loader ? "L" : "U";
        out += f.delayMs != 0 ? "+" + std::to_string(f.delayMs) : "";
        out += ":" + ToHex(f.message);
    }
    return out;
}

SimOptions Parsed(std::vector<const char*> args) {
    args.insert(args.begin(), "zelta-sim");
    SimOptions o;
    std::string error;
    EXPECT_EQ(ParseSimOptions(static_cast<int>(args.size()), args.data(), o, error),
              SimParseResult::Run)
        << error;
    return o;
}

// Each fault as the device model's reply shows it, the second time too.
TEST(SimFaults, WhatEachFaultDoesToAReply) {
    const struct {
        std::vector<const char*> args;
        ModuleMode mode;
        SimRequest request;
        const char* first;
        const char* second;
    } cases[] = {
        {{"--ignore", "NS:02/1"},
         ModuleMode::Application,
         Uecp("2D 03 4E 53 02"),
         "",
         "U:18 00 04 | U:2D 04 4E 53 02 01"},
        {{"--no-ack", "NS:02"},
         ModuleMode::Application,
         Uecp("2D 03 4E 53 02"),
         "U:2D 04 4E 53 02 01",
         "U:2D 04 4E 53 02 01"},
        {{"--nack", "NS:02/1,13"},
         ModuleMode::Application,
         Uecp("2D 03 4E 53 02"),
         "U:18 0D 04",
         "U:18 00 04 | U:2D 04 4E 53 02 01"},
        {{"--answer-size", "NS:02,2"},
         ModuleMode::Application,
         Uecp("2D 03 4E 53 02"),
         "U:18 00 04 | U:2D 06 4E 53 02 01 00 00",
         "U:18 00 04 | U:2D 06 4E 53 02 01 00 00"},
        {{"--answer-size", "NS:02/1,-1"},
         ModuleMode::Application,
         Uecp("2D 03 4E 53 02"),
         "U:18 00 04 | U:2D 03 4E 53 02",
         "U:18 00 04 | U:2D 04 4E 53 02 01"},
        {{"--wrong-answer", "NS:02/1,3"},
         ModuleMode::Application,
         Uecp("2D 03 4E 53 02"),
         "U:18 00 04 | U:2D 04 4E 53 82 01 | U+20:2D 04 4E 53 82 01 | U+20:2D 04 4E 53 82 01",
         "U:18 00 04 | U:2D 04 4E 53 02 01"},
        {{"--slow", "NS,500"},
         ModuleMode::Application,
         Uecp("2D 03 4E 53 02"),
         "U:18 00 04 | U+500:2D 04 4E 53 02 01",
         "U:18 00 04 | U+500:2D 04 4E 53 02 01"},
        {{"--slow", "QB,500"},
         ModuleMode::Application,
         Uecp("2D 03 4E 53 02"),
         "U:18 00 04 | U:2D 04 4E 53 02 01",
         "U:18 00 04 | U:2D 04 4E 53 02 01"},
        {{"--nack", "loader:07/1,3"}, ModuleMode::Loader, Loader("07"), "L:18 03", "L:18 00"},
        {{"--no-ack", "loader:07"}, ModuleMode::Loader, Loader("07"), "", ""},
        {{"--answer-size", "loader:09,1"},
         ModuleMode::Loader,
         Loader("09"),
         "L:09 30 32 2E 30 33 00",
         "L:09 30 32 2E 30 33 00"},
        {{"--wrong-answer", "loader"},
         ModuleMode::Loader,
         Loader("09"),
         "L:89 30 32 2E 30 33",
         "L:89 30 32 2E 30 33"},
        {{"--flash-never-done", "--flash-polls", "0"},
         ModuleMode::Loader,
         Loader("06"),
         "L:06 01",
         "L:06 01"},
        {{"--nack", "*,2"}, ModuleMode::Loader, Loader("06"), "L:18 02", "L:18 02"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.args[0]) + " " + c.args[1]);
        SimOptions o = Parsed(c.args);
        o.mode = c.mode;
        SimTrace trace;
        ModuleDevice device(o, trace);
        SimFaultInjector faults(o.faults, false, trace);
        device.SetFaultHook(&faults);
        EXPECT_EQ(Frames(device.Handle(c.request)), c.first);
        EXPECT_EQ(Frames(device.Handle(c.request)), c.second);
    }
}

TEST(SimFaults, RefusedAndIgnoredCommandsAreNotCarriedOut) {
    SimOptions o = Parsed({"--nack", "NS:05,2", "--ignore", "NS:03", "--flash-never-done"});
    SimTrace trace;
    ModuleDevice device(o, trace);
    SimFaultInjector faults(o.faults, false, trace);
    device.SetFaultHook(&faults);
    EXPECT_FALSE(device.Handle(Uecp("2D 09 4E 53 05 00 11 22 33 44 55")).restart);
    EXPECT_EQ(device.State().mac, o.mac);
    EXPECT_FALSE(device.Handle(Uecp("2D 03 4E 53 03")).restart);
    EXPECT_EQ(trace.Lines("fault"),
              (std::vector<std::string>{"fault nack NS:05", "fault ignore NS:03"}));

    // A flash that never ends is never recorded as done.
    device.Restart(ModuleMode::Loader);
    device.Handle(Loader("04"));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Frames(device.Handle(Loader("06"))), "L:06 01");
    }
    EXPECT_TRUE(device.State().flashed.empty());
}

// The CRC faults and the MAC quirk change only the encoded bytes.
TEST(SimFaults, EncodedFrames) {
    SimOptions o = Parsed({"--bad-crc-answer", "NS:02/1", "--bad-crc-ack", "NS:09/1"});
    SimTrace trace;
    ModuleDevice device(o, trace);
    SimFaultInjector faults(o.faults, true, trace);
    device.SetFaultHook(&faults);
    const auto encoded = [&](const SimRequest& request) {
        std::vector<std::unique_ptr<FrameData>> out;
        for (const SimFrame& f : device.Handle(request).frames) {
            std::vector<uint8_t> bytes = EncodeSimFrame(f);
            faults.BeforeSend(f, bytes);
            out.push_back(ParseModuleFrame(bytes.data(), static_cast<int>(bytes.size())));
        }
        return out;
    };
    const struct {
        SimRequest request;
        std::vector<bool> crcOk;
        std::vector<bool> lengthOk;
    } cases[] = {
        {Uecp("2D 03 4E 53 02"), {true, false}, {true, true}},
        {Uecp("2D 03 4E 53 02"), {true, true}, {true, true}},
        {Uecp("2D 03 4E 53 09"), {false, true}, {true, true}},
        {Uecp("2D 03 4E 53 04"), {true, true}, {true, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToHex(c.request.message));
        const auto frames = encoded(c.request);
        ASSERT_EQ(frames.size(), c.crcOk.size());
        for (size_t i = 0; i < frames.size(); ++i) {
            EXPECT_EQ(frames[i]->crcOk, c.crcOk[i]) << i;
            EXPECT_EQ(frames[i]->lengthOk, c.lengthOk[i]) << i;
        }
    }
    // The MAC answer says MFL 9, yet all 11 bytes are there for a module-frame parser.
    const auto mac = encoded(Uecp("2D 03 4E 53 04"));
    EXPECT_EQ(ToHex(mac[1]->data(), mac[1]->size()), "2D 09 4E 53 04 02 00 5A 10 20 30");
}

TEST(SimFaults, GarbageNeverStartsAFrame) {
    SimOptions o = Parsed({"--garbage", "600"});
    SimTrace trace;
    SimFaultInjector faults(o.faults, false, trace);
    SimFrame frame;
    frame.message = Hex("18 00 01");
    const std::vector<uint8_t> plain = EncodeSimFrame(frame);
    std::vector<uint8_t> bytes = plain;
    faults.BeforeSend(frame, bytes);
    ASSERT_EQ(bytes.size(), plain.size() + 600);
    EXPECT_EQ(std::count(bytes.begin(), bytes.begin() + 600, 0xFE), 0);
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), bytes.begin() + 600));
}

// A raw client that also tells a reset from an orderly close.
struct RawRead {
    std::vector<uint8_t> bytes;
    bool closed = false;
    bool reset = false;
};

RawRead ReadUntilClosed(SocketApi::Handle s, int timeoutMs) {
    RawRead r;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!r.closed && std::chrono::steady_clock::now() < end) {
        if (SocketApi::WaitReadable(s, nullptr, 10) != SocketApi::Result::Ready) {
            continue;
        }
        uint8_t buffer[2048];
        const int n = SocketApi::Recv(s, buffer, sizeof buffer);
        if (n > 0) {
            r.bytes.insert(r.bytes.end(), buffer, buffer + n);
        } else if (n != SocketApi::kWouldBlock) {
            r.closed = true;
            r.reset = n == SocketApi::kFailed;
        }
    }
    return r;
}

std::vector<uint8_t> LoaderRequest(const std::vector<uint8_t>& payload) {
    SimFrame f;
    f.kind = SimFrameKind::Loader;
    f.message = payload;
    return EncodeSimFrame(f);
}

TEST(SimFaults, ConnectionResetAfterTheNthChunk) {
    SimOptions o = Parsed({"--mode", "loader", "--reset-after-chunks", "3", "--port", "0"});
    SimServer sim(o);
    ASSERT_TRUE(sim.Start()) << sim.Error();
    const SocketApi::Handle s = SocketApi::OpenStream();
    SocketApi::Result r = SocketApi::StartConnect(s, SocketApi::LoopbackAddress(), sim.Port());
    if (r == SocketApi::Result::Pending) {
        r = SocketApi::WaitConnected(s, nullptr, 2000);
    }
    ASSERT_EQ(r, SocketApi::Result::Ready);
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 5; ++i) {
        const std::vector<uint8_t> chunk = LoaderRequest(std::vector<uint8_t>(101, 0x03));
        bytes.insert(bytes.end(), chunk.begin(), chunk.end());
    }
    ASSERT_EQ(SocketApi::Send(s, bytes.data(), static_cast<int>(bytes.size())),
              static_cast<int>(bytes.size()));
    const RawRead read = ReadUntilClosed(s, 5000);
    SocketApi::Close(s);
    EXPECT_TRUE(read.reset);
    EXPECT_EQ(sim.Trace().Lines("chunk").size(), 3u);
    EXPECT_EQ(sim.Trace().Lines("fault"), std::vector<std::string>{"fault reset-after-chunks 3"});
    // The module itself goes on: a new connection is served.
    SimClient client;
    ASSERT_TRUE(client.Connect(sim.Port()));
    ASSERT_TRUE(client.Send(LoaderRequest({0x09})));
    EXPECT_EQ(client.Read(1, 5000).size(), 1u);
}

TEST(SimFaults, StaysAwayAfterTheNthRestart) {
    SimOptions o = Parsed({"--stay-away", "2", "--down-ms", "50", "--port", "0"});
    SimServer sim(o);
    ASSERT_TRUE(sim.Start()) << sim.Error();
    const std::vector<uint8_t> reboot = [] {
        SimFrame f;
        f.message = Hex("2D 03 4E 53 80");
        return EncodeSimFrame(f);
    }();
    for (int restart = 1; restart <= 2; ++restart) {
        ASSERT_TRUE(sim.WaitListening(5000)) << restart;
        SimClient client;
        ASSERT_TRUE(client.Connect(sim.Port())) << restart;
        ASSERT_TRUE(client.Send(reboot));
        ASSERT_TRUE(sim.WaitFor([&](const ModuleState& s) { return s.restarts == restart; }, 5000));
    }
    // Listening again after the first restart, never after the second.
    EXPECT_FALSE(sim.WaitListening(500));
    EXPECT_EQ(sim.Trace().Lines("stay-away").size(), 1u);
    EXPECT_EQ(sim.Trace().Lines("listen").size(), 2u);
}

} // namespace
