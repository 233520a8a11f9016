#include "sim/ModuleDevice.h"
#include "base/TestHex.h"
#include "sim/SimTrace.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

SimRequest Uecp(const std::string& message, uint8_t sequence = 7) {
    SimRequest r;
    r.kind = SimFrameKind::Uecp;
    r.sequence = sequence;
    r.message = Hex(message);
    return r;
}

SimRequest Loader(const std::vector<uint8_t>& payload) {
    SimRequest r;
    r.kind = SimFrameKind::Loader;
    r.message = payload;
    return r;
}

// "U:18 00 07 | L:06 00" - each frame's kind and message.
std::string Frames(const SimReply& reply) {
    std::string out;
    for (const SimFrame& f : reply.frames) {
        if (!out.empty()) {
            out += " | ";
        }
        out += (f.kind == SimFrameKind::Loader ? "L:" : "U:") + ToHex(f.message);
    }
    return out;
}

SimOptions Options(ModuleMode mode) {
    SimOptions o;
    o.mode = mode;
    o.appVersion = "01.40";
    o.loaderVersion = "02.15";
    o.mac = {0x02, 0x11, 0x22, 0x33, 0x44, 0x55};
    return o;
}

struct UecpCase {
    ModuleMode mode;
    const char* request;
    bool crcOk;
    bool lengthOk;
    const char* frames;
    bool restart;
    ModuleMode restartMode;
};

constexpr auto kApp = ModuleMode::Application;
constexpr auto kLdr = ModuleMode::Loader;

const UecpCase kUecpCases[] = {
    // Module commands while the application runs: acknowledgement 18 <code> <SQC>, answer.
    {kApp, "2D 03 4E 53 02", true, true, "U:18 00 07 | U:2D 04 4E 53 02 01", false, kApp},
    {kApp, "2D 03 4E 53 03", true, true, "U:18 00 07", true, kLdr},
    {kApp, "2D 03 4E 53 04", true, true, "U:18 00 07 | U:2D 09 4E 53 04 02 11 22 33 44 55", false,
     kApp},
    {kApp, "2D 09 4E 53 05 00 11 22 33 44 55", true, true, "U:18 00 07", false, kApp},
    {kApp, "2D 05 4E 53 05 00 11", true, true, "U:18 07 07", false, kApp},
    {kApp, "2D 03 4E 53 80", true, true, "", true, kApp},
    {kApp, "2D 03 4E 53 09", true, true, "U:18 00 07 | U:2D 08 4E 53 09 30 31 2E 34 30", false,
     kApp},
    // Refusals: unknown command, other command sets and MECs, broken frames.
    {kApp, "2D 03 4E 53 77", true, true, "U:18 03 07", false, kApp},
    {kApp, "2D 03 51 42 B1", true, true, "U:18 03 07", false, kApp},
    {kApp, "0A 01 02", true, true, "U:18 03 07", false, kApp},
    {kApp, "2D 05 4E 53 02", true, true, "U:18 07 07", false, kApp},
    {kApp, "2D 03 4E 53 02", false, true, "U:18 01 07", false, kApp},
    {kApp, "2D 03 4E 53", true, false, "U:18 08 07", false, kApp},
    // The update loader still answers the status request, and nothing else of the set.
    {kLdr, "2D 03 4E 53 02", true, true, "U:18 00 07 | U:2D 04 4E 53 02 02", false, kApp},
    {kLdr, "2D 03 4E 53 09", true, true, "U:18 03 07", false, kApp},
    {kLdr, "2D 03 4E 53 03", true, true, "U:18 03 07", false, kApp},
};

TEST(ModuleDevice, AnswersUecpRequestsPerMode) {
    for (const UecpCase& c : kUecpCases) {
        SimTrace trace;
        ModuleDevice device(Options(c.mode), trace);
        SimRequest request = Uecp(c.request);
        request.crcOk = c.crcOk;
        request.lengthOk = c.lengthOk;
        const SimReply reply = device.Handle(request);
        SCOPED_TRACE(std::string(ModuleModeName(c.mode)) + " " + c.request);
        EXPECT_EQ(Frames(reply), c.frames);
        EXPECT_EQ(reply.restart, c.restart);
        if (c.restart) {
            EXPECT_EQ(reply.restartMode, c.restartMode);
        }
        for (const SimFrame& f : reply.frames) {
            EXPECT_EQ(f.sequence, 7);
        }
    }
}

TEST(ModuleDevice, SetMacAddressChangesTheAnswer) {
    SimTrace trace;
    ModuleDevice device(Options(kApp), trace);
    device.Handle(Uecp("2D 09 4E 53 05 0A 0B 0C 00 00 00"));
    EXPECT_EQ(Frames(device.Handle(Uecp("2D 03 4E 53 04", 8))),
              "U:18 00 08 | U:2D 09 4E 53 04 0A 0B 0C 00 00 00");
}

TEST(ModuleDevice, LoaderCommandsAnswerWithLoaderFrames) {
    struct Case {
        std::vector<uint8_t> payload;
        const char* frames;
    };
    const Case cases[] = {
        {{0x09}, "L:09 30 32 2E 31 35"},
        {{0x06}, "L:06 00"}, // nothing flashing: done
        {{0x07}, "L:18 00"},
        {{0x05}, ""},
        {{0x03, 1, 2, 3}, ""},
        {{0x08, 0, 0x10, 0, 0}, ""},
        {{0x04}, ""},
        {{0x01}, ""},
        {{0x42}, "L:18 03"},
    };
    for (const Case& c : cases) {
        SimTrace trace;
        ModuleDevice device(Options(kLdr), trace);
        EXPECT_EQ(Frames(device.Handle(Loader(c.payload))), c.frames) << ToHex(c.payload);
    }
    SimTrace trace;
    ModuleDevice app(Options(kApp), trace);
    EXPECT_EQ(Frames(app.Handle(Loader({0x09}))), "L:18 03");
}

// Erase, write, set the offset, flash, poll: the image, the offset and the checksum are kept,
// the flash is done after the configured polls, and the restart installs the result.
class LoaderFlash : public ::testing::Test {
protected:
    void Flash(ModuleDevice& device, const std::vector<uint8_t>& image, uint32_t offset,
               int& busyPolls) {
        device.Handle(Loader({0x05}));
        for (size_t pos = 0; pos < image.size(); pos += 750) {
            std::vector<uint8_t> payload = {0x03};
            const size_t end = std::min(image.size(), pos + 750);
            payload.insert(payload.end(), image.begin() + static_cast<long>(pos),
                           image.begin() + static_cast<long>(end));
            device.Handle(Loader(payload));
        }
        device.Handle(
            Loader({0x08, static_cast<uint8_t>(offset >> 24), static_cast<uint8_t>(offset >> 16),
                    static_cast<uint8_t>(offset >> 8), static_cast<uint8_t>(offset)}));
        device.Handle(Loader({0x04}));
        busyPolls = 0;
        for (int i = 0; i < 100; ++i) {
            const std::string status = Frames(device.Handle(Loader({0x06})));
            if (status == "L:06 00") {
                return;
            }
            ASSERT_EQ(status, "L:06 01");
            ++busyPolls;
        }
        FAIL() << "flash never done";
    }

    static std::vector<uint8_t> ImageWithVersion(const std::string& version, size_t size) {
        std::vector<uint8_t> image(size, 0x5A);
        std::vector<uint8_t> marker(version.begin(), version.end());
        marker.insert(marker.end(), {0, 0, 0, '\r', '\n'});
        const std::string banner = "NET+WORKS Version %s";
        marker.insert(marker.end(), banner.begin(), banner.end());
        std::copy(marker.begin(), marker.end(), image.begin() + 100);
        return image;
    }

    SimTrace trace;
};

TEST_F(LoaderFlash, ApplicationImageSetsItsVersionAtTheRestart) {
    SimOptions o = Options(kLdr);
    o.flashPolls = 3;
    ModuleDevice device(o, trace);
    const std::vector<uint8_t> image = ImageWithVersion("04.10", 1600);
    int busy = 0;
    Flash(device, image, 0x100000, busy);
    EXPECT_EQ(busy, 3);

    const ModuleState& s = device.State();
    EXPECT_EQ(s.image, image);
    ASSERT_EQ(s.flashed.size(), 1u);
    EXPECT_EQ(s.flashed[0].offset, 0x100000u);
    EXPECT_EQ(s.flashed[0].size, 1600u);
    EXPECT_EQ(trace.Lines("chunk"),
              (std::vector<std::string>{"chunk 750 total=750", "chunk 750 total=1500",
                                        "chunk 100 total=1600"}));
    ASSERT_EQ(trace.Lines("flash").size(), 1u);
    EXPECT_EQ(trace.Lines("flash")[0].rfind("flash offset=0x00100000 bytes=1600 crc32=", 0), 0u);
    EXPECT_EQ(s.appVersion, "01.40"); // not before the restart

    device.Restart(kApp);
    EXPECT_EQ(device.State().appVersion, "04.10");
    EXPECT_EQ(device.State().mode, kApp);
    EXPECT_TRUE(device.State().image.empty());
    EXPECT_EQ(Frames(device.Handle(Uecp("2D 03 4E 53 09"))),
              "U:18 00 07 | U:2D 08 4E 53 09 30 34 2E 31 30");
}

TEST_F(LoaderFlash, VersionComesFromTheImageTheOptionOrStays) {
    struct Case {
        std::vector<uint8_t> image;
        const char* option;
        const char* version;
    };
    const Case cases[] = {
        {ImageWithVersion("03.20", 800), "09.99", "03.20"},
        {std::vector<uint8_t>(800, 1), "09.99", "09.99"},
        {std::vector<uint8_t>(800, 1), "", "01.40"},
        {{}, "", "01.40"},
    };
    for (const Case& c : cases) {
        SimOptions o = Options(kLdr);
        o.flashedAppVersion = c.option;
        o.flashPolls = 0;
        ModuleDevice device(o, trace);
        int busy = 0;
        Flash(device, c.image, 0x100000, busy);
        EXPECT_EQ(busy, 0);
        device.Restart(kApp);
        EXPECT_EQ(device.State().appVersion, c.version) << c.option;
    }
}

TEST_F(LoaderFlash, ImagesAtZeroInstallTheNextLoaderVersions) {
    SimOptions o = Options(kLdr);
    o.nextLoaderVersions = {"01.50", "02.03"};
    ModuleDevice device(o, trace);
    const std::vector<uint8_t> image(2000, 0xFE);
    const char* expected[] = {"01.50", "02.03", "02.03"}; // the list runs out: it stays
    for (const char* version : expected) {
        int busy = 0;
        Flash(device, image, 0, busy);
        device.Restart(kLdr);
        EXPECT_EQ(device.State().loaderVersion, version);
        EXPECT_EQ(device.State().appVersion, "01.40");
    }
    EXPECT_EQ(device.State().flashed.size(), 3u);
    EXPECT_EQ(device.State().restarts, 3);
}

TEST_F(LoaderFlash, RestartBeforeTheFlashIsDoneInstallsNothing) {
    SimOptions o = Options(kLdr);
    o.nextLoaderVersions = {"03.00"};
    o.flashPolls = 5;
    ModuleDevice device(o, trace);
    device.Handle(Loader({0x03, 1, 2, 3}));
    device.Handle(Loader({0x08, 0, 0, 0, 0}));
    device.Handle(Loader({0x04}));
    device.Handle(Loader({0x06}));
    device.Restart(kLdr);
    EXPECT_EQ(device.State().loaderVersion, "02.15");
    EXPECT_TRUE(device.State().flashed.empty());
    EXPECT_EQ(trace.Lines("flash").size(), 2u); // "flash offset=..." and "flash aborted"
}

TEST_F(LoaderFlash, KeepsAtMostTheConfiguredImageSize) {
    SimOptions o = Options(kLdr);
    o.maxImage = 1000;
    ModuleDevice device(o, trace);
    std::vector<uint8_t> chunk(751, 0x11);
    chunk[0] = 0x03;
    device.Handle(Loader(chunk));
    device.Handle(Loader(chunk));
    EXPECT_EQ(device.State().image.size(), 1000u);
    EXPECT_EQ(trace.Lines("overflow"), std::vector<std::string>{"overflow 500"});
}

TEST(ModuleDevice, ExtraCommandsJoinTheDispatchTable) {
    SimTrace trace;
    ModuleDevice device(Options(kApp), trace);
    device.RegisterUecpCommand(
        kApp, 0x51, 0x42, 0xB1,
        {true, [](const SimRequest& r, SimReply& reply) {
             reply.frames.push_back(ModuleDevice::MecAnswer(r, 0x51, 0x42, 0xB1, {0x12, 0x34}));
             return 0;
         }});
    EXPECT_EQ(Frames(device.Handle(Uecp("2D 03 51 42 B1"))), "U:18 00 07 | U:2D 05 51 42 B1 12 34");
}

} // namespace
