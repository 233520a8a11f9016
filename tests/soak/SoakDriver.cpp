#include "SoakDriver.h"

#include "SoakRun.h"

#include "base/MsClock.h"
#include "base/Stopwatch.h"
#include "sim/SimImage.h"
#include "strings/CTevnoTools.h"
#include "strings/StringManager.h"
#include "workflow/UpdateLog.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <regex>
#include <sstream>

// Under a sanitizer freed memory is held back on purpose, so resident memory is not compared.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ZELTA_SOAK_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define ZELTA_SOAK_SANITIZED 1
#endif
#endif

namespace {

#ifdef ZELTA_SOAK_SANITIZED
constexpr bool kCompareMemory = false;
#else
constexpr bool kCompareMemory = true;
#endif

constexpr const char* kSerialNumber = "0012345678";
constexpr std::array<uint8_t, 6> kListedMac = {0x02, 0x10, 0x20, 0x30, 0x40, 0x50};
constexpr uint32_t kApplicationOffset = 0x100000;
constexpr size_t kChunk = 750;

// A run without a fault takes about a second; one with a fault waits out a few time-outs. The
// bound leaves room for a busy machine.
constexpr uint32_t kRunBoundMs = 8000 + 6 * kSoakReadTimeoutMs;
// How long the module may take to settle after a run (a restart the run set off).
constexpr uint32_t kSettleMs = 5000;
// Runs before the process's figures count as warmed up.
constexpr int kWarmUpRuns = 3;
constexpr int64_t kResidentGrowthLimit = 4 << 20;
constexpr int kDescriptorSlack = 2;

void EnsureEnvironment() {
    static QCoreApplication* app = [] {
        static int argc = 1;
        static char name[] = "zelta-soak";
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

bool ProcessEventsUntil(const std::function<bool()>& pred, uint32_t timeoutMs) {
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

// A firmware image as the inspection and the simulator read it: its five wire characters of
// version before the operating-system banner and the Net+OS version after it, no family marker,
// kSoakFirmwareChunks chunks long.
std::string FirmwareBytes(const std::string& wireVersion, const std::string& netOs) {
    const std::string tail = wireVersion + std::string(3, '\0') + "\r\n" + "NET+WORKS Version %s" +
                             "      " + netOs + std::string(8, '\0');
    const size_t size = (kSoakFirmwareChunks - 1) * kChunk + kChunk / 2;
    std::string bytes;
    for (size_t i = 0; bytes.size() + tail.size() < size; ++i) {
        bytes += static_cast<char>(i % 251); // every byte value the codec must stuff
    }
    return bytes + tail;
}

std::string DisplayVersion(const std::string& wire) {
    std::string text = wire[0] == '0' ? wire.substr(1) : wire;
    return text;
}

std::vector<std::string> FileLines(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

bool IsFrameLine(const std::string& line) {
    static const std::regex frame(
        R"(^\[\d\d:\d\d:\d\d\.\d\d\d\] (->|<-) [0-9A-F]{2}(,[0-9A-F]{2})*$)");
    return std::regex_match(line, frame);
}

std::vector<std::string> TextLines(const std::vector<std::string>& lines) {
    std::vector<std::string> text;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(text),
                 [](const std::string& l) { return !IsFrameLine(l); });
    return text;
}

int MsOfDay(const LogTime& t) {
    return ((t.hour * 60 + t.minute) * 60 + t.second) * 1000 + t.millisecond;
}

// The text of a time-stamped error line whose stamp lies within [from, to] (a second of slack
// either side, across midnight too); nothing for any other line.
std::optional<std::string> StampedText(const std::string& line, const LogTime& from,
                                       const LogTime& to) {
    static const std::regex stamped(R"(^\[(\d\d):(\d\d):(\d\d)\.(\d\d\d)\] (.*)$)");
    std::smatch m;
    if (!std::regex_match(line, m, stamped)) {
        return std::nullopt;
    }
    const LogTime t{std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3]), std::stoi(m[4])};
    constexpr int kDay = 86400000;
    const int start = MsOfDay(from) - 1000;
    const int span = ((MsOfDay(to) + 1000 - start) % kDay + kDay) % kDay;
    const int at = ((MsOfDay(t) - start) % kDay + kDay) % kDay;
    if (at > span) {
        return std::nullopt;
    }
    return m[5].str();
}

bool MacLost(const std::array<uint8_t, 6>& mac) {
    return mac[3] == 0 && mac[4] == 0 && mac[5] == 0;
}

std::string Join(const std::vector<int>& values) {
    std::string text;
    for (int v : values) {
        text += (text.empty() ? "" : "/") + std::to_string(v);
    }
    return text;
}

const char* ModuleEndName(ModuleEnd end) {
    return end == ModuleEnd::Loader ? "loader" : "application";
}

// What the run came to, as far as its hooks tell.
struct Observed {
    std::optional<RunEnd> end;
    int result = 0;
    std::string text;
};

Observed Observe(const SoakRun& run) {
    Observed o;
    if (run.update) {
        o.result = *run.update;
        o.end = UpdateSucceeded(*run.update) ? RunEnd::Updated : RunEnd::UpdateFailed;
    } else if (run.loaderCheck) {
        o.result = run.loaderCheck->first;
        if (run.loaderCheck->second == LoaderCheckOutcome::Failed) {
            o.end = RunEnd::CheckFailed;
        } else if (run.loaderCheck->second == LoaderCheckOutcome::DowngradeRefused) {
            o.end = RunEnd::DowngradeRefused;
        }
    } else if (run.query && (run.query->first == kQueryConnectFailed ||
                             run.query->first == kQueryCommunicationFailed)) {
        o.result = run.query->first;
        o.end = RunEnd::QueryFailed;
    }
    o.text = o.end ? std::string(RunEndName(*o.end)) + " " + std::to_string(o.result)
                   : std::string("no end");
    return o;
}

} // namespace

SoakDriver::Module::~Module() {
    if (sim) {
        sim->Stop();
    }
}

SoakDriver::SoakDriver(const Settings& settings) : settings_(settings), random_(settings.seed) {
    EnsureEnvironment();
}

SoakDriver::~SoakDriver() = default;

std::unique_ptr<SoakDriver::Module> SoakDriver::MakeModule(SoakScenario scenario) {
    SimOptions options;
    options.port = 0;
    options.downMs = 30;
    options.host.serialNumber = kSerialNumber;
    if (scenario == SoakScenario::LoaderUpdate) {
        options.loaderVersion = "01.05";
        options.nextLoaderVersions = {"01.50", "02.03"};
    }
    options.host.macLost = scenario == SoakScenario::MacRepair ||
                           scenario == SoakScenario::MacRepairWenlo ||
                           scenario == SoakScenario::MacRepairFnd;
    if (scenario == SoakScenario::MacRepairWenlo) {
        options.host.family = HostFamily::Wenlo;
    } else if (scenario == SoakScenario::MacRepairFnd) {
        options.host.family = HostFamily::Fnd;
    }

    auto module = std::make_unique<Module>();
    module->scenario = scenario;
    module->sim = std::make_unique<SimServer>(options);
    module->gate = std::make_unique<SoakFaultGate>(module->sim->Trace());
    module->sim->SetFaultHook(module->gate.get());
    if (!module->sim->Start()) {
        std::fprintf(stderr, "soak: the simulator does not start: %s\n",
                     module->sim->Error().c_str());
        return nullptr;
    }
    return module;
}

int SoakDriver::Run() {
    std::printf("soak: %s, seed %llu (replay with --seed %llu)\n",
                settings_.sweep ? "every case once"
                                : (std::to_string(settings_.runs) + " runs").c_str(),
                static_cast<unsigned long long>(settings_.seed),
                static_cast<unsigned long long>(settings_.seed));
    std::fflush(stdout);
    Stopwatch watch;
    int failed = 0;
    const std::vector<SoakCase> sweep =
        settings_.sweep ? SweepCases(random_) : std::vector<SoakCase>{};
    size_t next = 0;
    int runs = 0;
    while (settings_.sweep ? next < sweep.size() || module_ : runs < settings_.runs) {
        SoakCase c;
        if (module_) {
            c = RecoveryCase(MacLost(module_->sim->State().mac));
        } else if (settings_.sweep) {
            c = sweep[next++];
        } else {
            c = DrawCase(random_);
        }
        if (!RunOne(++runs, c)) {
            ++failed;
        }
    }
    module_.reset();
    const ProcessUsage end = ProcessUsage::Now();
    std::printf("soak: %d runs, %d failed, %.1f s, seed %llu; slowest run %.1f s (%s)\n", runs,
                failed, watch.Elapsed() / 1000.0, static_cast<unsigned long long>(settings_.seed),
                slowestMs_ / 1000.0, slowestName_.c_str());
    if (baseline_.Known() && end.Known()) {
        std::printf("soak: resident memory %.1f MiB after warm-up, peak %.1f, end %.1f; "
                    "descriptors %d -> %d; threads %d -> %d\n",
                    baseline_.residentBytes / 1048576.0, residentPeak_ / 1048576.0,
                    end.residentBytes / 1048576.0, baseline_.openDescriptors, end.openDescriptors,
                    baseline_.threads, end.threads);
    }
    return failed;
}

bool SoakDriver::RunOne(int index, const SoakCase& c) {
    Report report;
    const bool recovery = c.scenario == SoakScenario::FromLoader;
    if (!recovery) {
        module_ = MakeModule(c.scenario);
        if (!module_) {
            return false;
        }
    }
    SimServer& sim = *module_->sim;
    SoakFaultGate& gate = *module_->gate;
    const ModuleState before = sim.State();
    const size_t traceStart = sim.Trace().Lines().size();

    QTemporaryDir dir;
    const std::filesystem::path directory = dir.path().toStdString();
    char wire[8];
    std::snprintf(wire, sizeof wire, "01.%02d",
                  std::uniform_int_distribution<int>(40, 99)(random_));
    const std::string netOs = c.scenario == SoakScenario::Downgrade ? "6.9.9" : "7.4.2";
    const std::string firmware = FirmwareBytes(wire, netOs);
    const std::string firmwarePath = (directory / "fw.bin").string();
    std::ofstream(firmwarePath, std::ios::binary) << firmware;
    std::ofstream(directory / "sn_mac.txt", std::ios::binary)
        << kSerialNumber << " , 02:10:20:30:40:50\r\n";

    if (c.faults.commands.empty() && !c.faults.flashNeverDone && c.faults.stayAwayAfter == 0 &&
        c.faults.resetAfterChunks == 0 && c.faults.garbageBytes == 0) {
        gate.Disarm();
    } else {
        gate.Arm(c.faults, c.occurrence, before.restarts);
    }

    TCP_ConnectionParams params;
    params.port = sim.Port();
    params.connectTimeout = 1000;
    params.readTimeout = kSoakReadTimeoutMs;
    params.sendTimeout = kSoakReadTimeoutMs;
    WorkflowTimings timings;
    timings.stepTitlePause = WorkflowTimings::Ms(0);
    timings.transferPause = WorkflowTimings::Ms(50);
    timings.flashPollInterval = WorkflowTimings::Ms(2);
    timings.flashPollCount = 30;
    timings.restartPause = WorkflowTimings::Ms(0);
    timings.newLoaderPause = WorkflowTimings::Ms(0);
    timings.reconnectPause = WorkflowTimings::Ms(40);
    timings.reconnectRetryPause = WorkflowTimings::Ms(200);

    const LogTime started = LogTime::Now();
    Stopwatch watch;
    auto run = std::make_unique<SoakRun>(firmwarePath);
    run->SetTimings(timings);
    run->SetConnectionParams(params);
    run->SetProgramDirectory(directory.string());
    run->SetLogDirectory(directory.string());
    report.Check(run->ChooseFirmwareFile() == FirmwareChoice::Inspected, "firmware not inspected");
    report.Check(run->StartQuery(), "query not started");
    const uint32_t bound = kRunBoundMs + c.extraMs;
    const bool ended =
        ProcessEventsUntil([&run] { return run->ended && !run->WorkerRunning(); }, bound);
    const uint32_t elapsed = watch.Elapsed();
    const LogTime finished = LogTime::Now();
    report.Check(ended, "did not end within " + std::to_string(bound) + " ms");
    if (elapsed > slowestMs_) {
        slowestMs_ = elapsed;
        slowestName_ = c.name;
    }

    // The result.
    const Observed got = Observe(*run);
    const Outcome& want = c.expected;
    const bool resultOk = got.end == want.end && std::find(want.results.begin(), want.results.end(),
                                                           got.result) != want.results.end();
    report.Check(resultOk, std::string("expected ") + RunEndName(want.end) + " " +
                               Join(want.results) + ", got " + got.text);
    if (got.end == RunEnd::QueryFailed) {
        // As going back from the device-information page.
        run->CloseLogAndConnection();
    }
    if (recovery && run->query) {
        report.Check(run->query->first == kQueryLoaderRunning && run->LoaderWasRunning(),
                     "the module in its loader was not found there");
    }
    if (got.end == RunEnd::Updated && want.image == ImageEnd::Intact) {
        report.Check(run->CurrentFirmwareVersion() == DisplayVersion(wire),
                     "reads firmware version " + run->CurrentFirmwareVersion() + " after " +
                         DisplayVersion(wire) + " was flashed");
    }

    // The log: kept for a failure (and a MAC address left lost), with the failure's lines last.
    const std::string logPath = run->LogPath();
    const std::string queryError = run->query ? run->query->second : std::string();
    const std::string firmwareVersion = run->CurrentFirmwareVersion();
    const bool keep = got.end == RunEnd::CheckFailed || got.end == RunEnd::UpdateFailed ||
                      (got.end == RunEnd::Updated && MacLeftUncorrected(got.result));
    report.Check(run->KeepLog() == keep, "keeps the log: " + std::to_string(run->KeepLog()));
    const std::vector<std::string> lines = TextLines(FileLines(logPath));
    run.reset();
    report.Check(std::filesystem::exists(logPath) == keep,
                 keep ? "the log was not kept" : "the log was not removed");
    const auto last = [&lines](size_t fromEnd) {
        return lines.size() > fromEnd ? lines[lines.size() - 1 - fromEnd] : std::string();
    };
    if (got.end == RunEnd::QueryFailed) {
        report.Check(StampedText(last(1), started, finished) ==
                             GetString(got.result == kQueryConnectFailed
                                           ? "IDS_CONNECTIONERROR"
                                           : "IDS_COMMUNICATION_PROBLEMS") &&
                         last(0) == queryError,
                     "log does not end with the query's failure: " + last(1) + " / " + last(0));
    } else if (got.end == RunEnd::CheckFailed) {
        report.Check(StampedText(last(0), started, finished) ==
                         UpdateRun::UpdateErrorText(got.result),
                     "log does not end with the check's failure: " + last(0));
    } else if (got.end == RunEnd::UpdateFailed) {
        report.Check(StampedText(last(1), started, finished) == GetString("IDS_FLASHING_FAILED") &&
                         last(0) == UpdateRun::UpdateErrorText(got.result),
                     "log does not end with the update's failure: " + last(1) + " / " + last(0));
    } else if (got.end == RunEnd::Updated) {
        const std::string versionLine =
            GetString("IDS_CURRENT_FIRMWARE_VERSION") + " " + firmwareVersion;
        report.Check(std::find(lines.begin(), lines.end(), GetString("IDS_SUCCESS")) !=
                             lines.end() &&
                         std::find(lines.begin(), lines.end(), versionLine) != lines.end(),
                     "log does not tell the update's success and " + versionLine);
        if (MacLeftUncorrected(got.result)) {
            report.Check(last(0) == UpdateRun::UpdateErrorText(got.result),
                         "log does not end with the MAC failure: " + last(0));
        }
    }

    // The request the fault was meant for was made.
    if (!c.faults.commands.empty()) {
        report.Check(gate.Seen() >= std::max(c.occurrence, 1),
                     "the run made only " + std::to_string(gate.Seen()) +
                         " of the requests the fault picks");
    }

    // The module: where the result leaves it, with what this run flashed.
    gate.Disarm();
    const ModuleMode wantMode =
        want.module == ModuleEnd::Loader ? ModuleMode::Loader : ModuleMode::Application;
    Stopwatch settle;
    while (!(sim.State().mode == wantMode && sim.IsListening() && !sim.IsConnected()) &&
           settle.Elapsed() < kSettleMs) {
        SleepMs(5);
    }
    const ModuleState after = sim.State();
    report.Check(after.mode == wantMode, std::string("module left in its ") +
                                             ModuleModeName(after.mode) + ", expected " +
                                             ModuleEndName(want.module));
    std::optional<FlashedImage> image;
    for (size_t i = before.flashed.size(); i < after.flashed.size(); ++i) {
        if (after.flashed[i].offset == kApplicationOffset ||
            after.flashed[i].size == firmware.size()) {
            image = after.flashed[i];
        }
    }
    const uint32_t crc =
        SimCrc32(reinterpret_cast<const uint8_t*>(firmware.data()), firmware.size());
    const bool intact = image && image->crc32 == crc && image->size == firmware.size();
    switch (want.image) {
    case ImageEnd::None:
        report.Check(!image, "an image was flashed");
        break;
    case ImageEnd::Intact:
        report.Check(intact && image->offset == kApplicationOffset,
                     "the firmware was not flashed intact");
        if (intact && after.mode == ModuleMode::Application && got.end != RunEnd::UpdateFailed) {
            report.Check(after.appVersion == wire, "the module runs " + after.appVersion);
        }
        break;
    case ImageEnd::Lost:
        report.Check(image && !intact && image->offset == kApplicationOffset,
                     "no damaged image at the application offset");
        break;
    case ImageEnd::Misplaced:
        report.Check(intact && image->offset == 0, "the firmware was not flashed at offset 0");
        break;
    }
    if (got.end == RunEnd::Updated && got.result == kUpdateMacCorrected) {
        report.Check(after.mac == kListedMac, "the MAC address was not written");
    }
    if (recovery) {
        // The run went on from the loader: it did not start the loader again first.
        const std::vector<std::string> trace = sim.Trace().Lines();
        for (size_t i = traceStart; i < trace.size(); ++i) {
            if (trace[i].find("rx loader 05") == 0) {
                break;
            }
            report.Check(trace[i].find("2D 03 4E 53 03") == std::string::npos,
                         "started the loader that already ran");
        }
    }

    // A module in its loader waits for the next run (once: from there the update must work).
    std::vector<std::string> trace;
    if (settings_.verbose) {
        trace = sim.Trace().Lines();
    }
    if (after.mode != ModuleMode::Loader || !report.failures.empty() || recovery) {
        module_.reset();
        CheckUsage(index, report);
    }

    const bool ok = report.failures.empty();
    std::printf("%4d %-13s %-72s %-24s %6.1f s %s\n", index, SoakScenarioName(c.scenario),
                c.name.c_str(), got.text.c_str(), elapsed / 1000.0, ok ? "ok" : "FAILED");
    for (const std::string& f : report.failures) {
        std::printf("       - %s\n", f.c_str());
    }
    if (!ok) {
        dir.setAutoRemove(false);
        std::printf("       files kept in %s\n", directory.string().c_str());
        for (size_t i = traceStart; i < trace.size(); ++i) {
            std::printf("       | %s\n", trace[i].c_str());
        }
    }
    std::fflush(stdout);
    return ok;
}

void SoakDriver::CheckUsage(int index, Report& report) {
    const ProcessUsage now = ProcessUsage::Now();
    if (!now.Known()) {
        return;
    }
    ++measured_;
    if (measured_ <= kWarmUpRuns || index <= kWarmUpRuns) {
        baseline_ = now;
        residentPeak_ = now.residentBytes;
        return;
    }
    residentPeak_ = std::max(residentPeak_, now.residentBytes);
    report.Check(now.openDescriptors <= baseline_.openDescriptors + kDescriptorSlack,
                 "open descriptors grew from " + std::to_string(baseline_.openDescriptors) +
                     " to " + std::to_string(now.openDescriptors));
    report.Check(now.threads <= baseline_.threads, "threads grew from " +
                                                       std::to_string(baseline_.threads) + " to " +
                                                       std::to_string(now.threads));
    report.Check(!kCompareMemory ||
                     now.residentBytes <= baseline_.residentBytes + kResidentGrowthLimit,
                 "resident memory grew from " + std::to_string(baseline_.residentBytes >> 10) +
                     " KiB to " + std::to_string(now.residentBytes >> 10) + " KiB");
}
