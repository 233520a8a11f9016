#include "sim/SimServer.h"
#include "SimClient.h"
#include "base/TestHex.h"
#include "sim/SimFaultHook.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Stuffed request frames with address 0 and SQC 0.
const std::vector<uint8_t> kStatusRequest = Hex("FE 00 00 00 05 2D 03 4E 53 02 6B 9C FF");

std::vector<uint8_t> Request(const std::string& message) {
    SimFrame f;
    f.message = Hex(message);
    return EncodeSimFrame(f);
}

std::string Data(const std::unique_ptr<FrameData>& f) {
    return f ? ToHex(f->data(), f->size()) : "null";
}

class SimServerTest : public ::testing::Test {
protected:
    SimOptions Options() {
        SimOptions o;
        o.port = 0;
        o.downMs = 300;
        return o;
    }
};

TEST_F(SimServerTest, AnswersOverTcp) {
    SimServer sim(Options());
    ASSERT_TRUE(sim.Start()) << sim.Error();
    ASSERT_NE(sim.Port(), 0);
    SimClient client;
    ASSERT_TRUE(client.Connect(sim.Port()));
    ASSERT_TRUE(client.Send(kStatusRequest));
    const auto frames = client.Read(2, 5000);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(Data(frames[0]), "18 00 00");
    EXPECT_EQ(Data(frames[1]), "2D 04 4E 53 02 01");
    EXPECT_TRUE(frames[0]->crcOk && frames[1]->crcOk);
}

// Holds the module down after a restart until released.
class HoldDown : public SimFaultHook {
public:
    bool ComeBack(int) override { return !hold.load(); }
    std::atomic<bool> hold{true};
};

TEST_F(SimServerTest, RestartClosesThePortForTheDownTime) {
    HoldDown hook;
    SimServer sim(Options());
    sim.SetFaultHook(&hook);
    ASSERT_TRUE(sim.Start()) << sim.Error();
    SimClient client;
    ASSERT_TRUE(client.Connect(sim.Port()));
    ASSERT_TRUE(client.Send(Request("2D 03 4E 53 03"))); // start the update loader
    const auto ack = client.Read(1, 5000);
    ASSERT_EQ(ack.size(), 1u);
    EXPECT_EQ(Data(ack[0]), "18 00 00");
    EXPECT_TRUE(client.WaitClosed(5000));

    // While down a connect is refused; afterwards the loader answers on the same port.
    ASSERT_TRUE(sim.WaitFor([](const ModuleState& s) { return s.restarts == 1; }, 5000));
    SimClient early;
    EXPECT_FALSE(early.Connect(sim.Port()));
    EXPECT_FALSE(sim.IsListening());
    hook.hold = false;
    ASSERT_TRUE(sim.WaitListening(5000));
    SimClient again;
    ASSERT_TRUE(again.Connect(sim.Port()));
    ASSERT_TRUE(again.Send(kStatusRequest));
    const auto frames = again.Read(2, 5000);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(Data(frames[1]), "2D 04 4E 53 02 02");
    EXPECT_EQ(sim.State().mode, ModuleMode::Loader);
    EXPECT_EQ(sim.Trace().Lines("restart"), std::vector<std::string>{"restart loader down=300"});
}

TEST_F(SimServerTest, ClosesWhenTheClientShutsDownItsSide) {
    SimServer sim(Options());
    ASSERT_TRUE(sim.Start()) << sim.Error();
    SimClient client;
    ASSERT_TRUE(client.Connect(sim.Port()));
    ASSERT_TRUE(sim.WaitFor([&](const ModuleState&) { return sim.IsConnected(); }, 5000));
    client.ShutdownSend();
    EXPECT_TRUE(client.WaitClosed(5000));
    EXPECT_TRUE(sim.WaitDisconnected(5000));
    EXPECT_EQ(sim.Trace().Lines("peer-closed").size(), 1u);
}

TEST_F(SimServerTest, NewConnectionReplacesTheOldOne) {
    SimServer sim(Options());
    ASSERT_TRUE(sim.Start()) << sim.Error();
    SimClient first;
    ASSERT_TRUE(first.Connect(sim.Port()));
    ASSERT_TRUE(first.Send(kStatusRequest));
    ASSERT_EQ(first.Read(2, 5000).size(), 2u);
    SimClient second;
    ASSERT_TRUE(second.Connect(sim.Port()));
    EXPECT_TRUE(first.WaitClosed(5000));
    ASSERT_TRUE(second.Send(kStatusRequest));
    EXPECT_EQ(second.Read(2, 5000).size(), 2u);
}

TEST_F(SimServerTest, IdleConnectionIsClosed) {
    SimOptions o = Options();
    o.idleTimeoutMs = 200;
    SimServer sim(o);
    ASSERT_TRUE(sim.Start()) << sim.Error();
    SimClient client;
    ASSERT_TRUE(client.Connect(sim.Port()));
    EXPECT_TRUE(client.WaitClosed(10000));
    EXPECT_EQ(sim.Trace().Lines("idle-timeout").size(), 1u);
}

TEST_F(SimServerTest, WritesTheTraceFile) {
    const std::string path = ::testing::TempDir() + "zelta-sim-trace.txt";
    std::remove(path.c_str());
    SimOptions o = Options();
    o.tracePath = path;
    {
        SimServer sim(o);
        ASSERT_TRUE(sim.Start()) << sim.Error();
        SimClient client;
        ASSERT_TRUE(client.Connect(sim.Port()));
        ASSERT_TRUE(client.Send(kStatusRequest));
        ASSERT_EQ(client.Read(2, 5000).size(), 2u);
    }
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    for (const char* line :
         {" listen 127.0.0.1:", " application\n", " accept\n",
          " rx uecp addr=0 sqc=0 2D 03 4E 53 02\n", " tx uecp addr=0 sqc=0 18 00 00\n",
          " tx uecp addr=0 sqc=0 2D 04 4E 53 02 01\n", "closed\n"}) {
        EXPECT_NE(text.str().find(line), std::string::npos) << line;
    }
    std::remove(path.c_str());

    SimOptions bad = Options();
    bad.tracePath = ::testing::TempDir() + "no-such-dir/trace.txt";
    SimServer sim(bad);
    EXPECT_FALSE(sim.Start());
    EXPECT_FALSE(sim.Error().empty());
}

TEST_F(SimServerTest, RefusesAPortInUse) {
    SimServer first(Options());
    ASSERT_TRUE(first.Start());
    SimOptions o = Options();
    o.port = first.Port();
    SimServer second(o);
    EXPECT_FALSE(second.Start());
}

} // namespace
