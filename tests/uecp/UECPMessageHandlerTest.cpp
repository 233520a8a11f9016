#include "UecpTestSupport.h"

#include "base/MsClock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace {

using Frames = std::vector<ScriptedFrame>;
using Script = ScriptHook::Script;
using Op = std::function<UECP_IO_Error(RecordingHandler&)>;

// The status request's answers as a misbehaving module might send them.
Script Answers(std::function<Frames(uint8_t sqc)> make) {
    return [make](const SimRequest& r) -> std::optional<Frames> { return make(r.sequence); };
}

class HandlerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sim.Start()) << sim.server->Error(); }

    void Open(UECPMessageHandler& handler, uint32_t readTimeout = 300) {
        handler.SetConnectionParams(sim.Params(readTimeout));
        ASSERT_EQ(handler.Open(), IDS_ERR_OK);
    }

    SimFixture sim;
};

TEST_F(HandlerTest, RequestOutcomes) {
    struct Case {
        const char* name;
        Script script;
        UECP_IO_Error result;
        int status; // -1: left unchanged
    };
    const Case cases[] = {
        {"ack and answer", nullptr, IDS_ERR_OK, 1},
        {"negative ack 3", Answers([](uint8_t q) { return Frames{RawUecp(q, "18 03 00")}; }),
         IDS_ERR_NACK_3, -1},
        {"negative ack 7", Answers([](uint8_t q) { return Frames{RawUecp(q, "18 07 00")}; }),
         IDS_ERR_NACK_7, -1},
        {"silence", Answers([](uint8_t) { return Frames{}; }), IDS_ERR_NO_ACK, -1},
        {"answer without ack",
         Answers([](uint8_t q) { return Frames{RawUecp(q, "2D 04 4E 53 02 02")}; }), IDS_ERR_NO_ACK,
         -1},
        {"ack of one byte", Answers([](uint8_t q) { return Frames{RawUecp(q, "18")}; }),
         IDS_ERR_NO_ACK, -1},
        {"ack with a bad CRC",
         Answers([](uint8_t q) { return Frames{RawUecp(q, "18 00 00", -1, 0x0101)}; }),
         IDS_ERR_NO_ACK, -1},
        {"ack, no answer", Answers([](uint8_t q) { return Frames{RawUecp(q, "18 00 00")}; }),
         IDS_ERR_READ_TIMEOUT, -1},
        {"answer before ack", Answers([](uint8_t q) {
             return Frames{RawUecp(q, "2D 04 4E 53 02 02"), RawUecp(q, "18 00 00")};
         }),
         IDS_ERR_READ_TIMEOUT, -1},
        {"answer with a bad CRC", Answers([](uint8_t q) {
             return Frames{RawUecp(q, "18 00 00"), RawUecp(q, "2D 04 4E 53 02 02", -1, 1)};
         }),
         IDS_ERR_CRC, -1},
        {"answer accepted by the RS CRC", Answers([](uint8_t q) {
             std::vector<uint8_t> answer = Hex("FE 00 00 00 06 2D 04 4E 53 02 02 52 53 FF");
             answer[3] = q;
             return Frames{RawUecp(q, "18 00 00"), answer};
         }),
         IDS_ERR_OK, 2},
        {"other answer first, then the match", Answers([](uint8_t q) {
             return Frames{RawUecp(q, "18 00 00"), RawUecp(q, "2D 04 4E 53 09 01"),
                           RawLoader("06 00"), RawUecp(q, "2D 04 4E 53 02 02")};
         }),
         IDS_ERR_OK, 2},
        {"only other answers, then silence", Answers([](uint8_t q) {
             return Frames{RawUecp(q, "18 00 00"), RawUecp(q, "2D 04 4E 53 09 01"),
                           RawUecp(q, "2E 04 4E 53 02 02")};
         }),
         IDS_ERR_READ_TIMEOUT, -1},
        {"answer of 7 bytes", Answers([](uint8_t q) {
             return Frames{RawUecp(q, "18 00 00"), RawUecp(q, "2D 05 4E 53 02 02 00")};
         }),
         IDS_ERR_UNEXPECTED_SIZE, -1},
    };
    RecordingHandler handler;
    Open(handler);
    for (const Case& c : cases) {
        sim.hook.Set(c.script);
        int status = -1;
        EXPECT_EQ(handler.GetModuleStatus(status), c.result) << c.name;
        EXPECT_EQ(status, c.status) << c.name;
    }
    // Every request went out exactly once, and the handler is still usable.
    EXPECT_EQ(handler.Sent().size(), std::size(cases));
    sim.hook.Set(nullptr);
    int status = 0;
    EXPECT_EQ(handler.GetModuleStatus(status), IDS_ERR_OK);
}

// The module's MAC answer is taken by the frame's length, whatever its MFL byte says.
TEST_F(HandlerTest, MacAnswerSizeComesFromTheFrame) {
    struct Case {
        const char* answer;
        int mfl;
        UECP_IO_Error result;
        const char* mac;
    };
    const Case cases[] = {
        {"2D 09 4E 53 04 00 11 22 33 44 55", 5, IDS_ERR_OK, "00 11 22 33 44 55"},
        {"2D 09 4E 53 04 00 11 22 33 00 00", 30, IDS_ERR_OK, "00 11 22 33 00 00"},
        {"2D 08 4E 53 04 00 11 22 33 44", 11, IDS_ERR_UNEXPECTED_SIZE, "00 00 00 00 00 00"},
        {"2D 03 4E 53 05", -1, IDS_ERR_READ_TIMEOUT, "00 00 00 00 00 00"},
    };
    RecordingHandler handler;
    Open(handler);
    for (const Case& c : cases) {
        sim.hook.Set(Answers([&c](uint8_t q) {
            return Frames{RawUecp(q, "18 00 00"), RawUecp(q, c.answer, c.mfl)};
        }));
        std::array<uint8_t, 6> mac;
        mac.fill(0xEE);
        EXPECT_EQ(handler.GetMacAddress(mac), c.result) << c.answer;
        EXPECT_EQ(ToHex(mac.data(), 6), c.mac) << c.answer;
    }
}

// Loader answers and acknowledgements are loader frames; sizes and codes are checked alike.
TEST(LoaderRequests, Outcomes) {
    using Op = std::function<UECP_IO_Error(Quarvo_UECPMessageHandler&, std::string&)>;
    const Op flashStatus = [](Quarvo_UECPMessageHandler& h, std::string& out) {
        bool done = false;
        const UECP_IO_Error r = h.LoaderFlashStatus(done);
        out = r == IDS_ERR_OK ? (done ? "done" : "busy") : "";
        return r;
    };
    const Op version = [](Quarvo_UECPMessageHandler& h, std::string& out) {
        return h.LoaderGetVersion(out);
    };
    const Op restart = [](Quarvo_UECPMessageHandler& h, std::string&) {
        return h.LoaderRequestRestart();
    };
    struct Case {
        const char* name;
        Op op;
        Frames frames;
        UECP_IO_Error result;
        const char* out;
    };
    const Case cases[] = {
        {"flash status of 3 bytes",
         flashStatus,
         {RawLoader("06 00 00")},
         IDS_ERR_UNEXPECTED_SIZE,
         ""},
        {"flash status after another answer",
         flashStatus,
         {RawLoader("09 30 32 2E 31 35"), RawLoader("06 01")},
         IDS_ERR_OK,
         "busy"},
        {"flash status not answered", flashStatus, {}, IDS_ERR_READ_TIMEOUT, ""},
        {"version of 5 bytes", version, {RawLoader("09 30 32 2E 31")}, IDS_ERR_UNEXPECTED_SIZE, ""},
        {"restart acknowledged", restart, {RawLoader("18 00")}, IDS_ERR_OK, ""},
        {"restart refused", restart, {RawLoader("18 03")}, IDS_ERR_NACK_3, ""},
        {"restart unacknowledged", restart, {}, IDS_ERR_NO_ACK, ""},
    };
    SimFixture sim(ModuleMode::Loader);
    ASSERT_TRUE(sim.Start());
    RecordingHandler handler;
    handler.SetConnectionParams(sim.Params(300));
    ASSERT_EQ(handler.Open(), IDS_ERR_OK);
    for (const Case& c : cases) {
        const Frames frames = c.frames;
        sim.hook.Set([frames](const SimRequest&) { return std::optional<Frames>(frames); });
        std::string out;
        EXPECT_EQ(c.op(handler, out), c.result) << c.name;
        EXPECT_EQ(out, c.out) << c.name;
    }
    EXPECT_EQ(handler.Sequence(), 0);
}

// Frames that keep arriving without a match: the wait ends at its limit with "no answer".
TEST_F(HandlerTest, NoMatchingAnswerWithinTheTimeOut) {
    RecordingHandler handler;
    Open(handler, 1000);
    sim.hook.Set(Answers([](uint8_t q) {
        Frames f{RawUecp(q, "18 00 00")};
        for (int i = 0; i < 150; ++i) {
            f.emplace_back(RawUecp(q, "2D 04 4E 53 09 01"), 20);
        }
        return f;
    }));
    int status = -1;
    EXPECT_EQ(handler.GetModuleStatus(status), IDS_ERR_NO_ANSWER);
    EXPECT_EQ(status, -1);
}

// A frame that arrives late in a wait does not lengthen it: what comes after the time-out is
// not taken, even when another frame came just before it.
TEST(HandlerWaits, LateFramesDoNotStretchAWait) {
    constexpr uint32_t kTimeout = 1000;
    constexpr int kLate = 750;  // within the time-out, in its second half
    constexpr int kAfter = 700; // the awaited frame, this long after that: beyond the time-out
    const Op status = [](RecordingHandler& h) {
        int value = -1;
        return h.GetModuleStatus(value);
    };
    const Op flashStatus = [](RecordingHandler& h) {
        bool done = false;
        return h.LoaderFlashStatus(done);
    };
    struct Case {
        const char* name;
        Op op;
        std::function<Frames(uint8_t sqc)> frames;
        UECP_IO_Error result;
    };
    const Case cases[] = {
        {"acknowledgement after an answer", status,
         [](uint8_t q) {
             return Frames{{RawUecp(q, "2D 04 4E 53 02 02"), kLate},
                           {RawUecp(q, "18 00 00"), kAfter}};
         },
         IDS_ERR_NO_ACK},
        {"answer after another answer", status,
         [](uint8_t q) {
             return Frames{RawUecp(q, "18 00 00"),
                           {RawUecp(q, "2D 04 4E 53 09 01"), kLate},
                           {RawUecp(q, "2D 04 4E 53 02 02"), kAfter}};
         },
         IDS_ERR_NO_ANSWER},
        {"loader answer after another one", flashStatus,
         [](uint8_t) {
             return Frames{{RawLoader("09 30 32 2E 31 35"), kLate}, {RawLoader("06 00"), kAfter}};
         },
         IDS_ERR_NO_ANSWER},
    };
    SimFixture sim(ModuleMode::Loader);
    ASSERT_TRUE(sim.Start());
    RecordingHandler handler;
    handler.SetConnectionParams(sim.Params(kTimeout));
    ASSERT_EQ(handler.Open(), IDS_ERR_OK);
    for (const Case& c : cases) {
        sim.hook.Set(Answers(c.frames));
        EXPECT_EQ(c.op(handler), c.result) << c.name;
        // The late frame goes out before the next case.
        SleepMs(kAfter + 200);
    }
}

TEST_F(HandlerTest, SequenceCounterStartsAtZeroAndSkipsZeroOnWrap) {
    RecordingHandler handler;
    Open(handler);
    UECPMessage unknown;
    unknown.SetData({0x2D, 0x03, 0x4E, 0x53, 0x77});
    EXPECT_EQ(handler.Transact(unknown), IDS_ERR_NACK_3); // a failed request advances it too
    for (int i = 1; i < 257; ++i) {
        int status = 0;
        ASSERT_EQ(handler.GetModuleStatus(status), IDS_ERR_OK) << i;
    }
    const auto sent = handler.Sent();
    ASSERT_EQ(sent.size(), 257u);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(SequenceOf(sent[static_cast<size_t>(i)]), i);
    }
    EXPECT_EQ(SequenceOf(sent[256]), 1);
    // The module saw the same counters.
    const auto rx = sim.server->Trace().Lines("rx");
    EXPECT_EQ(rx.front(), "rx uecp addr=0 sqc=0 2D 03 4E 53 77");
    EXPECT_EQ(rx.back(), "rx uecp addr=0 sqc=1 2D 03 4E 53 02");

    handler.Close(false);
    ASSERT_EQ(handler.Open(), IDS_ERR_OK);
    int status = 0;
    ASSERT_EQ(handler.GetModuleStatus(status), IDS_ERR_OK);
    EXPECT_EQ(SequenceOf(handler.LastSent()), 0);
}

TEST_F(HandlerTest, WithoutAckModeReturnsAfterTheSend) {
    RecordingHandler handler;
    Open(handler, 20000);
    sim.hook.Set(Answers([](uint8_t) { return Frames{}; }));
    UECPMessage message;
    message.SetData({0x2D, 0x03, 0x4E, 0x53, 0x02});
    message.ackMode = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(handler.Transact(message), IDS_ERR_OK);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_TRUE(WaitUntil([&] { return sim.server->Trace().Lines("rx").size() == 1; }, 5000));
}

TEST_F(HandlerTest, FrameReceivedBeforeTheSendIsNeverTheAnswer) {
    RecordingHandler handler;
    Open(handler);
    // The first request waits for nothing; its ack and a status answer arrive afterwards.
    sim.hook.Set(Answers([](uint8_t q) {
        return Frames{RawUecp(q, "18 00 00"), RawUecp(q, "2D 04 4E 53 02 02")};
    }));
    UECPMessage message;
    message.SetData({0x2D, 0x03, 0x4E, 0x53, 0x02});
    message.ackMode = 0;
    ASSERT_EQ(handler.Transact(message), IDS_ERR_OK);
    ASSERT_TRUE(WaitUntil([&] { return handler.Received() == 2; }, 5000));
    // The next one is acknowledged but not answered: the old frames must not count.
    sim.hook.Set(Answers([](uint8_t q) { return Frames{RawUecp(q, "18 00 00")}; }));
    int status = -1;
    EXPECT_EQ(handler.GetModuleStatus(status), IDS_ERR_READ_TIMEOUT);
    EXPECT_EQ(status, -1);
}

TEST_F(HandlerTest, OpenAndClose) {
    RecordingHandler handler;
    EXPECT_EQ(handler.Open(), IDS_ERR_OPEN_PARAMS_NOT_SET);
    int status = 0;
    EXPECT_EQ(handler.GetModuleStatus(status), IDS_ERR_DEVICE_NOT_OPEN);
    EXPECT_EQ(handler.LoaderGetVersion(*std::make_unique<std::string>()), IDS_ERR_DEVICE_NOT_OPEN);
    EXPECT_TRUE(handler.Sent().empty());

    // The stored parameters are a copy: changing or dropping the caller's has no effect.
    {
        TCP_ConnectionParams params = sim.Params(300);
        handler.SetConnectionParams(params);
        params.port = 1;
        params.SetHost("no.such.host.invalid");
    }
    ASSERT_EQ(handler.Open(), IDS_ERR_OK);
    EXPECT_TRUE(handler.IsOpen());
    EXPECT_EQ(handler.Open(), IDS_ERR_DEVICE_ALREADY_OPEN);
    EXPECT_EQ(handler.GetModuleStatus(status), IDS_ERR_OK);
    handler.Close(false);
    EXPECT_FALSE(handler.IsOpen());
    EXPECT_EQ(handler.GetModuleStatus(status), IDS_ERR_DEVICE_NOT_OPEN);
    ASSERT_NE(handler.ConnectionParams(), nullptr); // the parameters stay

    // No module listening: the open fails and leaves the handler closed.
    sim.server->Stop();
    EXPECT_EQ(handler.Open(), IDS_ERR_CONNECT);
    EXPECT_FALSE(handler.IsOpen());
    EXPECT_EQ(handler.GetModuleStatus(status), IDS_ERR_DEVICE_NOT_OPEN);
}

TEST_F(HandlerTest, TransferConnection) {
    RecordingHandler module;
    PlainHandler family;

    // A closed handler has nothing to give; the target stays as it was.
    EXPECT_EQ(module.TransferConnection(family), IDS_ERR_OPEN_PARAMS_NOT_SET);
    module.SetConnectionParams(sim.Params(300));
    EXPECT_EQ(module.TransferConnection(family), IDS_ERR_DEVICE_NOT_OPEN);
    EXPECT_EQ(family.ConnectionParams(), nullptr);

    // The target has its own connection to another module, which is closed first.
    SimFixture other;
    ASSERT_TRUE(other.Start());
    family.SetConnectionParams(other.Params(300));
    ASSERT_EQ(family.Open(), IDS_ERR_OK);
    ASSERT_TRUE(WaitUntil([&] { return other.server->IsConnected(); }, 5000));
    UECPMessage status;
    status.SetData({0x2D, 0x03, 0x4E, 0x53, 0x02});
    status.answerExpected = true;
    ASSERT_EQ(family.Transact(status), IDS_ERR_OK); // SQC 0 on the other module

    ASSERT_EQ(module.Open(), IDS_ERR_OK);
    int s = 0;
    ASSERT_EQ(module.GetModuleStatus(s), IDS_ERR_OK); // SQC 0
    ASSERT_EQ(module.GetModuleStatus(s), IDS_ERR_OK); // SQC 1
    ASSERT_EQ(module.TransferConnection(family), IDS_ERR_OK);
    EXPECT_TRUE(other.server->WaitDisconnected(5000));
    EXPECT_FALSE(module.IsOpen());
    EXPECT_EQ(module.ConnectionParams(), nullptr);
    EXPECT_EQ(module.GetModuleStatus(s), IDS_ERR_DEVICE_NOT_OPEN);
    ASSERT_TRUE(family.IsOpen());
    const auto* moved = dynamic_cast<const TCP_ConnectionParams*>(family.ConnectionParams());
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->port, sim.server->Port());

    // The same link, with the target's own counter; answers reach the target.
    UECPMessage again;
    again.SetData({0x2D, 0x03, 0x4E, 0x53, 0x02});
    again.answerExpected = true;
    again.answerMec = 0x2D;
    again.answerCode = 0x02;
    ASSERT_EQ(family.Transact(again), IDS_ERR_OK);
    ASSERT_TRUE(again.answer);
    EXPECT_EQ(ToHex(again.answer->data(), again.answer->size()), "2D 04 4E 53 02 01");
    EXPECT_EQ(sim.server->Trace().Lines("rx").back(), "rx uecp addr=0 sqc=1 2D 03 4E 53 02");
    EXPECT_EQ(sim.server->Trace().Lines("accept").size(), 1u);

    // And back: the module continues with its own counter.
    ASSERT_EQ(family.TransferConnection(module), IDS_ERR_OK);
    ASSERT_EQ(module.GetModuleStatus(s), IDS_ERR_OK);
    EXPECT_EQ(SequenceOf(module.LastSent()), 2);
    EXPECT_FALSE(family.IsOpen());
    EXPECT_EQ(sim.server->Trace().Lines("accept").size(), 1u);
}

TEST_F(HandlerTest, TransactElements) {
    struct Case {
        const char* name;
        int32_t ackMode;
        Script script;
        UECP_IO_Error result;
        std::vector<UECP_IO_Error> results;
        std::vector<std::string> answers;
    };
    const auto elements = [](uint8_t q, const char* ack, std::vector<const char*> answers) {
        Frames f{RawUecp(q, ack)};
        for (const char* a : answers) {
            f.push_back(RawUecp(q, a));
        }
        return f;
    };
    const Case cases[] = {
        {"one code for both",
         -1,
         Answers([&](uint8_t q) {
             return elements(q, "18 00 00", {"2D 04 4E 53 02 01", "2D 04 4E 53 09 05"});
         }),
         IDS_ERR_OK,
         {IDS_ERR_OK, IDS_ERR_OK},
         {"2D 04 4E 53 02 01", "2D 04 4E 53 09 05"}},
        {"a code per element",
         -1,
         Answers(
             [&](uint8_t q) { return elements(q, "18 00 AA 03 BB CC", {"2D 04 4E 53 02 01"}); }),
         IDS_ERR_NACK_3,
         {IDS_ERR_OK, IDS_ERR_NACK_3},
         {"2D 04 4E 53 02 01"}},
        {"codes for fewer elements",
         -1,
         Answers([&](uint8_t q) { return elements(q, "18 03 BB CC", {}); }),
         IDS_ERR_NACK_3,
         {IDS_ERR_NACK_3},
         {}},
        {"no ack", -1, Answers([](uint8_t) { return Frames{}; }), IDS_ERR_NO_ACK, {}, {}},
        {"answer missing",
         -1,
         Answers([&](uint8_t q) { return elements(q, "18 00 00", {}); }),
         IDS_ERR_READ_TIMEOUT,
         {IDS_ERR_OK, IDS_ERR_OK},
         {}},
        // Last: its late answers would reach a following request.
        {"ack not awaited",
         0,
         Answers([&](uint8_t q) { return elements(q, "18 00 00", {"2D 04 4E 53 02 01"}); }),
         IDS_ERR_OK,
         {},
         {}},
    };
    RecordingHandler handler;
    Open(handler);
    for (const Case& c : cases) {
        sim.hook.Set(c.script);
        UECPElementsRequest request;
        const std::vector<uint8_t> field = Hex("2D 03 4E 53 02 2D 03 4E 53 09");
        std::copy(field.begin(), field.end(), request.data);
        request.length = static_cast<int32_t>(field.size());
        request.ackMode = c.ackMode;
        request.elements = {{true, 0x2D, 0x02}, {true, 0x2D, 0x09}};
        EXPECT_EQ(handler.TransactElements(request), c.result) << c.name;
        EXPECT_EQ(request.results, c.results) << c.name;
        std::vector<std::string> answers;
        for (const auto& a : request.answers) {
            answers.push_back(ToHex(a->data(), a->size()));
        }
        EXPECT_EQ(answers, c.answers) << c.name;
        EXPECT_EQ(MessageOf(handler.LastSent()), ToHex(field)) << c.name;
    }
}

} // namespace
