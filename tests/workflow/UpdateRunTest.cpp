// Whole runs of the update workflow against the simulated module over loopback.
#include "RunTestSupport.h"

#include "base/ErrorCodeText.h"
#include "workflow/LoaderImage.h"
#include "workflow/MacAddressTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kApplicationOffset = 0x100000;
constexpr size_t kChunk = 750;

std::vector<uint8_t> LoaderImage(int which) {
    std::vector<uint8_t> bytes;
    EXPECT_EQ(LoadLoaderImage(which, bytes), kUpdateOk);
    return bytes;
}

struct Image {
    uint32_t offset;
    std::vector<uint8_t> bytes;
};

// The images the module flashed, in order, and the chunk sizes that carried them.
void ExpectFlashed(SimServer& sim, const std::vector<Image>& expected) {
    const ModuleState state = sim.State();
    ASSERT_EQ(state.flashed.size(), expected.size());
    std::vector<size_t> wantChunks;
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("image " + std::to_string(i));
        const Image& want = expected[i];
        EXPECT_EQ(state.flashed[i].offset, want.offset);
        EXPECT_EQ(state.flashed[i].size, want.bytes.size());
        EXPECT_EQ(state.flashed[i].crc32, SimCrc32(want.bytes.data(), want.bytes.size()));
        for (size_t done = 0; done < want.bytes.size(); done += kChunk) {
            wantChunks.push_back(std::min(kChunk, want.bytes.size() - done));
        }
    }
    std::vector<size_t> chunks;
    for (const std::string& line : sim.Trace().Lines("chunk")) {
        chunks.push_back(std::stoul(line.substr(6)));
    }
    EXPECT_EQ(chunks, wantChunks);
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::vector<std::string> SentFrames(const std::string& logPath) {
    std::vector<std::string> frames;
    for (const std::string& line : FileLines(logPath)) {
        const auto at = line.find("] -> ");
        if (IsFrameLine(line) && at != std::string::npos) {
            frames.push_back(line.substr(at + 5));
        }
    }
    return frames;
}

// --- Flashing ---------------------------------------------------------------------------------

struct FlashCase {
    const char* name;
    const char* loader;                   // the module's loader version on the wire
    std::vector<std::string> nextLoaders; // installed by the loader images
    const char* netOs;                    // of the firmware; empty: none in the file
    std::vector<int> images;              // loader images expected before the firmware
    int restarts;
};

class UpdateRunFlashing : public RunFixture {};

TEST_F(UpdateRunFlashing, FlashesTheLoaderImagesTheVersionsCallForThenTheFirmware) {
    const FlashCase cases[] = {
        {"current loader", "02.03", {}, "7.4.2", {}, 2},
        {"loader 1.05", "01.05", {"01.50", "02.03"}, "7.4.2", {0, 1}, 4},
        {"loader 1.00", "01.00", {"02.03"}, "7.4.2", {1}, 2},
        {"loader 1.20", "01.20", {"02.03"}, "7.4.2", {1}, 2},
        {"Net+OS unknown counts as new", "01.05", {"01.50", "02.03"}, "", {0, 1}, 4},
        {"old Net+OS keeps an old loader", "01.05", {}, "7.4.1", {}, 2},
    };
    for (const FlashCase& c : cases) {
        SCOPED_TRACE(c.name);
        options.loaderVersion = c.loader;
        options.nextLoaderVersions = c.nextLoaders;
        StartSim();
        const std::string firmware = FirmwareImageBytes("01.50", c.netOs, "BRN", 1800);
        MakeRun(WriteFirmware(firmware));

        ASSERT_TRUE(RunToEnd());
        EXPECT_EQ(run->updates, std::vector<UpdateResult>{kUpdateOk});
        EXPECT_EQ(run->LoaderUpdateNeeded(), !c.images.empty());
        EXPECT_TRUE(run->finished);
        EXPECT_EQ(run->CurrentFirmwareVersion(), "1.50");
        EXPECT_EQ(sim->State().appVersion, "01.50");
        EXPECT_EQ(sim->State().restarts, c.restarts);

        std::vector<Image> expected;
        for (int which : c.images) {
            expected.push_back({0, LoaderImage(which)});
        }
        expected.push_back({kApplicationOffset, Bytes(firmware)});
        ExpectFlashed(*sim, expected);
        ASSERT_FALSE(run->transfers.empty());
        EXPECT_EQ(run->transfers.back(), std::make_pair(firmware.size(), firmware.size()));

        const std::vector<std::string> lines = TextLines(LogPath());
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[lines.size() - 2], "Update operation successfully finished.");
        EXPECT_EQ(lines.back(), "Current firmware version: 1.50");
        EXPECT_FALSE(run->KeepLog());

        run.reset();
        EXPECT_FALSE(std::filesystem::exists(LogPath()));
        sim.reset();
    }
}

TEST_F(UpdateRunFlashing, LogsEveryStepAndTheFramesAroundTheTransfer) {
    StartSim();
    MakeRun(DefaultFirmware());
    ASSERT_TRUE(RunToEnd());
    ASSERT_EQ(run->updates, std::vector<UpdateResult>{kUpdateOk});

    const std::vector<std::string> expected = {
        "Connection opened successfully!",
        "Get current status...",
        "Get bridge version...",
        "Bridge running; starting update...",
        "Connecting to Updateloader...",
        "Connection opened successfully!",
        "Get status and update loader version...",
        "Reset flash data...",
        "Transferring firmware to Zelta module...",
        "Set flash offset and start flash...",
        "Awaiting flash end...",
        "Restarting Zelta module...",
        "Connecting to Zelta module...",
        "Connection opened successfully!",
        "Get status and version...",
        "Get MAC address...",
        "Update operation successfully finished.",
        "Current firmware version: 1.50",
    };
    EXPECT_EQ(TextLines(LogPath()), expected);

    // Frame lines of the requests around the data transfer, none of the data chunks.
    const std::vector<std::string> sent = SentFrames(LogPath());
    EXPECT_TRUE(Contains(sent, "FE,00,01,05,FF")) << "reset flash";
    EXPECT_TRUE(Contains(sent, "FE,00,05,08,00,10,00,00,FF")) << "flash offset";
    EXPECT_TRUE(Contains(sent, "FE,00,01,04,FF")) << "start flash";
    EXPECT_TRUE(Contains(sent, "FE,00,01,06,FF")) << "flash status";
    for (const std::string& frame : sent) {
        // A loader frame FE <length> 03 ...; a UECP frame has FE 00 00 <sequence>.
        const bool chunk =
            frame.size() > 11 && frame.substr(9, 2) == "03" && frame.substr(3, 6) != "00,00,";
        EXPECT_FALSE(chunk) << frame;
    }

    EXPECT_TRUE(run->HasProgress("Zelta firmware update", kProgressUpdateStepTitle));
    EXPECT_TRUE(run->HasProgress("Updateloader version: 2.03", kProgressUpdateDetail));
    EXPECT_TRUE(run->HasProgress("Flashing in progress (can take up to several minutes)...",
                                 kProgressUpdateStatus));
    EXPECT_TRUE(run->HasProgress("", kProgressUpdateDetail));
    EXPECT_EQ(run->polls, (std::vector<int>{1, 2, 3}));
}

TEST_F(UpdateRunFlashing, EmptyFirmwareIsFlashedWithoutChunksAndRestarted) {
    StartSim();
    // Without markers the family comes from the file name.
    MakeRun(WriteFirmware("", "empty_BRN.bin"));
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(run->updates, std::vector<UpdateResult>{kUpdateOk});
    ExpectFlashed(*sim, {{kApplicationOffset, {}}});
    EXPECT_EQ(sim->State().restarts, 2);
    EXPECT_EQ(run->transfers, (std::vector<std::pair<size_t, size_t>>{{0, 0}}));
}

// --- Loader found running, downgrade ----------------------------------------------------------

class UpdateRunLoader : public RunFixture {};

TEST_F(UpdateRunLoader, LoaderRunningAtTheQueryGoesStraightToTheUpdate) {
    options.mode = ModuleMode::Loader;
    StartSim();
    const std::string firmware = FirmwareImageBytes("01.50", "7.4.2", "", 900);
    MakeRun(WriteFirmware(firmware), false);

    ASSERT_TRUE(run->StartQuery());
    ASSERT_TRUE(ProcessEventsUntil([this] { return !run->queries.empty(); }, kRunTimeoutMs));
    EXPECT_EQ(run->queries[0].first, kQueryLoaderRunning);
    EXPECT_TRUE(run->DeviceReady());
    EXPECT_TRUE(run->LoaderWasRunning());
    EXPECT_EQ(run->CurrentFirmwareVersion(), "???");
    EXPECT_EQ(run->Device().typeName, "???");
    EXPECT_EQ(run->Device().serialNumber, "???");
    EXPECT_EQ(run->LoaderVersion(), "2.03");

    // The check posts its result at once, without a worker.
    run->ended = false;
    ASSERT_TRUE(run->StartLoaderCheck());
    EXPECT_FALSE(run->WorkerRunning());
    ASSERT_TRUE(WaitForEnd());
    ASSERT_EQ(run->loaderChecks.size(), 1u);
    EXPECT_EQ(run->loaderChecks[0],
              std::make_pair(UpdateResult{kUpdateOk}, LoaderCheckOutcome::Proceed));
    EXPECT_EQ(run->updates, std::vector<UpdateResult>{kUpdateOk});
    ExpectFlashed(*sim, {{kApplicationOffset, Bytes(firmware)}});
    EXPECT_EQ(sim->State().restarts, 1);
    for (const std::string& line : sim->Trace().Lines("rx")) {
        EXPECT_EQ(line.find("2D 03 4E 53 03"), std::string::npos) << "loader started again";
    }
}

TEST_F(UpdateRunLoader, FamilyMarkedFirmwareStopsAnUnattendedRunAtTheQuery) {
    // The family of a module found in its loader is not read, so every family marker differs.
    struct Case {
        const char* device;
        const char* warning;
    } cases[] = {{"BRN", "IDS_FLASHING_DECODER_DEVICE_ENCODER"},
                 {"PLM", "IDS_FLASHING_ENCODER_DEVICE_DECODER"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.device);
        options.mode = ModuleMode::Loader;
        StartSim();
        MakeRun(WriteFirmware(FirmwareImageBytes("01.50", "7.4.2", c.device, 100)));
        ASSERT_TRUE(RunToEnd());
        EXPECT_EQ(run->queries.back().first, kQueryLoaderRunning);
        EXPECT_EQ(run->FamilyWarningTextId(), c.warning);
        EXPECT_TRUE(run->pages.empty());
        EXPECT_TRUE(run->DeviceReady());
        run.reset();
        sim.reset();
    }
}

TEST_F(UpdateRunLoader, DowngradeIsRefusedAndTheModuleRestartedIntoItsApplication) {
    StartSim();
    MakeRun(WriteFirmware(FirmwareImageBytes("01.50", "6.9.9", "BRN", 300)));
    ASSERT_TRUE(RunToEnd());
    ASSERT_EQ(run->loaderChecks.size(), 1u);
    EXPECT_EQ(run->loaderChecks[0],
              std::make_pair(UpdateResult{kUpdateOk}, LoaderCheckOutcome::DowngradeRefused));
    EXPECT_TRUE(run->updates.empty());
    EXPECT_EQ(run->pages, std::vector<RunPage>{RunPage::Check});
    EXPECT_FALSE(run->ConnectionOpen());
    EXPECT_FALSE(run->KeepLog());
    EXPECT_TRUE(sim->WaitFor(
        [](const ModuleState& s) { return s.mode == ModuleMode::Application && s.restarts == 2; },
        5000));
    EXPECT_TRUE(sim->State().flashed.empty());

    const std::vector<std::string> lines = TextLines(LogPath());
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2],
              "Downgrading the Zelta version to a version <3.0 is not possible.");
    EXPECT_EQ(lines.back(), "Updateloader: 2.03, Net+OS version of firmware: 6.9.9");
    run.reset();
    EXPECT_FALSE(std::filesystem::exists(LogPath()));
}

TEST_F(UpdateRunLoader, LoaderUpdateWaitsForNextAndCancelLeavesOnlyALoaderThisRunStarted) {
    struct Case {
        const char* name;
        ModuleMode mode;
        bool restarted;
    } cases[] = {{"switched by the run", ModuleMode::Application, true},
                 {"found running", ModuleMode::Loader, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        options.mode = c.mode;
        options.loaderVersion = "01.05";
        StartSim();
        MakeRun(WriteFirmware(FirmwareImageBytes("01.50", "7.4.2", "", 300)), false);
        ASSERT_TRUE(run->StartQuery());
        ASSERT_TRUE(ProcessEventsUntil([this] { return !run->queries.empty(); }, kRunTimeoutMs));
        run->ended = false;
        ASSERT_TRUE(run->StartLoaderCheck());
        ASSERT_TRUE(WaitForEnd());
        ASSERT_EQ(run->loaderChecks.size(), 1u);
        EXPECT_EQ(run->loaderChecks[0].second, LoaderCheckOutcome::LoaderUpdateNeeded);
        EXPECT_TRUE(run->pages.empty());
        const std::vector<std::string> lines = TextLines(LogPath());
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[lines.size() - 2], "Updateloader update needed");
        EXPECT_EQ(lines.back(), "Updateloader: 1.05, Net+OS version of firmware: 7.4.2");

        const int restarts = sim->State().restarts;
        EXPECT_EQ(run->LeaveLoaderOnCancel(), c.restarted);
        const ModuleMode after = c.restarted ? ModuleMode::Application : ModuleMode::Loader;
        EXPECT_TRUE(sim->WaitFor(
            [&](const ModuleState& s) {
                return s.mode == after && s.restarts == restarts + (c.restarted ? 1 : 0);
            },
            5000));
        run.reset();
        sim.reset();
    }
}

// --- Identification ---------------------------------------------------------------------------

class UpdateRunQuery : public RunFixture {};

TEST_F(UpdateRunQuery, IdentifiesTheHostDevice) {
    struct Case {
        const char* name;
        HostFamily family;
        bool ackless; // the BRN requests go unacknowledged
        const char* typeName;
        const char* serialNumber;
        int familyCode;
        int accepts; // connections the module saw
    } cases[] = {
        {"BRN", HostFamily::Brn, false, "BRN MPX", kSerialNumber, 1, 1},
        {"Wenlo", HostFamily::Wenlo, false, "RSK Basic", kSerialNumber, 2, 1},
        {"FND", HostFamily::Fnd, false, "FND", kSerialNumber, 3, 1},
        {"unknown family", HostFamily::None, false, "???", "???", 0, 1},
        {"no acknowledgement", HostFamily::Brn, true, "???", "???", 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        options.host.family = c.family;
        options.host.brnType = 0x22;
        options.host.typeName = "RSK Basic";
        options.faults.commands.clear();
        if (c.ackless) {
            options.faults.commands.push_back(Fault(SimFaultKind::Ignore, "QB"));
        }
        StartSim();
        MakeRun(DefaultFirmware(), false);
        ASSERT_TRUE(RunToEnd());
        ASSERT_EQ(run->queries.size(), 1u);
        EXPECT_EQ(run->queries[0].first, kQueryApplicationRunning);
        EXPECT_TRUE(run->DeviceReady());
        EXPECT_FALSE(run->LoaderWasRunning());
        EXPECT_EQ(run->CurrentFirmwareVersion(), "1.40");
        EXPECT_EQ(run->Device().typeName, c.typeName);
        EXPECT_EQ(run->Device().serialNumber, c.serialNumber);
        EXPECT_EQ(run->Device().familyCode, c.familyCode);
        // The firmware is built for BRN devices.
        EXPECT_EQ(run->FamilyWarningTextId().empty(), c.familyCode == 1);
        EXPECT_TRUE(run->HasProgress("Getting device type...", kProgressInfoStatus));
        EXPECT_TRUE(run->pages.empty());
        EXPECT_EQ(sim->Trace().Lines("accept").size(), static_cast<size_t>(c.accepts));
        EXPECT_TRUE(run->ConnectionOpen());
        run.reset();
        sim.reset();
    }
}

TEST_F(UpdateRunQuery, AnUnattendedRunStopsAtAFamilyMismatch) {
    options.host.family = HostFamily::Wenlo;
    StartSim();
    MakeRun(DefaultFirmware());
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(run->queries.back().first, kQueryApplicationRunning);
    EXPECT_EQ(run->FamilyWarningTextId(), "IDS_FLASHING_DECODER_DEVICE_ENCODER");
    EXPECT_TRUE(run->pages.empty());
}

TEST_F(UpdateRunQuery, AsksForTheFirmwareFileOnlyWithoutOne) {
    struct Case {
        const char* name;
        bool answered;
        FirmwareChoice choice;
    } cases[] = {{"chosen", true, FirmwareChoice::Inspected},
                 {"cancelled", false, FirmwareChoice::Cancelled}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir other;
        const std::string path =
            other.Write("update_v04_10.bin", FirmwareImageBytes("04.10", "7.4.2", "PLM", 50));
        HeadlessRun asking("", false);
        asking.SetProgramDirectory(dir.Path());
        if (c.answered) {
            asking.answer = path;
        }
        EXPECT_EQ(asking.ChooseFirmwareFile(), c.choice);
        EXPECT_EQ(asking.asked, std::vector<std::string>{dir.Path()});
        EXPECT_FALSE(asking.FirmwareGiven());
        if (c.answered) {
            EXPECT_EQ(asking.FirmwarePath(), path);
            EXPECT_EQ(asking.FirmwareVersion(), "4.10 (update_v04_10.bin)");
            EXPECT_EQ(asking.NetOsVersion(), "7.4.2");
            EXPECT_EQ(asking.FirmwareDeviceType(), kFirmwareFamilyWenlo);
        }
    }
}

// --- MAC address ------------------------------------------------------------------------------

TEST_F(RunFixture, RepairsALostMacAddressFromTheTable) {
    enum Table { Listed, Unlisted };
    enum Hook { NoHook, ResetAfterMacWrite, DropSerialRequestAfterFlash };
    struct Case {
        const char* name;
        HostFamily family;
        const char* device; // the firmware's family marker
        const char* version;
        Table table;
        std::vector<SimCommandFault> faults;
        Hook hook;
        UpdateResult result;
        bool written;
    } cases[] = {
        {"BRN", HostFamily::Brn, "BRN", "01.50", Listed, {}, NoHook, kUpdateMacCorrected, true},
        {"Wenlo", HostFamily::Wenlo, "PLM", "01.50", Listed, {}, NoHook, kUpdateMacCorrected, true},
        {"firmware too old",
         HostFamily::Brn,
         "BRN",
         "01.39",
         Listed,
         {},
         NoHook,
         kUpdateMacFirmwareTooOld,
         false},
        {"FND serial number",
         HostFamily::Fnd,
         "",
         "01.50",
         Listed,
         {},
         NoHook,
         kUpdateMacSerialNumberError,
         false},
        {"BRN serial number unanswered",
         HostFamily::Brn,
         "BRN",
         "01.50",
         Listed,
         {},
         DropSerialRequestAfterFlash,
         kUpdateMacSerialNumberError,
         false},
        {"not in the table",
         HostFamily::Brn,
         "BRN",
         "01.50",
         Unlisted,
         {},
         NoHook,
         kUpdateMacNotFound,
         false},
        {"write refused",
         HostFamily::Brn,
         "BRN",
         "01.50",
         Listed,
         {Fault(SimFaultKind::Nack, "NS:05", 1)},
         NoHook,
         kUpdateMacSettingError,
         false},
        {"reboot fails",
         HostFamily::Brn,
         "BRN",
         "01.50",
         Listed,
         {},
         ResetAfterMacWrite,
         kUpdateMacRebootError,
         true},
        {"MAC query fails",
         HostFamily::Brn,
         "BRN",
         "01.50",
         Listed,
         {Fault(SimFaultKind::Ignore, "NS:04")},
         NoHook,
         kUpdateOk,
         false},
    };
    const MacAddress listed = {0x02, 0x10, 0x20, 0x30, 0x40, 0x50};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dir.Write("sn_mac.txt", std::string(c.table == Listed ? kSerialNumber : "0099999999") +
                                    " , 02:10:20:30:40:50\r\n");
        options.host.family = c.family;
        options.host.macLost = true;
        options.faults.commands = c.faults;
        hook.reset();
        if (c.hook == ResetAfterMacWrite) {
            hook = std::make_unique<ResetAfterModuleCommand>(0x05);
        } else if (c.hook == DropSerialRequestAfterFlash) {
            // The query reads three BRN parameters; the fourth request is the MAC check's.
            hook = std::make_unique<DropRequest>("QB", 0x56, 4);
        }
        StartSim();
        MakeRun(WriteFirmware(FirmwareImageBytes(c.version, "7.4.2", c.device, 400)));
        ASSERT_TRUE(RunToEnd());
        ASSERT_EQ(run->updates, std::vector<UpdateResult>{c.result});
        EXPECT_TRUE(run->finished);
        EXPECT_EQ(sim->State().mac == listed, c.written);
        const bool kept = MacLeftUncorrected(c.result);
        EXPECT_EQ(run->KeepLog(), kept);

        const std::vector<std::string> lines = TextLines(LogPath());
        EXPECT_TRUE(Contains(lines, "Update operation successfully finished."));
        EXPECT_EQ(Contains(lines, "The MAC address was lost, but it was corrected."),
                  c.result == kUpdateMacCorrected);
        EXPECT_EQ(Contains(lines, "The MAC address is lost and couldn't get corrected."), kept);
        if (kept) {
            EXPECT_EQ(lines.back(), UpdateRun::UpdateErrorText(c.result));
        }
        if (c.result == kUpdateMacCorrected) {
            EXPECT_TRUE(sim->WaitFor([](const ModuleState& s) { return s.restarts == 3; }, 5000));
        }
        if (c.result == kUpdateMacSerialNumberError && c.family == HostFamily::Brn) {
            // Only a refusal as an unknown message makes the check ask a Wenlo device.
            for (const std::string& line : sim->Trace().Lines("rx")) {
                EXPECT_EQ(line.find("2D 03 52 53 7F"), std::string::npos) << line;
            }
        }
        run.reset();
        EXPECT_EQ(std::filesystem::exists(LogPath()), kept);
        sim.reset();
        std::filesystem::remove(LogPath());
    }
}

// --- Failures ---------------------------------------------------------------------------------

enum class Stage { Query, LoaderCheck, Update };

class UpdateRunFailure;

struct FailureCase {
    const char* name;
    Stage stage;
    int result;
    std::function<void(UpdateRunFailure&)> setUp;
};

class UpdateRunFailure : public RunFixture {
public:
    void Fail(const FailureCase& c);
    bool noModule = false;
};

void UpdateRunFailure::Fail(const FailureCase& c) {
    std::string firmware = DefaultFirmware();
    c.setUp(*this);
    if (!noModule) {
        StartSim();
    }
    if (c.stage == Stage::Update && c.result == kUpdateStartFlashingError) {
        firmware = WriteFirmware("", "empty_BRN.bin");
    }
    MakeRun(firmware);
    ASSERT_TRUE(RunToEnd());
    EXPECT_FALSE(run->finished);
    if (c.stage != Stage::Query) {
        EXPECT_FALSE(run->ConnectionOpen());
    }

    const std::vector<std::string> lines = TextLines(LogPath());
    ASSERT_GE(lines.size(), 2u);
    std::string errorLine = lines.back();
    std::string detail;
    switch (c.stage) {
    case Stage::Query:
        ASSERT_EQ(run->queries.size(), 1u);
        EXPECT_EQ(run->queries[0].first, c.result);
        EXPECT_FALSE(run->DeviceReady());
        EXPECT_FALSE(run->queries[0].second.empty());
        errorLine = lines[lines.size() - 2];
        detail = run->queries[0].second;
        EXPECT_EQ(ErrorLineText(errorLine), c.result == kQueryConnectFailed
                                                ? "Could not connect to the Zelta module!"
                                                : "Communication problems with the Zelta module!");
        EXPECT_EQ(lines.back(), detail);
        break;
    case Stage::LoaderCheck:
        ASSERT_EQ(run->loaderChecks.size(), 1u);
        EXPECT_EQ(run->loaderChecks[0],
                  std::make_pair(UpdateResult{c.result}, LoaderCheckOutcome::Failed));
        EXPECT_TRUE(run->updates.empty());
        EXPECT_EQ(ErrorLineText(lines.back()), UpdateRun::UpdateErrorText(c.result));
        EXPECT_TRUE(run->KeepLog());
        break;
    case Stage::Update:
        ASSERT_EQ(run->updates.size(), 1u);
        EXPECT_EQ(run->updates[0], c.result);
        EXPECT_EQ(ErrorLineText(lines[lines.size() - 2]), "Update operation failed!");
        EXPECT_EQ(lines.back(), UpdateRun::UpdateErrorText(c.result));
        EXPECT_TRUE(run->KeepLog());
        break;
    }
    const bool kept = run->KeepLog();
    run.reset();
    EXPECT_EQ(std::filesystem::exists(LogPath()), kept);
}

TEST_F(UpdateRunFailure, EachFailureEndsWithItsResultAndATimeStampedLine) {
    const auto ignore = [](const char* selector) {
        return [selector](UpdateRunFailure& f) {
            f.options.faults.commands = {Fault(SimFaultKind::Ignore, selector)};
        };
    };
    const FailureCase cases[] = {
        {"connection refused", Stage::Query, kQueryConnectFailed,
         [](UpdateRunFailure& f) {
             // A port nobody listens on any more.
             f.StartSim();
             f.sim.reset();
             f.noModule = true;
         }},
        {"status unanswered", Stage::Query, kQueryCommunicationFailed, ignore("NS:02")},
        {"loader version unanswered", Stage::LoaderCheck, kUpdateCommunicationProblems,
         ignore("loader:09")},
        {"loader start ignored", Stage::LoaderCheck, kUpdateLoaderNotRunning, ignore("NS:03")},
        {"loader never comes up", Stage::LoaderCheck, kUpdateCannotConnectLoader,
         [](UpdateRunFailure& f) { f.options.faults.stayAwayAfter = 1; }},
        {"connection lost before the data", Stage::Update, kUpdateSendingError,
         [](UpdateRunFailure& f) { f.hook = std::make_unique<ResetAfterLoaderCommand>(0x05); }},
        {"connection lost before the flash", Stage::Update, kUpdateStartFlashingError,
         [](UpdateRunFailure& f) { f.hook = std::make_unique<ResetAfterLoaderCommand>(0x05); }},
        {"flash never ends", Stage::Update, kUpdateFlashEndTimeout,
         [](UpdateRunFailure& f) {
             f.options.faults.flashNeverDone = true;
             f.timings.flashPollCount = 5;
         }},
        {"flash status unanswered", Stage::Update, kUpdateFlashEndError, ignore("loader:06")},
        {"restart refused", Stage::Update, kUpdateRestartError,
         [](UpdateRunFailure& f) {
             f.options.faults.commands = {Fault(SimFaultKind::Nack, "loader:07", 1)};
         }},
        {"application never comes up", Stage::Update, kUpdateCannotConnectBridge,
         [](UpdateRunFailure& f) { f.options.faults.stayAwayAfter = 2; }},
        {"restart request unacknowledged", Stage::Update, kUpdateLoaderRunningAfterFlash,
         ignore("loader:07")},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        options = SimOptions{};
        noModule = false;
        SetUp();
        timings = FastTimings();
        hook.reset();
        Fail(c);
        if (c.result == kUpdateFlashEndTimeout) {
            EXPECT_EQ(sim->Trace().Lines("fault flash-never-done").size(), 5u);
        }
        sim.reset();
        std::filesystem::remove(LogPath());
    }
}

TEST_F(UpdateRunFailure, FirmwareFileIsReadOnlyAtTheUpdateStep) {
    struct Case {
        const char* name;
        bool directory; // else the file is gone
        UpdateResult result;
    } cases[] = {{"missing", false, kUpdateFileOpenError},
                 {"unreadable", true, kUpdateFileReadError}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        options.loaderVersion = "01.00";
        options.nextLoaderVersions = {"02.03"};
        StartSim();
        const std::string path = DefaultFirmware();
        MakeRun(path);
        std::filesystem::remove(path);
        if (c.directory) {
            dir.MakeDirectory("fw.bin");
        }
        ASSERT_TRUE(RunToEnd());
        EXPECT_EQ(run->updates, std::vector<UpdateResult>{c.result});
        // The loader update before it went through.
        ExpectFlashed(*sim, {{0, LoaderImage(kLoaderImageV2)}});
        const std::vector<std::string> lines = TextLines(LogPath());
        EXPECT_EQ(lines.back(), UpdateRun::UpdateErrorText(c.result));
        run.reset();
        sim.reset();
        std::filesystem::remove_all(path);
    }
}

// --- Lifetime ---------------------------------------------------------------------------------

TEST_F(RunFixture, DestroyingTheRunStopsItsWorker) {
    timings.flashPollInterval = WorkflowTimings::Ms(60000);
    StartSim();
    MakeRun(DefaultFirmware());
    ASSERT_TRUE(run->StartQuery());
    ASSERT_TRUE(ProcessEventsUntil(
        [this] { return !sim->Trace().Lines("flash").empty() && run->UpdateRunning(); },
        kRunTimeoutMs));
    Stopwatch watch;
    run.reset();
    // The poll pause alone would last a minute.
    EXPECT_LT(watch.Elapsed(), 30000u);
}

} // namespace

namespace {

// A run as an operator would see it: the program's own pauses and a module that takes a second
// to restart. Takes about half a minute; run it with --gtest_also_run_disabled_tests.
TEST_F(RunFixture, DISABLED_LoaderReplacementWithTheProgramsPauses) {
    options = SimOptions{};
    options.port = 0;
    options.loaderVersion = "01.05";
    options.nextLoaderVersions = {"01.50", "02.03"};
    timings = WorkflowTimings{};
    params.readTimeout = 3000;
    params.sendTimeout = 3000;
    StartSim();
    MakeRun(DefaultFirmware());
    Stopwatch watch;
    ASSERT_TRUE(RunToEnd());
    std::printf("run took %u ms\n", watch.Elapsed());
    EXPECT_EQ(run->updates, std::vector<UpdateResult>{kUpdateOk});
    EXPECT_EQ(sim->State().flashed.size(), 3u);
    EXPECT_EQ(sim->State().loaderVersion, "02.03");
}

} // namespace
