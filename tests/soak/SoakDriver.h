#pragma once

#include "ProcessUsage.h"
#include "SoakCases.h"
#include "SoakFaultGate.h"

#include "sim/SimServer.h"

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

// Drives consecutive unattended runs against the in-process simulator, each with a drawn fault,
// and checks every run: it ends within its bound with the expected result, its log is kept or
// removed as the result asks and ends with the failure's lines, the module is left where the
// result says (a module left in its loader is updated from there by the next run), and the
// process's memory, descriptors and threads stay level over the runs.
class SoakDriver {
public:
    struct Settings {
        int runs = 50;
        uint64_t seed = 0;
        bool verbose = false; // the simulator's trace of every failed check
        bool sweep = false;   // every case of the table once, in place of drawn ones
    };

    explicit SoakDriver(const Settings& settings);
    ~SoakDriver();

    // Runs them all; the number of runs with a failed check.
    int Run();

private:
    // The simulated module, kept from one run to the next while it waits in its loader.
    struct Module {
        SoakScenario scenario = SoakScenario::Plain;
        std::unique_ptr<SimServer> sim;
        std::unique_ptr<SoakFaultGate> gate;
        ~Module();
    };

    // Checks of one run; its failures, one line each.
    struct Report {
        std::vector<std::string> failures;
        void Check(bool ok, const std::string& what) {
            if (!ok) {
                failures.push_back(what);
            }
        }
    };

    bool RunOne(int index, const SoakCase& c);
    std::unique_ptr<Module> MakeModule(SoakScenario scenario);
    void CheckUsage(int index, Report& report);

    Settings settings_;
    std::mt19937_64 random_;
    std::unique_ptr<Module> module_; // one left in its loader by the previous run
    ProcessUsage baseline_;
    int measured_ = 0;
    int64_t residentPeak_ = 0;
    uint32_t slowestMs_ = 0;
    std::string slowestName_;
};
