#include "sim/HostDevice.h"
#include "base/TestHex.h"
#include "sim/ModuleDevice.h"
#include "sim/SimTrace.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

SimRequest Uecp(const std::string& message) {
    SimRequest r;
    r.sequence = 9;
    r.message = Hex(message);
    return r;
}

// "18 00 09 | 2D ..." - the messages of a reply.
std::string Frames(const SimReply& reply) {
    std::string out;
    for (const SimFrame& f : reply.frames) {
        out += (out.empty() ? "" : " | ") + ToHex(f.message);
    }
    return out;
}

struct Device {
    explicit Device(HostFamily family) : host(HostOptions(family), trace), module(options, trace) {
        host.Install(module);
    }
    static SimHostOptions HostOptions(HostFamily family) {
        SimHostOptions h;
        h.family = family;
        h.serialNumber = "12345";
        h.versionText = "2.1";
        h.typeName = "PLM Basic";
        return h;
    }
    SimTrace trace;
    SimOptions options;
    HostDevice host;
    ModuleDevice module;
};

TEST(HostDevice, AnswersItsOwnFamilyAndRefusesTheOthers) {
    const std::string serial = "31 32 33 34 35 00 00 00 00 00";
    const struct {
        HostFamily family;
        const char* request;
        std::string frames;
    } cases[] = {
        {HostFamily::Brn, "2D 06 51 42 56 00 01 0A",
         "18 00 09 | 2D 10 51 42 55 00 01 0A " + serial},
        {HostFamily::Brn, "2D 06 51 42 56 00 25 02", "18 00 09 | 2D 08 51 42 55 00 25 02 20 00"},
        {HostFamily::Brn, "2D 06 51 42 56 00 0B 02", "18 00 09 | 2D 08 51 42 55 00 0B 02 04 D2"},
        {HostFamily::Brn, "2D 05 51 42 56 00 01", "18 07 09"},
        {HostFamily::Brn, "2D 03 52 53 7F", "18 03 09"},
        {HostFamily::Brn, "2D 03 4D 49 7F", "18 03 09"},
        {HostFamily::Wenlo, "2D 06 51 42 56 00 01 0A", "18 03 09"},
        {HostFamily::Wenlo, "2D 03 52 53 7F", "18 00 09 | 2D 0D 52 53 7F " + serial},
        {HostFamily::Wenlo, "2D 03 52 53 7E", "18 00 09 | 2D 08 52 53 7E 32 2E 31 00 00"},
        {HostFamily::Wenlo, "2D 03 52 53 7B",
         "18 00 09 | 2D 0D 52 53 7B 50 4C 4D 20 42 61 73 69 63 00"},
        {HostFamily::Wenlo, "2D 03 4D 49 7F", "18 03 09"},
        {HostFamily::Fnd, "2D 06 51 42 56 00 01 0A", "18 03 09"},
        {HostFamily::Fnd, "2D 03 52 53 7F", "18 03 09"},
        {HostFamily::Fnd, "2D 03 4D 49 7F", "18 00 09 | 2D 0D 4D 49 7F " + serial},
        {HostFamily::Fnd, "2D 03 4D 49 7E", "18 00 09 | 2D 08 4D 49 7E 32 2E 31 00 00"},
        {HostFamily::Fnd, "2D 04 4D 49 7E 00", "18 07 09"},
        {HostFamily::None, "2D 06 51 42 56 00 01 0A", "18 03 09"},
        {HostFamily::None, "2D 03 52 53 7F", "18 03 09"},
        {HostFamily::None, "2D 03 4D 49 7F", "18 03 09"},
        {HostFamily::None, "2D 03 4E 53 02", "18 00 09 | 2D 04 4E 53 02 01"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(HostFamilyName(c.family)) + ": " + c.request);
        Device device(c.family);
        EXPECT_EQ(Frames(device.module.Handle(Uecp(c.request))), c.frames);
    }
}

TEST(HostDevice, AnswersOnlyWhileTheApplicationRuns) {
    Device device(HostFamily::Brn);
    device.module.Restart(ModuleMode::Loader);
    EXPECT_EQ(Frames(device.module.Handle(Uecp("2D 06 51 42 56 00 01 0A"))), "18 03 09");
}

TEST(HostDevice, BrnReboot) {
    const struct {
        const char* request;
        bool restart;
        int reboots;
    } cases[] = {
        {"2D 04 51 42 80 00", true, 1},
        {"2D 04 51 42 80 01", false, 1},
        {"2D 04 51 42 80 02", false, 0},
        {"2D 03 51 42 80", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.request);
        Device device(HostFamily::Brn);
        const SimReply reply = device.module.Handle(Uecp(c.request));
        EXPECT_EQ(Frames(reply), ""); // never acknowledged
        EXPECT_EQ(reply.restart, c.restart);
        EXPECT_EQ(reply.restartMode, ModuleMode::Application);
        EXPECT_EQ(device.host.State().reboots, c.reboots);
        EXPECT_EQ(device.host.State().moduleRestarts, c.restart ? 1 : 0);
    }
}

} // namespace
