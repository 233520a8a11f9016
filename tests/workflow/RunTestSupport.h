#pragma once

// Runs of the update workflow against the in-process simulator: a Qt application for the
// wake-ups, the string tables, a headless front end that records every hook and moves on by
// itself like the wizard's pages, and firmware images with chosen markers.

#include "TestFiles.h"

#include "base/Stopwatch.h"
#include "sim/SimFaultHook.h"
#include "sim/SimImage.h"
#include "sim/SimServer.h"
#include "strings/CTevnoTools.h"
#include "strings/StringManager.h"
#include "workflow/UpdateRun.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

// The process's Qt application and the English string tables, made once.
inline void EnsureRunEnvironment() {
    static QCoreApplication* app = [] {
        static int argc = 1;
        static char name[] = "test_workflow";
        static char* argv[] = {name, nullptr};
        auto* created = new QCoreApplication(argc, argv);
        CTevnoTools::Initialize(0);
        StringManager& strings = StringManager::Instance();
        strings.LoadStringTable(136);
        strings.AddStringTable(2055);
        strings.AddStringTable(2056);
        strings.SetLanguage("en");
        return created;
    }();
    (void)app;
}

// Runs the owner's events until pred holds or timeoutMs have passed.
inline bool ProcessEventsUntil(const std::function<bool()>& pred, uint32_t timeoutMs) {
    Stopwatch watch;
    while (!pred()) {
        if (watch.Elapsed() >= timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::sendPostedEvents();
    }
    return true;
}

// A front end without widgets. Selecting a page starts its step, as the wizard's page
// activation does.
class HeadlessRun : public UpdateRun {
public:
    using UpdateRun::UpdateRun;
    ~HeadlessRun() override { Shutdown(); }

    struct Progress {
        std::string text;
        int target;
    };

    std::vector<std::pair<QueryResult, std::string>> queries;
    std::vector<std::pair<UpdateResult, LoaderCheckOutcome>> loaderChecks;
    std::vector<UpdateResult> updates;
    std::vector<Progress> progress;
    std::vector<std::pair<size_t, size_t>> transfers;
    std::vector<int> polls;
    std::vector<RunPage> pages;
    std::vector<std::string> asked;
    std::optional<std::string> answer; // what AskForFirmwareFile returns
    bool finished = false;             // EndWithFinish was called
    bool ended = false;                // the run came to an end (or stopped after the query)

    bool HasProgress(const std::string& text, int target) const {
        for (const Progress& p : progress) {
            if (p.text == text && p.target == target) {
                return true;
            }
        }
        return false;
    }

protected:
    void OnQueryDone(QueryResult result, const std::string& errorText) override {
        queries.emplace_back(result, errorText);
        ended = true; // a later step clears it again
    }
    void OnLoaderDone(UpdateResult result, LoaderCheckOutcome outcome) override {
        loaderChecks.emplace_back(result, outcome);
        ended = EndsRun(outcome) ||
                (outcome == LoaderCheckOutcome::LoaderUpdateNeeded && !Unattended());
    }
    void OnUpdateDone(UpdateResult result) override {
        updates.push_back(result);
        ended = true;
    }
    void OnProgressText(const std::string& text, int target) override {
        progress.push_back({text, target});
    }
    void OnTransferProgress(size_t sent, size_t total) override {
        transfers.emplace_back(sent, total);
    }
    void OnFlashPoll(int poll, int /*maxPolls*/) override { polls.push_back(poll); }
    std::optional<std::string> AskForFirmwareFile(const std::string& directory) override {
        asked.push_back(directory);
        return answer;
    }
    void SelectPage(RunPage page) override {
        pages.push_back(page);
        ended = false;
        if (page == RunPage::Check) {
            StartLoaderCheck();
        } else if (page == RunPage::Update) {
            StartUpdate();
        }
    }
    void EndWithFinish() override { finished = true; }
};

// A firmware image as the inspection and the simulator read it: the five wire characters of
// its version before the operating-system banner, the Net+OS version after it (none when
// empty: the banner then sits too close to the end), and a device code after "DEVICE: ".
inline std::string FirmwareImageBytes(const std::string& wireVersion, const std::string& netOs,
                                      const std::string& device, size_t fill) {
    std::string bytes;
    for (size_t i = 0; i < fill; ++i) {
        bytes += static_cast<char>(i % 251); // every byte value the frame codec must stuff
    }
    if (!device.empty()) {
        bytes += std::string("DEVICE: ") + "    " + device + std::string(4, '\0');
    }
    bytes += wireVersion + std::string(3, '\0') + "\r\n" + "NET+WORKS Version %s" + "      ";
    if (!netOs.empty()) {
        bytes += netOs + std::string(8, '\0');
    }
    return bytes;
}

inline std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

inline std::vector<std::string> FileLines(const std::string& path) {
    std::vector<std::string> lines;
    std::istringstream in(ReadAll(path));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

inline bool IsFrameLine(const std::string& line) {
    static const std::regex frame(
        R"(^\[\d\d:\d\d:\d\d\.\d\d\d\] (->|<-) [0-9A-F]{2}(,[0-9A-F]{2})*$)");
    return std::regex_match(line, frame);
}

// The log without its frame lines.
inline std::vector<std::string> TextLines(const std::string& path) {
    std::vector<std::string> lines;
    for (const std::string& line : FileLines(path)) {
        if (!IsFrameLine(line)) {
            lines.push_back(line);
        }
    }
    return lines;
}

// The text of an error line, or nothing for any other line.
inline std::optional<std::string> ErrorLineText(const std::string& line) {
    static const std::regex stamped(R"(^\[\d\d:\d\d:\d\d\.\d\d\d\] (.*)$)");
    std::smatch m;
    if (!std::regex_match(line, m, stamped)) {
        return std::nullopt;
    }
    return m[1].str();
}

// Resets the connection right after the loader command code has been received.
class ResetAfterLoaderCommand : public SimFaultHook {
public:
    explicit ResetAfterLoaderCommand(uint8_t code) : code_(code) {}
    void AfterRequest(const SimRequest& request, SimReply& reply) override {
        if (request.kind == SimFrameKind::Loader && !request.message.empty() &&
            request.message[0] == code_) {
            reply.reset = true;
        }
    }

private:
    uint8_t code_;
};

// Resets the connection after the module has acknowledged the UECP command code of its own set.
class ResetAfterModuleCommand : public SimFaultHook {
public:
    explicit ResetAfterModuleCommand(uint8_t code) : code_(code) {}
    void AfterRequest(const SimRequest& request, SimReply& reply) override {
        const std::vector<uint8_t>& m = request.message;
        if (request.kind == SimFrameKind::Uecp && m.size() >= 5 && m[2] == 'N' && m[3] == 'S' &&
            m[4] == code_) {
            reply.reset = true;
        }
    }

private:
    uint8_t code_;
};

// Drops the n-th request (from 1) of a command of a UECP command set: neither carried out nor
// answered.
class DropRequest : public SimFaultHook {
public:
    DropRequest(const char* set, uint8_t code, int n) : set_(set), code_(code), n_(n) {}
    bool BeforeRequest(const SimRequest& request) override {
        const std::vector<uint8_t>& m = request.message;
        if (request.kind == SimFrameKind::Uecp && m.size() >= 5 && m[2] == set_[0] &&
            m[3] == set_[1] && m[4] == code_) {
            return ++seen_ != n_;
        }
        return true;
    }

private:
    std::string set_;
    uint8_t code_;
    int n_;
    int seen_ = 0;
};

inline SimCommandFault Fault(SimFaultKind kind, const std::string& selector, int value = 0) {
    SimCommandFault fault;
    fault.kind = kind;
    fault.value = value;
    EXPECT_TRUE(ParseRequestSelector(selector, fault.target)) << selector;
    return fault;
}

// Pauses short enough for tests; the simulator's restarts take downMs.
inline WorkflowTimings FastTimings() {
    WorkflowTimings t;
    t.stepTitlePause = WorkflowTimings::Ms(0);
    t.transferPause = WorkflowTimings::Ms(50);
    t.flashPollInterval = WorkflowTimings::Ms(2);
    t.restartPause = WorkflowTimings::Ms(0);
    t.newLoaderPause = WorkflowTimings::Ms(0);
    t.reconnectPause = WorkflowTimings::Ms(40);
    t.reconnectRetryPause = WorkflowTimings::Ms(100);
    return t;
}

// One simulator, one run, one temporary program directory per test.
class RunFixture : public ::testing::Test {
public:
    static constexpr uint32_t kRunTimeoutMs = 60000;
    static constexpr const char* kSerialNumber = "0012345678";

    void SetUp() override {
        EnsureRunEnvironment();
        options.port = 0;
        options.downMs = 30;
        options.host.serialNumber = kSerialNumber;
        params.connectTimeout = 1000;
        params.readTimeout = 500;
        params.sendTimeout = 500;
    }

    void TearDown() override {
        run.reset();
        sim.reset();
    }

    SimServer& StartSim() {
        sim = std::make_unique<SimServer>(options);
        if (hook) {
            sim->SetFaultHook(hook.get());
        }
        EXPECT_TRUE(sim->Start()) << sim->Error();
        params.port = sim->Port();
        return *sim;
    }

    std::string WriteFirmware(const std::string& bytes, const std::string& name = "fw.bin") {
        return dir.Write(name, bytes);
    }

    // A firmware for the default BRN host: version 1.50, Net+OS 7.4.2.
    std::string DefaultFirmware() {
        return WriteFirmware(FirmwareImageBytes("01.50", "7.4.2", "BRN", 1800));
    }

    HeadlessRun& MakeRun(const std::string& firmwarePath, bool unattended = true) {
        run = std::make_unique<HeadlessRun>(firmwarePath, unattended);
        run->SetTimings(timings);
        run->SetConnectionParams(params);
        run->SetProgramDirectory(dir.Path());
        run->SetLogDirectory(dir.Path());
        EXPECT_EQ(run->ChooseFirmwareFile(), FirmwareChoice::Inspected);
        return *run;
    }

    // Starts the query and runs the owner's events until the run has ended.
    bool RunToEnd() {
        EXPECT_TRUE(run->StartQuery());
        return WaitForEnd();
    }

    bool WaitForEnd() {
        return ProcessEventsUntil([this] { return run->ended && !run->WorkerRunning(); },
                                  kRunTimeoutMs);
    }

    std::string LogPath() const { return dir.File(UpdateLog::kFileName); }

    TempDir dir;
    SimOptions options;
    TCP_ConnectionParams params;
    WorkflowTimings timings = FastTimings();
    std::unique_ptr<SimFaultHook> hook;
    std::unique_ptr<SimServer> sim;
    std::unique_ptr<HeadlessRun> run;
};
