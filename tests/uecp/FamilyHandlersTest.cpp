#include "UecpTestSupport.h"
#include "uecp/BRN_UECPMessageHandler.h"
#include "uecp/DeviceInfo.h"
#include "uecp/FND_UECPMessageHandler.h"
#include "uecp/FamilyAnswers.h"
#include "uecp/Wenlo_UECPMessageHandler.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kReadTimeout = 300;

// Records the frames a family handler sends.
template <typename Handler> class Recording : public Handler {
public:
    void FrameSent(const uint8_t* bytes, int length) override {
        std::lock_guard<std::mutex> lock(mutex_);
        sent_.emplace_back(bytes, bytes + length);
    }
    std::vector<std::string> SentMessages() {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<std::string> out;
        for (const auto& f : sent_) {
            out.push_back(MessageOf(f));
        }
        return out;
    }

private:
    std::mutex mutex_;
    std::vector<std::vector<uint8_t>> sent_;
};

class FamilyHandlers : public ::testing::Test {
protected:
    FamilyHandlers() { sim.options.host = SimHostOptions{}; }

    void Open(UECPMessageHandler& handler, uint32_t readTimeout = kReadTimeout) {
        ASSERT_TRUE(sim.Start()) << sim.server->Error();
        handler.SetConnectionParams(sim.Params(readTimeout));
        ASSERT_EQ(handler.Open(), IDS_ERR_OK);
    }

    SimFixture sim;
};

// What the workflow does to learn the device: the module's connection is lent to each family
// handler in turn, and a refusal with acknowledgement code 3 moves on to the next family.
struct Identification {
    std::vector<UECP_IO_Error> results; // BRN, then Wenlo, then FND, up to the first success
    DeviceInfo info;
};

Identification Identify(Quarvo_UECPMessageHandler& module) {
    Identification id;
    BRN_UECPMessageHandler brn;
    Wenlo_UECPMessageHandler wenlo;
    FND_UECPMessageHandler fnd;
    const std::function<UECP_IO_Error()> steps[] = {
        [&] { return brn.GetDeviceInfo(id.info, 0); },
        [&] { return wenlo.GetDeviceInfo(id.info, 0); },
        [&] { return fnd.GetDeviceInfo(id.info); },
    };
    UECPMessageHandler* handlers[] = {&brn, &wenlo, &fnd};
    for (int i = 0; i < 3; ++i) {
        if (module.TransferConnection(*handlers[i]) != IDS_ERR_OK) {
            id.results.push_back(-1);
            break;
        }
        id.results.push_back(steps[i]());
        handlers[i]->TransferConnection(module);
        if (id.results.back() != IDS_ERR_NACK_3) {
            break;
        }
    }
    return id;
}

TEST_F(FamilyHandlers, IdentifiesEachFamilyOverTheModulesConnection) {
    const struct {
        const char* name;
        std::function<void(SimHostOptions&)> host;
        std::vector<UECP_IO_Error> results;
        int32_t familyCode, series, model;
        std::string typeName, serialNumber, firmwareVersion;
    } cases[] = {
        {"BRN MPX",
         [](SimHostOptions& h) {
             h.family = HostFamily::Brn;
             h.brnType = 0x22;
             h.brnVersion = 205;
             h.serialNumber = "0012345678";
         },
         {IDS_ERR_OK},
         1,
         3,
         10,
         "BRN MPX",
         "0012345678",
         "2.05"},
        {"BRN of an unknown type",
         [](SimHostOptions& h) {
             h.family = HostFamily::Brn;
             h.brnType = 0x05;
             h.brnVersion = 1234;
             h.serialNumber = "A1";
         },
         {IDS_ERR_OK},
         0,
         0,
         0,
         "Unknown Device",
         "A1",
         "1.23.4"},
        {"Wenlo after a BRN refusal",
         [](SimHostOptions& h) {
             h.family = HostFamily::Wenlo;
             h.typeName = "SND DSP 2";
             h.versionText = "3.01b";
             h.serialNumber = std::string("1234\0"
                                          "67890",
                                          10);
         },
         {IDS_ERR_NACK_3, IDS_ERR_OK},
         2,
         7,
         14,
         "SND DSP 2",
         "1234",
         "3.01b"},
        {"FND after two refusals",
         [](SimHostOptions& h) {
             h.family = HostFamily::Fnd;
             h.versionText = "1.2";
             h.serialNumber = "9876543210";
         },
         {IDS_ERR_NACK_3, IDS_ERR_NACK_3, IDS_ERR_OK},
         3,
         8,
         15,
         "FND",
         "9876543210",
         std::string("1.2\0\0", 5)},
        {"no family answers",
         [](SimHostOptions& h) { h.family = HostFamily::None; },
         {IDS_ERR_NACK_3, IDS_ERR_NACK_3, IDS_ERR_NACK_3},
         0,
         0,
         0,
         "Unknown Device",
         "",
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimFixture fixture;
        c.host(fixture.options.host);
        ASSERT_TRUE(fixture.Start());
        Quarvo_UECPMessageHandler module;
        module.SetConnectionParams(fixture.Params(kReadTimeout));
        ASSERT_EQ(module.Open(), IDS_ERR_OK);

        const Identification id = Identify(module);
        EXPECT_EQ(id.results, c.results);
        EXPECT_EQ(id.info.familyCode, c.familyCode);
        EXPECT_EQ(id.info.series, c.series);
        EXPECT_EQ(id.info.model, c.model);
        EXPECT_EQ(id.info.typeName, c.typeName);
        EXPECT_EQ(id.info.serialNumber, c.serialNumber);
        EXPECT_EQ(id.info.firmwareVersion, c.firmwareVersion);

        // The module has its connection back and still answers.
        int status = 0;
        EXPECT_EQ(module.GetModuleStatus(status), IDS_ERR_OK);
        EXPECT_EQ(status, 1);
    }
}

// Each fault of the simulator ends a request with the result a handler gives for it. The
// faults apply to the first request only, so the next one succeeds where it can.
TEST_F(FamilyHandlers, InjectedFaultsGiveTheirResults) {
    using Call = std::function<UECP_IO_Error(UECPMessageHandler&)>;
    const Call brnSerial = [](UECPMessageHandler& h) {
        std::string text;
        return h.GetSerialNumber(text, 0);
    };
    const struct {
        const char* name;
        HostFamily family;
        SimFaultKind kind;
        const char* target;
        int value;
        UECP_IO_Error result;
        bool thenWorks; // the late frames of slow faults would still be under way
    } cases[] = {
        {"no acknowledgement", HostFamily::Brn, SimFaultKind::NoAck, "QB:56/1", 0, IDS_ERR_NO_ACK,
         true},
        {"ignored", HostFamily::Brn, SimFaultKind::Ignore, "QB:56/1", 0, IDS_ERR_NO_ACK, true},
        {"acknowledgement code 3", HostFamily::Brn, SimFaultKind::Nack, "QB:56/1", 3,
         IDS_ERR_NACK_3, true},
        {"acknowledgement code 5", HostFamily::Wenlo, SimFaultKind::Nack, "RS:7F/1", 5,
         IDS_ERR_NACK_5, true},
        {"BRN answer one byte long", HostFamily::Brn, SimFaultKind::AnswerSize, "QB:56/1", 1,
         IDS_ERR_UNEXPECTED_SIZE, true},
        {"Wenlo serial number of 11 bytes", HostFamily::Wenlo, SimFaultKind::AnswerSize, "RS:7F/1",
         1, IDS_ERR_UNEXPECTED_SIZE, true},
        {"answer CRC", HostFamily::Brn, SimFaultKind::BadCrcAnswer, "QB:56/1", 0, IDS_ERR_CRC,
         true},
        {"acknowledgement CRC", HostFamily::Brn, SimFaultKind::BadCrcAck, "QB/1", 0, IDS_ERR_NO_ACK,
         true},
        {"answer too late", HostFamily::Brn, SimFaultKind::Slow, "QB:56/1", 3 * kReadTimeout,
         IDS_ERR_READ_TIMEOUT, false},
        {"one wrong answer", HostFamily::Brn, SimFaultKind::WrongAnswer, "QB:56/1", 1,
         IDS_ERR_READ_TIMEOUT, true},
        {"wrong answers for longer than the time-out", HostFamily::Brn, SimFaultKind::WrongAnswer,
         "QB:56/1", 40, IDS_ERR_NO_ANSWER, false},
        {"answer late but in time", HostFamily::Brn, SimFaultKind::Slow, "*", kReadTimeout / 3,
         IDS_ERR_OK, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimFixture fixture;
        fixture.options.host.family = c.family;
        SimCommandFault fault;
        fault.kind = c.kind;
        ASSERT_TRUE(ParseRequestSelector(c.target, fault.target));
        fault.value = c.value;
        fixture.options.faults.commands.push_back(fault);
        ASSERT_TRUE(fixture.Start());

        std::unique_ptr<UECPMessageHandler> handler;
        if (c.family == HostFamily::Wenlo) {
            handler = std::make_unique<Wenlo_UECPMessageHandler>();
        } else {
            handler = std::make_unique<BRN_UECPMessageHandler>();
        }
        handler->SetConnectionParams(fixture.Params(kReadTimeout));
        ASSERT_EQ(handler->Open(), IDS_ERR_OK);
        EXPECT_EQ(brnSerial(*handler), c.result);
        if (c.thenWorks) {
            EXPECT_EQ(brnSerial(*handler), IDS_ERR_OK);
        }
        EXPECT_FALSE(fixture.server->Trace().Lines("fault").empty());
    }
}

TEST_F(FamilyHandlers, GarbageBetweenFramesChangesNothing) {
    sim.options.faults.garbageBytes = 64;
    BRN_UECPMessageHandler brn;
    Open(brn);
    DeviceInfo info;
    EXPECT_EQ(brn.GetDeviceInfo(info, 0), IDS_ERR_OK);
    EXPECT_EQ(info.typeName, "BRN RDS");
    EXPECT_EQ(info.firmwareVersion, "1.23.4");
}

TEST_F(FamilyHandlers, BrnRequestsOnTheWire) {
    Recording<BRN_UECPMessageHandler> brn;
    Open(brn);

    uint8_t buffer[200];
    int count = 200;
    EXPECT_EQ(brn.ReadParameter(1, buffer, count, 0), IDS_ERR_OK);
    EXPECT_EQ(count, 128);
    EXPECT_EQ(TextUpToZero(buffer, count), "0012345678");

    ByteBuffer block(14, Hex("AB CD 01 02 03 04 05 06 07 08 09 0A 0B 0C").data());
    ByteBuffer shortBlock(13);
    EXPECT_EQ(brn.WriteBlock(shortBlock, 0), IDS_ERR_INVALID_PARAMETER);
    EXPECT_EQ(brn.WriteBlock2(ByteBuffer(15), 0), IDS_ERR_INVALID_PARAMETER);
    EXPECT_EQ(brn.WriteBlock(block, 0), IDS_ERR_OK);
    uint16_t word = 1;
    EXPECT_EQ(brn.ReadWord(word, 0), IDS_ERR_OK);
    EXPECT_EQ(word, 0xABCD);
    block.data()[0] = 0x12;
    EXPECT_EQ(brn.WriteBlock2(block, 0), IDS_ERR_OK);
    EXPECT_EQ(brn.ReadWord2(word, 0), IDS_ERR_OK);
    EXPECT_EQ(word, 0x12CD);
    EXPECT_EQ(brn.RebootDevice(false, 0), IDS_ERR_OK);

    EXPECT_EQ(brn.SentMessages(), (std::vector<std::string>{
                                      "2D 06 51 42 56 00 01 80",
                                      "2D 11 51 42 B3 AB CD 01 02 03 04 05 06 07 08 09 0A 0B 0C",
                                      "2D 03 51 42 B1",
                                      "2D 11 51 42 B5 12 CD 01 02 03 04 05 06 07 08 09 0A 0B 0C",
                                      "2D 03 51 42 B4",
                                      "2D 04 51 42 80 01",
                                  }));
    EXPECT_EQ(sim.server->Host().State().blocks.size(), 2u);
    ASSERT_TRUE(WaitUntil([&] { return sim.server->Host().State().reboots == 1; }, 5000));
    EXPECT_EQ(sim.server->State().restarts, 0);
}

TEST_F(FamilyHandlers, BrnRebootWithTheModule) {
    BRN_UECPMessageHandler brn;
    Open(brn);
    // Not acknowledged: the result is that of the send, at once.
    EXPECT_EQ(brn.RebootDevice(true, 0), IDS_ERR_OK);
    ASSERT_TRUE(sim.server->WaitFor([](const ModuleState& s) { return s.restarts == 1; }, 5000));
    EXPECT_EQ(sim.server->Host().State().moduleRestarts, 1);
}

TEST_F(FamilyHandlers, WrongSizedAnswersLeaveTheOutputs) {
    sim.options.faults.commands.resize(1);
    sim.options.faults.commands[0].kind = SimFaultKind::AnswerSize;
    ASSERT_TRUE(ParseRequestSelector("QB:B1", sim.options.faults.commands[0].target));
    sim.options.faults.commands[0].value = -1;
    // The firmware version parameter comes one byte short.
    sim.hook.Set([](const SimRequest& r) -> std::optional<std::vector<ScriptedFrame>> {
        if (r.message.size() == 8 && r.message[4] == 0x56 && r.message[6] == 11) {
            return std::vector<ScriptedFrame>{{RawUecp(r.sequence, "18 00 00")},
                                              {RawUecp(r.sequence, "2D 08 51 42 55 00 0B 02 04")}};
        }
        return std::nullopt;
    });
    BRN_UECPMessageHandler brn;
    Open(brn);
    uint16_t word = 7;
    EXPECT_EQ(brn.ReadWord(word, 0), IDS_ERR_UNEXPECTED_SIZE);
    EXPECT_EQ(word, 0);
    std::string version = "kept";
    EXPECT_EQ(brn.ReadFirmwareVersion(version, 0), IDS_ERR_UNEXPECTED_SIZE);
    EXPECT_EQ(version, "kept");
    // The failed last step ends GetDeviceInfo; what the earlier steps wrote stays.
    DeviceInfo info;
    info.firmwareVersion = "before";
    EXPECT_EQ(brn.GetDeviceInfo(info, 0), IDS_ERR_UNEXPECTED_SIZE);
    EXPECT_EQ(info.serialNumber, "0012345678");
    EXPECT_EQ(info.typeName, "BRN RDS");
    EXPECT_EQ(info.familyCode, 1);
    EXPECT_EQ(info.firmwareVersion, "before");
}

TEST_F(FamilyHandlers, WenloRequests) {
    sim.options.host.family = HostFamily::Wenlo;
    Recording<Wenlo_UECPMessageHandler> wenlo;
    Open(wenlo);

    // 0x48 with room for two bytes takes the answer with code 0x46.
    uint8_t status[3] = {0xEE, 0xEE, 0xEE};
    int length = 2;
    EXPECT_EQ(wenlo.WenloRequest(0x48, status, length, 0, false), IDS_ERR_OK);
    EXPECT_EQ(length, 2);
    EXPECT_EQ(ToHex(status, 3), "00 00 EE");
    // With room for three it waits for 0x48, which never comes.
    length = 3;
    EXPECT_EQ(wenlo.WenloRequest(0x48, status, length, 0, false), IDS_ERR_READ_TIMEOUT);
    // A serial number is 10 bytes; any length is taken with -1, not with a wrong expectation.
    std::string text;
    EXPECT_EQ(wenlo.ReadText(0x7E, text, -1, 0), IDS_ERR_OK);
    EXPECT_EQ(text, "2.10a");
    EXPECT_EQ(wenlo.ReadText(0x7E, text, 4, 0), IDS_ERR_UNEXPECTED_SIZE);
    EXPECT_EQ(text, "2.10a");

    ByteBuffer block(14, Hex("0A 0B 00 00 00 00 00 00 00 00 00 00 00 00").data());
    EXPECT_EQ(wenlo.WriteBlock(ByteBuffer(13), 0), IDS_ERR_INVALID_PARAMETER);
    EXPECT_EQ(wenlo.WriteBlock(block, 0), IDS_ERR_OK);
    uint16_t word = 0;
    EXPECT_EQ(wenlo.ReadWord(word, 0), IDS_ERR_OK);
    EXPECT_EQ(word, 0x0A0B);
    EXPECT_EQ(wenlo.SentMessages(), (std::vector<std::string>{
                                        "2D 03 52 53 48",
                                        "2D 03 52 53 48",
                                        "2D 03 52 53 7E",
                                        "2D 03 52 53 7E",
                                        "2D 11 52 53 B2 0A 0B 00 00 00 00 00 00 00 00 00 00 00 00",
                                        "2D 03 52 53 B1",
                                    }));
}

TEST_F(FamilyHandlers, FndReadsOnlyThroughItsOwnDeviceInfo) {
    sim.options.host.family = HostFamily::Fnd;
    Recording<FND_UECPMessageHandler> fnd;
    Open(fnd);
    std::string text;
    DeviceInfo info;
    EXPECT_EQ(fnd.GetSerialNumber(text, 0), IDS_ERR_NOT_SUPPORTED);
    EXPECT_EQ(fnd.GetDeviceInfo(info, 0), IDS_ERR_NOT_SUPPORTED);
    uint16_t word = 0;
    EXPECT_EQ(fnd.ReadWord(word, 0), IDS_ERR_NOT_SUPPORTED);
    EXPECT_TRUE(fnd.SentMessages().empty());
    EXPECT_EQ(fnd.GetDeviceInfo(info), IDS_ERR_OK);
    EXPECT_EQ(fnd.SentMessages(), (std::vector<std::string>{"2D 03 4D 49 7F", "2D 03 4D 49 7E"}));
}

TEST_F(FamilyHandlers, HandlersWithoutAConnection) {
    BRN_UECPMessageHandler brn;
    Wenlo_UECPMessageHandler wenlo;
    FND_UECPMessageHandler fnd;
    DeviceInfo info;
    EXPECT_EQ(brn.GetDeviceInfo(info, 0), IDS_ERR_DEVICE_NOT_OPEN);
    EXPECT_EQ(wenlo.GetDeviceInfo(info, 0), IDS_ERR_DEVICE_NOT_OPEN);
    EXPECT_EQ(fnd.GetDeviceInfo(info), IDS_ERR_DEVICE_NOT_OPEN);
    EXPECT_EQ(brn.RebootDevice(true, 0), IDS_ERR_DEVICE_NOT_OPEN);
    EXPECT_EQ(brn.HandlerKind(), 1);
    EXPECT_EQ(wenlo.HandlerKind(), 2);
    EXPECT_EQ(fnd.HandlerKind(), 4);
}

// A BRN handler that shows its lists and can refuse frames of one kind.
class SortingBrn : public BRN_UECPMessageHandler {
public:
    bool AcceptFrame(const FrameData&, int kind) override { return kind != refused.load(); }
    void FrameQueued(int kind) override {
        std::lock_guard<std::mutex> lock(mutex_);
        queued_.push_back(kind);
    }
    std::vector<int> Queued() {
        std::lock_guard<std::mutex> lock(mutex_);
        return queued_;
    }
    int MainCount() {
        std::lock_guard<MyCriticalSection> lock(ReceivedList());
        return ReceivedList().Count();
    }
    int KindCount(int kind) {
        FrameDataListCS& list = *KindList(kind);
        std::lock_guard<MyCriticalSection> lock(list);
        return list.Count();
    }
    std::string Newest(int kind) {
        FrameDataListCS& list = *KindList(kind);
        std::lock_guard<MyCriticalSection> lock(list);
        const FrameData* f = list.At(list.Count() - 1);
        return f ? ToHex(f->data(), f->size()) : "none";
    }
    void Feed(const std::string& message) {
        const std::vector<uint8_t> raw = RawUecp(0, message);
        FrameReceived(raw.data(), static_cast<int>(raw.size()), nullptr);
    }

    std::atomic<int> refused{0};

private:
    std::mutex mutex_;
    std::vector<int> queued_;
};

TEST_F(FamilyHandlers, BrnFramesGoToTheirLists) {
    SortingBrn brn;
    brn.Feed("2D 03 51 42 07"); // no connection: ignored
    EXPECT_TRUE(brn.Queued().empty());
    Open(brn);

    std::vector<uint8_t> report89 = Hex("2D 23 51 42 89");
    report89.resize(37, 0);
    const struct {
        std::string message;
        int kind;
    } frames[] = {
        {"2D 0B 51 42 61 00 00 00 00 00 00 00 00", 2},
        {"2D 0C 51 42 58 00 00 00 00 00 00 00 00 00", 3},
        {"2D 05 51 42 00 00 00", 4},
        {ToHex(report89), 5},
        {"2D 03 51 42 07", 6},
        {"2D 04 51 42 07 01", 1},
        {"18 00 05", 7},
        {"18 03 05", 8},
    };
    for (const auto& f : frames) {
        brn.Feed(f.message);
    }
    std::vector<int> kinds;
    for (const auto& f : frames) {
        kinds.push_back(f.kind);
    }
    EXPECT_EQ(brn.Queued(), kinds);
    for (int kind = 2; kind <= 6; ++kind) {
        EXPECT_EQ(brn.KindCount(kind), 1) << kind;
    }
    EXPECT_EQ(brn.MainCount(), 3);

    // The kind-6 list keeps only the newest report; the others keep up to 32.
    brn.Feed("2D 03 51 42 07");
    brn.Feed("2D 0B 51 42 61 01 00 00 00 00 00 00 00");
    EXPECT_EQ(brn.KindCount(6), 1);
    EXPECT_EQ(brn.KindCount(2), 2);
    EXPECT_EQ(brn.Newest(2), "2D 0B 51 42 61 01 00 00 00 00 00 00 00");

    brn.ClearReceived();
    for (int kind = 2; kind <= 6; ++kind) {
        EXPECT_EQ(brn.KindCount(kind), 0) << kind;
    }
    EXPECT_EQ(brn.MainCount(), 0);

    // Requests find their acknowledgements on the main list; a refused frame is never queued.
    DeviceInfo info;
    EXPECT_EQ(brn.GetDeviceInfo(info, 0), IDS_ERR_OK);
    brn.refused = kBrnFrameAck;
    std::string serial;
    EXPECT_EQ(brn.GetSerialNumber(serial, 0), IDS_ERR_NO_ACK);
}

} // namespace
