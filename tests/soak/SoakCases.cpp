#include "SoakCases.h"

#include <array>

namespace {

using Module = ModuleEnd;
using Image = ImageEnd;

// --- Outcomes ---------------------------------------------------------------------------------

Outcome QueryFails() {
    return {RunEnd::QueryFailed, {2}, Module::Application, Image::None};
}
Outcome CheckFails(int result, Module module) {
    return {RunEnd::CheckFailed, {result}, module, Image::None};
}
Outcome UpdateFails(int result, Module module, Image image) {
    return {RunEnd::UpdateFailed, {result}, module, image};
}
Outcome Updated(int result = 0, Image image = Image::Intact) {
    return {RunEnd::Updated, {result}, Module::Application, image};
}
Outcome Refused(Module module) {
    return {RunEnd::DowngradeRefused, {0}, module, Image::None};
}

Outcome Unfaulted(SoakScenario scenario) {
    switch (scenario) {
    case SoakScenario::MacRepair:
    case SoakScenario::MacRepairWenlo:
        return Updated(22);
    case SoakScenario::MacRepairFnd:
        return Updated(18);
    case SoakScenario::Downgrade:
        return Refused(Module::Application);
    default:
        return Updated();
    }
}

// --- Request faults ---------------------------------------------------------------------------

enum Waits : unsigned { kNone = 0, kAck = 1, kAnswer = 2 };

// What a fault does to the request it hits.
enum class Effect {
    None,       // nothing the program can notice
    AckLost,    // carried out and answered, but the acknowledgement is lost or corrupted
    NotDone,    // neither carried out nor acknowledged nor answered
    Refused,    // refused with a negative acknowledgement (any code but 3), not carried out
    Refused3,   // refused as an unknown message (code 3), not carried out
    AnswerLost, // carried out and acknowledged; the answer is unusable (late, wrong, bad)
};

// One request of a run and what each effect there makes of the run.
struct HitPoint {
    const char* name;
    SoakScenario scenario;
    const char* selector;
    int first; // matching requests of the run: the fault hits one of first..last
    int last;
    unsigned waits;
    Outcome ackLost;
    Outcome notDone;
    Outcome refused;
    Outcome refused3;
    Outcome answerLost;
};

// clang-format off
const std::vector<HitPoint>& HitPoints() {
    using S = SoakScenario;
    const Module app = Module::Application;
    const Module loader = Module::Loader;
    static const std::vector<HitPoint> points = {
        // The query. A BRN request without acknowledgement, or refused as unknown, leaves the
        // device unidentified ("???"), and the run goes on.
        {"query: module status", S::Plain, "NS:02", 1, 1, kAck | kAnswer,
         QueryFails(), QueryFails(), QueryFails(), QueryFails(), QueryFails()},
        {"query: bridge version", S::Plain, "NS:09", 1, 1, kAck | kAnswer,
         QueryFails(), QueryFails(), QueryFails(), QueryFails(), QueryFails()},
        {"query: BRN parameter", S::Plain, "QB:56", 1, 3, kAck | kAnswer,
         Updated(), Updated(), QueryFails(), Updated(), QueryFails()},
        {"query: Wenlo text", S::MacRepairWenlo, "RS", 1, 3, kAck | kAnswer,
         Updated(22), Updated(22), QueryFails(), Updated(22), QueryFails()},
        // The first request that fails ends the query; answers late but in time change nothing.
        {"every request", S::Plain, "*", 0, 0, kAck | kAnswer,
         QueryFails(), QueryFails(), QueryFails(), QueryFails(), QueryFails()},

        // The loader check. A start request that got through unacknowledged still switches
        // the module; one that did not leaves the application running (8).
        {"check: start the loader", S::Plain, "NS:03", 1, 1, kAck,
         Updated(), CheckFails(8, app), CheckFails(2, app), CheckFails(2, app), Updated()},
        {"check: status in the loader", S::Plain, "NS:02", 2, 2, kAck | kAnswer,
         CheckFails(2, loader), CheckFails(2, loader), CheckFails(2, loader),
         CheckFails(2, loader), CheckFails(2, loader)},
        {"check: loader version", S::Plain, "loader:09", 1, 1, kAnswer,
         Updated(), CheckFails(2, loader), CheckFails(2, loader), CheckFails(2, loader),
         CheckFails(2, loader)},

        // The update. Commands without acknowledgement or answer fail unnoticed: the module
        // flashes what it got, where it was told.
        {"update: reset flash", S::Plain, "loader:05", 1, 1, kNone,
         Updated(), Updated(), Updated(), Updated(), Updated()},
        {"update: data chunk", S::Plain, "loader:03", 1, kSoakFirmwareChunks, kNone,
         Updated(), Updated(0, Image::Lost), Updated(0, Image::Lost), Updated(0, Image::Lost),
         Updated()},
        {"update: flash offset", S::Plain, "loader:08", 1, 1, kNone,
         Updated(), Updated(0, Image::Misplaced), Updated(0, Image::Misplaced),
         Updated(0, Image::Misplaced), Updated()},
        {"update: start flash", S::Plain, "loader:04", 1, 1, kNone,
         Updated(), Updated(0, Image::None), Updated(0, Image::None), Updated(0, Image::None),
         Updated()},
        {"update: flash status, busy", S::Plain, "loader:06", 1, 2, kAnswer,
         Updated(), UpdateFails(13, loader, Image::None), UpdateFails(13, loader, Image::None),
         UpdateFails(13, loader, Image::None), UpdateFails(13, loader, Image::None)},
        // The module has finished the flash when it answers the last poll.
        {"update: flash status, done", S::Plain, "loader:06", 3, 3, kAnswer,
         Updated(), UpdateFails(13, loader, Image::None), UpdateFails(13, loader, Image::None),
         UpdateFails(13, loader, Image::None), UpdateFails(13, loader, Image::Intact)},
        // An unacknowledged restart request counts as sent; the module then still runs its
        // loader after the reconnect (16).
        {"update: request restart", S::Plain, "loader:07", 1, 1, kAck,
         UpdateFails(16, loader, Image::Intact), UpdateFails(16, loader, Image::Intact),
         UpdateFails(14, loader, Image::Intact), UpdateFails(14, loader, Image::Intact),
         Updated()},
        {"update: restart", S::Plain, "loader:01", 1, 1, kNone,
         Updated(), UpdateFails(16, loader, Image::Intact), UpdateFails(16, loader, Image::Intact),
         UpdateFails(16, loader, Image::Intact), Updated()},
        {"update: status after the restart", S::Plain, "NS:02", 3, 3, kAck | kAnswer,
         UpdateFails(2, app, Image::Intact), UpdateFails(2, app, Image::Intact),
         UpdateFails(2, app, Image::Intact), UpdateFails(2, app, Image::Intact),
         UpdateFails(2, app, Image::Intact)},
        {"MAC check: bridge version", S::Plain, "NS:09", 2, 2, kAck | kAnswer,
         UpdateFails(2, app, Image::Intact), UpdateFails(2, app, Image::Intact),
         UpdateFails(2, app, Image::Intact), UpdateFails(2, app, Image::Intact),
         UpdateFails(2, app, Image::Intact)},
        // A MAC address that cannot be read is not checked.
        {"MAC check: MAC address", S::Plain, "NS:04", 1, 1, kAck | kAnswer,
         Updated(), Updated(), Updated(), Updated(), Updated()},

        // The intermediate loader's restart and the switch into it.
        {"loader update: request restart", S::LoaderUpdate, "loader:07", 1, 1, kAck,
         UpdateFails(16, loader, Image::None), UpdateFails(16, loader, Image::None),
         UpdateFails(14, loader, Image::None), UpdateFails(14, loader, Image::None), Updated()},
        {"loader update: status after the restart", S::LoaderUpdate, "NS:02", 3, 3,
         kAck | kAnswer, UpdateFails(2, app, Image::None), UpdateFails(2, app, Image::None),
         UpdateFails(2, app, Image::None), UpdateFails(2, app, Image::None),
         UpdateFails(2, app, Image::None)},
        {"loader update: start the new loader", S::LoaderUpdate, "NS:03", 2, 2, kAck,
         Updated(), UpdateFails(8, app, Image::None), UpdateFails(2, app, Image::None),
         UpdateFails(2, app, Image::None), Updated()},
        {"loader update: status in the new loader", S::LoaderUpdate, "NS:02", 4, 4,
         kAck | kAnswer, UpdateFails(2, loader, Image::None), UpdateFails(2, loader, Image::None),
         UpdateFails(2, loader, Image::None), UpdateFails(2, loader, Image::None),
         UpdateFails(2, loader, Image::None)},
        {"loader update: new loader's version", S::LoaderUpdate, "loader:09", 2, 2, kAnswer,
         Updated(), UpdateFails(2, loader, Image::None), UpdateFails(2, loader, Image::None),
         UpdateFails(2, loader, Image::None), UpdateFails(2, loader, Image::None)},
        {"loader update: V2 flash status", S::LoaderUpdate, "loader:06", 4, 5, kAnswer,
         Updated(), UpdateFails(13, loader, Image::None), UpdateFails(13, loader, Image::None),
         UpdateFails(13, loader, Image::None), UpdateFails(13, loader, Image::None)},

        // The MAC repair: every failure leaves a successful update with the address lost.
        {"MAC repair: serial number", S::MacRepair, "QB:56", 4, 4, kAck | kAnswer,
         Updated(18), Updated(18), Updated(18), Updated(18), Updated(18)},
        {"MAC repair: write the address", S::MacRepair, "NS:05", 1, 1, kAck,
         Updated(20), Updated(20), Updated(20), Updated(20), Updated(22)},
        // The reboot is not acknowledged: one that does not happen goes unnoticed.
        {"MAC repair: reboot", S::MacRepair, "QB:80", 1, 1, kNone,
         Updated(22), Updated(22), Updated(22), Updated(22), Updated(22)},
        {"Wenlo MAC repair: serial number", S::MacRepairWenlo, "RS:7F", 2, 2, kAck | kAnswer,
         Updated(18), Updated(18), Updated(18), Updated(18), Updated(18)},
        {"Wenlo MAC repair: write the address", S::MacRepairWenlo, "NS:05", 1, 1, kAck,
         Updated(20), Updated(20), Updated(20), Updated(20), Updated(22)},
        {"Wenlo MAC repair: restart the module", S::MacRepairWenlo, "NS:80", 1, 1, kNone,
         Updated(22), Updated(22), Updated(22), Updated(22), Updated(22)},

        // Leaving the loader after a refused downgrade: results are not looked at, but a
        // refused restart request keeps the module in its loader.
        {"downgrade: request restart", S::Downgrade, "loader:07", 1, 1, kAck,
         Refused(app), Refused(app), Refused(loader), Refused(loader), Refused(app)},
        {"downgrade: restart", S::Downgrade, "loader:01", 1, 1, kNone,
         Refused(app), Refused(loader), Refused(loader), Refused(loader), Refused(app)},
    };
    return points;
}
// clang-format on

struct FaultDraw {
    SimFaultKind kind;
    int value;
};

bool IsUecp(const char* selector) {
    return std::string(selector).rfind("loader", 0) != 0;
}

Effect EffectOf(const FaultDraw& f, const HitPoint& point) {
    const bool acked = (point.waits & kAck) != 0;
    const bool answered = (point.waits & kAnswer) != 0;
    const bool uecp = IsUecp(point.selector);
    switch (f.kind) {
    case SimFaultKind::Ignore:
        return Effect::NotDone;
    case SimFaultKind::NoAck:
        return acked ? Effect::AckLost : Effect::None;
    case SimFaultKind::Nack:
        return f.value == 3 ? Effect::Refused3 : Effect::Refused;
    case SimFaultKind::BadCrcAck:
        // Loader frames carry no CRC.
        return acked && uecp ? Effect::AckLost : Effect::None;
    case SimFaultKind::BadCrcAnswer:
        return answered && uecp ? Effect::AnswerLost : Effect::None;
    case SimFaultKind::AnswerSize:
    case SimFaultKind::WrongAnswer:
        return answered ? Effect::AnswerLost : Effect::None;
    case SimFaultKind::Slow:
        // Drawn either well inside the read time-out or far beyond it.
        return answered && f.value > kSoakReadTimeoutMs ? Effect::AnswerLost : Effect::None;
    }
    return Effect::None;
}

const Outcome& OutcomeOf(Effect effect, const HitPoint& point, const Outcome& unfaulted) {
    switch (effect) {
    case Effect::AckLost:
        return point.ackLost;
    case Effect::NotDone:
        return point.notDone;
    case Effect::Refused:
        return point.refused;
    case Effect::Refused3:
        return point.refused3;
    case Effect::AnswerLost:
        return point.answerLost;
    case Effect::None:
        break;
    }
    return unfaulted;
}

int Uniform(std::mt19937_64& random, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
}

constexpr std::array<SimFaultKind, 10> kFaultKinds = {
    SimFaultKind::Ignore,    SimFaultKind::NoAck,       SimFaultKind::Nack,
    SimFaultKind::Nack,      SimFaultKind::AnswerSize,  SimFaultKind::BadCrcAnswer,
    SimFaultKind::BadCrcAck, SimFaultKind::WrongAnswer, SimFaultKind::Slow,
    SimFaultKind::Slow};

// The pick-th kind of kFaultKinds with a value drawn for it.
FaultDraw DrawRequestFault(std::mt19937_64& random, size_t pick) {
    FaultDraw f{kFaultKinds[pick], 0};
    switch (f.kind) {
    case SimFaultKind::Nack:
        // Half of the refusals say "message unknown", which the family handlers act on.
        f.value = pick == 2 ? 3 : Uniform(random, 1, 21);
        break;
    case SimFaultKind::AnswerSize:
        f.value = Uniform(random, 1, 3) * (Uniform(random, 0, 1) == 0 ? -1 : 1);
        break;
    case SimFaultKind::WrongAnswer:
        f.value = Uniform(random, 1, 3);
        break;
    case SimFaultKind::Slow:
        f.value = pick == 8 ? Uniform(random, 5, kSoakReadTimeoutMs / 6)
                            : Uniform(random, 2 * kSoakReadTimeoutMs, 3 * kSoakReadTimeoutMs);
        break;
    default:
        break;
    }
    return f;
}

FaultDraw DrawRequestFault(std::mt19937_64& random) {
    return DrawRequestFault(random,
                            static_cast<size_t>(Uniform(random, 0, kFaultKinds.size() - 1)));
}

std::string FaultText(const FaultDraw& f, const std::string& selector) {
    std::string text = std::string(SimFaultKindName(f.kind)) + " " + selector;
    if (f.kind == SimFaultKind::Nack || f.kind == SimFaultKind::AnswerSize ||
        f.kind == SimFaultKind::WrongAnswer || f.kind == SimFaultKind::Slow) {
        text += "," + std::to_string(f.value);
    }
    return text;
}

// --- Module faults ----------------------------------------------------------------------------

enum class ModuleFault { FlashNeverDone, StayAway, ResetAfterChunks, Garbage };

struct ModuleFaultRow {
    const char* name;
    SoakScenario scenario;
    ModuleFault fault;
    int low; // the fault's value is drawn from low..high
    int high;
    Outcome outcome;
};

const std::vector<ModuleFaultRow>& ModuleFaults() {
    using S = SoakScenario;
    const Module app = Module::Application;
    const Module loader = Module::Loader;
    // A reset during the data transfer is noticed by the next send that finds the connection
    // gone: a later chunk (10), the flash start (11) or the first flash-status poll (13).
    Outcome reset = UpdateFails(10, loader, Image::None);
    reset.results = {10, 11, 13};
    static const std::vector<ModuleFaultRow> rows = {
        {"flash never ends", S::Plain, ModuleFault::FlashNeverDone, 0, 0,
         UpdateFails(12, loader, Image::None)},
        {"loader never comes up", S::Plain, ModuleFault::StayAway, 1, 1, CheckFails(9, loader)},
        {"application never comes back", S::Plain, ModuleFault::StayAway, 2, 2,
         UpdateFails(15, app, Image::Intact)},
        {"connection reset during the transfer", S::Plain, ModuleFault::ResetAfterChunks, 1,
         kSoakFirmwareChunks, reset},
        {"garbage between frames", S::Plain, ModuleFault::Garbage, 1, 40, Updated()},
        {"intermediate loader never comes back", S::LoaderUpdate, ModuleFault::StayAway, 2, 2,
         UpdateFails(15, app, Image::None)},
        {"new loader never comes up", S::LoaderUpdate, ModuleFault::StayAway, 3, 3,
         UpdateFails(9, loader, Image::None)},
        {"application never comes back after the loader update", S::LoaderUpdate,
         ModuleFault::StayAway, 4, 4, UpdateFails(15, app, Image::Intact)},
        {"module stays away after the MAC repair", S::MacRepair, ModuleFault::StayAway, 3, 3,
         Updated(22)},
        {"module stays away after the refused downgrade", S::Downgrade, ModuleFault::StayAway, 2, 2,
         Refused(app)},
        {"garbage during the loader update", S::LoaderUpdate, ModuleFault::Garbage, 1, 40,
         Updated()},
    };
    return rows;
}

SoakCase ModuleFaultCase(const ModuleFaultRow& row, std::mt19937_64& random) {
    SoakCase c;
    c.scenario = row.scenario;
    c.expected = row.outcome;
    const int value = Uniform(random, row.low, row.high);
    std::string what;
    switch (row.fault) {
    case ModuleFault::FlashNeverDone:
        c.faults.flashNeverDone = true;
        what = "flash-never-done";
        break;
    case ModuleFault::StayAway:
        c.faults.stayAwayAfter = value;
        what = "stay-away " + std::to_string(value);
        break;
    case ModuleFault::ResetAfterChunks:
        c.faults.resetAfterChunks = value;
        what = "reset-after-chunks " + std::to_string(value);
        break;
    case ModuleFault::Garbage:
        c.faults.garbageBytes = value;
        what = "garbage " + std::to_string(value);
        break;
    }
    c.name = std::string(row.name) + ": " + what;
    return c;
}

SoakCase RequestFaultCase(const HitPoint& point, const FaultDraw& fault, int occurrence) {
    SoakCase c;
    c.scenario = point.scenario;
    c.occurrence = occurrence;
    SimCommandFault command;
    command.kind = fault.kind;
    command.value = fault.value;
    ParseRequestSelector(point.selector, command.target);
    c.faults.commands.push_back(command);
    c.expected = OutcomeOf(EffectOf(fault, point), point, Unfaulted(point.scenario));
    c.name = std::string(point.name) + ": " + FaultText(fault, point.selector) +
             (occurrence > 0 ? " #" + std::to_string(occurrence) : std::string());
    if (std::string(point.selector) == "NS:05") {
        c.extraMs = 5000; // the address write waits that long for its acknowledgement
    }
    if (fault.kind == SimFaultKind::Slow) {
        c.extraMs += static_cast<uint32_t>(fault.value);
    }
    return c;
}

constexpr std::array<SoakScenario, 6> kScenarios = {
    SoakScenario::Plain,          SoakScenario::LoaderUpdate, SoakScenario::MacRepair,
    SoakScenario::MacRepairWenlo, SoakScenario::MacRepairFnd, SoakScenario::Downgrade};

} // namespace

const char* SoakScenarioName(SoakScenario scenario) {
    switch (scenario) {
    case SoakScenario::Plain:
        return "plain";
    case SoakScenario::LoaderUpdate:
        return "loader-update";
    case SoakScenario::MacRepair:
        return "mac-repair";
    case SoakScenario::MacRepairWenlo:
        return "mac-wenlo";
    case SoakScenario::MacRepairFnd:
        return "mac-fnd";
    case SoakScenario::Downgrade:
        return "downgrade";
    case SoakScenario::FromLoader:
        return "from-loader";
    }
    return "?";
}

const char* RunEndName(RunEnd end) {
    switch (end) {
    case RunEnd::QueryFailed:
        return "query failed";
    case RunEnd::CheckFailed:
        return "loader check failed";
    case RunEnd::DowngradeRefused:
        return "downgrade refused";
    case RunEnd::UpdateFailed:
        return "update failed";
    case RunEnd::Updated:
        return "updated";
    }
    return "?";
}

SoakCase DrawCase(std::mt19937_64& random) {
    const auto& points = HitPoints();
    const auto& modules = ModuleFaults();
    // Every tenth run or so has no fault; request faults come three times as often as module
    // faults.
    const int roll = Uniform(random, 0, 59);
    if (roll < static_cast<int>(kScenarios.size())) {
        SoakCase c;
        c.scenario = kScenarios[static_cast<size_t>(roll)];
        c.expected = Unfaulted(c.scenario);
        c.name = "no fault";
        return c;
    }
    if (roll < 20) {
        return ModuleFaultCase(
            modules[static_cast<size_t>(Uniform(random, 0, static_cast<int>(modules.size()) - 1))],
            random);
    }

    const HitPoint& point =
        points[static_cast<size_t>(Uniform(random, 0, static_cast<int>(points.size()) - 1))];
    // Mostly a fault the program can notice at this request.
    FaultDraw fault = DrawRequestFault(random);
    for (int tries = 0;
         tries < 8 && EffectOf(fault, point) == Effect::None && Uniform(random, 0, 9) != 0;
         ++tries) {
        fault = DrawRequestFault(random);
    }
    SoakCase c = RequestFaultCase(point, fault, Uniform(random, point.first, point.last));
    if (Uniform(random, 0, 3) == 0) {
        // Garbage between the frames changes nothing.
        c.faults.garbageBytes = Uniform(random, 1, 40);
        c.name += " + garbage " + std::to_string(c.faults.garbageBytes);
    }
    return c;
}

std::vector<SoakCase> SweepCases(std::mt19937_64& random) {
    std::vector<SoakCase> cases;
    for (SoakScenario scenario : kScenarios) {
        SoakCase c;
        c.scenario = scenario;
        c.expected = Unfaulted(scenario);
        c.name = "no fault";
        cases.push_back(c);
    }
    for (const ModuleFaultRow& row : ModuleFaults()) {
        cases.push_back(ModuleFaultCase(row, random));
    }
    for (const HitPoint& point : HitPoints()) {
        for (size_t pick = 0; pick < kFaultKinds.size(); ++pick) {
            cases.push_back(RequestFaultCase(point, DrawRequestFault(random, pick),
                                             Uniform(random, point.first, point.last)));
        }
    }
    return cases;
}

SoakCase RecoveryCase(bool macLost) {
    SoakCase c;
    c.scenario = SoakScenario::FromLoader;
    c.name = "module found in its loader";
    c.expected = Updated(macLost ? 22 : 0);
    return c;
}
