#include "UecpTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace {

using Call = std::function<UECP_IO_Error(Quarvo_UECPMessageHandler&, std::string& out)>;

struct CommandCase {
    const char* name;
    Call call;
    const char* sent; // message field (UECP) or the frame's first 16 bytes (loader)
    UECP_IO_Error result;
    const char* out;
};

std::string MacText(const std::array<uint8_t, 6>& mac) {
    return ToHex(mac.data(), 6);
}

class QuarvoCommands : public ::testing::Test {
protected:
    void Open(SimFixture& sim, RecordingHandler& handler) {
        ASSERT_TRUE(sim.Start()) << sim.server->Error();
        handler.SetConnectionParams(sim.Params());
        ASSERT_EQ(handler.Open(), IDS_ERR_OK);
    }

    bool Reconnect(SimFixture& sim, RecordingHandler& handler) {
        handler.Close(false);
        return sim.server->WaitListening(5000) && handler.Open() == IDS_ERR_OK;
    }
};

TEST_F(QuarvoCommands, ModuleCommandsWhileTheApplicationRuns) {
    SimFixture sim;
    sim.options.mac = {0x02, 0x00, 0x5A, 0x10, 0x20, 0x30};
    RecordingHandler handler;
    Open(sim, handler);
    const CommandCase cases[] = {
        {"GetModuleStatus",
         [](auto& h, std::string& out) {
             int status = 0;
             const UECP_IO_Error r = h.GetModuleStatus(status);
             out = std::to_string(status);
             return r;
         },
         "2D 03 4E 53 02", IDS_ERR_OK, "1"},
        {"GetBridgeVersion", [](auto& h, std::string& out) { return h.GetBridgeVersion(out); },
         "2D 03 4E 53 09", IDS_ERR_OK, "1.40"},
        {"GetMacAddress",
         [](auto& h, std::string& out) {
             std::array<uint8_t, 6> mac;
             const UECP_IO_Error r = h.GetMacAddress(mac);
             out = MacText(mac);
             return r;
         },
         "2D 03 4E 53 04", IDS_ERR_OK, "02 00 5A 10 20 30"},
        {"SetMacAddress",
         [](auto& h, std::string&) {
             return h.SetMacAddress({0x00, 0x11, 0x22, 0x33, 0x44, 0x55}, 5000);
         },
         "2D 09 4E 53 05 00 11 22 33 44 55", IDS_ERR_OK, ""},
        {"GetMacAddress after the change",
         [](auto& h, std::string& out) {
             std::array<uint8_t, 6> mac;
             const UECP_IO_Error r = h.GetMacAddress(mac);
             out = MacText(mac);
             return r;
         },
         "2D 03 4E 53 04", IDS_ERR_OK, "00 11 22 33 44 55"},
    };
    for (const CommandCase& c : cases) {
        std::string out;
        EXPECT_EQ(c.call(handler, out), c.result) << c.name;
        EXPECT_EQ(MessageOf(handler.LastSent()), c.sent) << c.name;
        EXPECT_EQ(out, c.out) << c.name;
    }
    // The exact frame of the first request: address 0, SQC 0, CRC 6B 9C.
    EXPECT_EQ(ToHex(handler.Sent().at(0)), "FE 00 00 00 05 2D 03 4E 53 02 6B 9C FF");
}

TEST_F(QuarvoCommands, LoaderCommandsWhileTheLoaderRuns) {
    SimFixture sim(ModuleMode::Loader);
    sim.options.flashPolls = 1;
    RecordingHandler handler;
    Open(sim, handler);
    const std::vector<uint8_t> chunk(750, 0xFE);
    const CommandCase cases[] = {
        {"LoaderGetVersion", [](auto& h, std::string& out) { return h.LoaderGetVersion(out); },
         "FE 00 01 09 FF", IDS_ERR_OK, "2.15"},
        {"LoaderResetFlash", [](auto& h, std::string&) { return h.LoaderResetFlash(); },
         "FE 00 01 05 FF", IDS_ERR_OK, ""},
        {"LoaderWriteData 3",
         [](auto& h, std::string&) {
             const uint8_t data[] = {0xFD, 0x00, 0x42};
             return h.LoaderWriteData(data, 3);
         },
         "FE 00 04 03 FD 00 00 42 FF", IDS_ERR_OK, ""},
        {"LoaderWriteData 750",
         [&chunk](auto& h, std::string& out) {
             const UECP_IO_Error r = h.LoaderWriteData(chunk.data(), 750);
             const std::vector<uint8_t> sent = static_cast<RecordingHandler&>(h).LastSent();
             out = ToHex(sent.data(), 4) + " +" + std::to_string(sent.size() - 4);
             return r;
         },
         "FE 02 EF 03 FD 01 FD 01 FD 01 FD 01 FD 01 FD 01", IDS_ERR_OK, "FE 02 EF 03 +1501"},
        {"LoaderWriteData 751",
         [&chunk](auto& h, std::string&) {
             std::vector<uint8_t> more(chunk);
             more.push_back(0);
             return h.LoaderWriteData(more.data(), 751);
         },
         "FE 02 EF 03 FD 01 FD 01 FD 01 FD 01 FD 01 FD 01", IDS_ERR_INVALID_PARAMETER, ""},
        {"LoaderSetFlashOffset",
         [](auto& h, std::string&) { return h.LoaderSetFlashOffset(0x100000); },
         "FE 00 05 08 00 10 00 00 FF", IDS_ERR_OK, ""},
        {"LoaderStartFlash", [](auto& h, std::string&) { return h.LoaderStartFlash(); },
         "FE 00 01 04 FF", IDS_ERR_OK, ""},
        {"LoaderFlashStatus busy",
         [](auto& h, std::string& out) {
             bool done = true;
             const UECP_IO_Error r = h.LoaderFlashStatus(done);
             out = done ? "done" : "busy";
             return r;
         },
         "FE 00 01 06 FF", IDS_ERR_OK, "busy"},
        {"LoaderFlashStatus done",
         [](auto& h, std::string& out) {
             bool done = false;
             const UECP_IO_Error r = h.LoaderFlashStatus(done);
             out = done ? "done" : "busy";
             return r;
         },
         "FE 00 01 06 FF", IDS_ERR_OK, "done"},
        {"GetModuleStatus",
         [](auto& h, std::string& out) {
             int status = 0;
             const UECP_IO_Error r = h.GetModuleStatus(status);
             out = std::to_string(status);
             return r;
         },
         "FE 00 00 00 05 2D 03 4E 53 02 6B 9C FF", IDS_ERR_OK, "2"},
        {"LoaderRequestRestart", [](auto& h, std::string&) { return h.LoaderRequestRestart(); },
         "FE 00 01 07 FF", IDS_ERR_OK, ""},
    };
    for (const CommandCase& c : cases) {
        std::string out;
        EXPECT_EQ(c.call(handler, out), c.result) << c.name;
        const std::vector<uint8_t> sent = handler.LastSent();
        const size_t shown = std::min<size_t>(sent.size(), 16);
        EXPECT_EQ(ToHex(sent.data(), static_cast<int>(shown)), c.sent) << c.name;
        EXPECT_EQ(out, c.out) << c.name;
    }
    // The loader messages left the sequence counter alone; the one UECP request used SQC 0.
    EXPECT_EQ(handler.Sequence(), 1);
    const ModuleState state = sim.server->State();
    EXPECT_EQ(state.flashOffset, 0x100000u);
    EXPECT_EQ(state.image.size(), 753u);
    ASSERT_EQ(state.flashed.size(), 1u);
    EXPECT_EQ(state.flashed[0].size, 753u);
}

// A whole round: into the loader, flash a firmware at 0x100000, restart, and the application
// reports the image's version.
TEST_F(QuarvoCommands, UpdateRoundThroughTheRestarts) {
    SimFixture sim;
    sim.options.flashPolls = 2;
    RecordingHandler handler;
    Open(sim, handler);

    ASSERT_EQ(handler.StartUpdateLoader(), IDS_ERR_OK);
    ASSERT_TRUE(sim.server->WaitDisconnected(5000));
    ASSERT_TRUE(Reconnect(sim, handler));
    int status = 0;
    ASSERT_EQ(handler.GetModuleStatus(status), IDS_ERR_OK);
    EXPECT_EQ(status, 2);

    std::vector<uint8_t> image(2000, 0x33);
    const std::string marker = std::string("04.10\0\0\0\r\nNET+WORKS Version %s", 30);
    std::copy(marker.begin(), marker.end(), image.begin() + 900);
    ASSERT_EQ(handler.LoaderResetFlash(), IDS_ERR_OK);
    for (size_t pos = 0; pos < image.size(); pos += 750) {
        const int n = static_cast<int>(std::min<size_t>(750, image.size() - pos));
        ASSERT_EQ(handler.LoaderWriteData(image.data() + pos, n), IDS_ERR_OK);
    }
    ASSERT_EQ(handler.LoaderSetFlashOffset(Quarvo_UECPMessageHandler::kApplicationOffset),
              IDS_ERR_OK);
    ASSERT_EQ(handler.LoaderStartFlash(), IDS_ERR_OK);
    bool done = false;
    int polls = 0;
    while (!done && polls < 10) {
        ASSERT_EQ(handler.LoaderFlashStatus(done), IDS_ERR_OK);
        ++polls;
    }
    EXPECT_EQ(polls, 3);
    EXPECT_EQ(sim.server->Trace().Lines("chunk"),
              (std::vector<std::string>{"chunk 750 total=750", "chunk 750 total=1500",
                                        "chunk 500 total=2000"}));
    ASSERT_EQ(handler.LoaderRequestRestart(), IDS_ERR_OK);
    ASSERT_EQ(handler.LoaderRestart(), IDS_ERR_OK);
    ASSERT_TRUE(sim.server->WaitDisconnected(5000));

    ASSERT_TRUE(Reconnect(sim, handler));
    ASSERT_EQ(handler.GetModuleStatus(status), IDS_ERR_OK);
    EXPECT_EQ(status, 1);
    std::string version;
    ASSERT_EQ(handler.GetBridgeVersion(version), IDS_ERR_OK);
    EXPECT_EQ(version, "4.10");

    // RebootModule waits for nothing and restarts the application.
    ASSERT_EQ(handler.RebootModule(), IDS_ERR_OK);
    ASSERT_TRUE(sim.server->WaitFor([](const ModuleState& s) { return s.restarts == 3; }, 5000));
    EXPECT_EQ(sim.server->Trace().Lines("restart"),
              (std::vector<std::string>{"restart loader down=100", "restart application down=100",
                                        "restart application down=100"}));
}

// The simulator closes when the client ends its side, so a graceful close is quick even with a
// long read time-out; after the module closed the connection, a close is quick too.
TEST_F(QuarvoCommands, GracefulCloseDoesNotWaitOutTheReadTimeout) {
    SimFixture sim;
    RecordingHandler handler;
    ASSERT_TRUE(sim.Start());
    handler.SetConnectionParams(sim.Params(30000));
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(handler.Open(), IDS_ERR_OK);
        int status = 0;
        ASSERT_EQ(handler.GetModuleStatus(status), IDS_ERR_OK);
        if (round == 1) {
            ASSERT_EQ(handler.RebootModule(), IDS_ERR_OK);
            ASSERT_TRUE(sim.server->WaitDisconnected(5000));
        }
        const auto start = std::chrono::steady_clock::now();
        handler.Close(false);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
        ASSERT_TRUE(sim.server->WaitListening(5000));
    }
}

} // namespace
