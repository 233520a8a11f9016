#pragma once

#include "base/TCP_ConnectionParams.h"
#include "base/UECP_IO_Error.h"
#include "io/IOFrameLog.h"
#include "uecp/DeviceInfo.h"
#include "uecp/Quarvo_UECPMessageHandler.h"
#include "workflow/FirmwareFile.h"
#include "workflow/FirmwareImage.h"
#include "workflow/ProgressTarget.h"
#include "workflow/QueryResult.h"
#include "workflow/UpdateLog.h"
#include "workflow/UpdateResult.h"
#include "workflow/WorkflowTimings.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class RunEventWaker;

// The wizard's pages, in order.
enum class RunPage : int { Connection = 0, Information = 1, Check = 2, Update = 3 };

// What the update-loader check decided.
enum class LoaderCheckOutcome : int {
    Failed,             // the check failed: the run ends and the log is kept
    LoaderUpdateNeeded, // the loader is replaced first; waits for "Next >" unless unattended
    DowngradeRefused,   // the loader refuses the firmware: the run ends, the module runs its
                        // application again
    Proceed,            // no loader update: the update page follows at once
};

// One update run against a Zelta module: the device query, the update-loader check, the update
// with its loader replacement and restarts, the MAC address repair, and the update log. It is
// also the frame log: every frame sent or received becomes a line of the update log.
//
// Threads. The object belongs to the thread that creates it (the owner), which must run a Qt
// event loop. Each Start... operation runs one worker thread; at most one runs at a time. A
// worker reports its progress and its one result through a locked queue and wakes the owner,
// where the hooks below run in the order the worker posted them. The workflow fields a worker
// writes are therefore read safely by the owner once the result has been handled; while a
// worker runs, the accessors must not be used. The worker is joined when its result is
// handled, and stopped and joined when the object is destroyed (a derived class calls Shutdown
// in its destructor).
//
// Front end. The hooks have empty defaults; a wizard overrides them to show the results, and a
// headless driver overrides SelectPage to start the next step.
class UpdateRun : public IOFrameLog {
public:
    static constexpr int kStatusApplication = 1;
    static constexpr int kStatusLoader = 2;
    static constexpr int32_t kMacWriteTimeoutMs = 5000;

    // firmwarePath may be empty (then ChooseFirmwareFile finds or asks for one); unattended
    // runs the whole wizard by itself.
    UpdateRun(std::string firmwarePath, bool unattended);
    ~UpdateRun() override;
    UpdateRun(const UpdateRun&) = delete;
    UpdateRun& operator=(const UpdateRun&) = delete;

    // --- Set-up, owner thread, while no worker runs ----------------------------------------

    void SetTimings(const WorkflowTimings& timings) { timings_ = timings; }
    const WorkflowTimings& Timings() const { return timings_; }
    // The connection page's parameters: host, port and the three time-outs are used.
    void SetConnectionParams(const TCP_ConnectionParams& params) { connectionParams_ = params; }
    const TCP_ConnectionParams& ConnectionParams() const { return connectionParams_; }
    // Where firmware images and "sn_mac.txt" are looked for; the executable's directory unless
    // set.
    void SetProgramDirectory(std::string directory) { programDirectory_ = std::move(directory); }
    const std::string& ProgramDirectory() const { return programDirectory_; }
    // Where the log file goes; unless set, the program directory when it is writable, else the
    // per-user data directory.
    void SetLogDirectory(std::string directory) { logDirectory_ = std::move(directory); }

    // --- Steps, owner thread -----------------------------------------------------------------

    // Chooses the firmware file (the given path, the only "*.bin" of the program directory, or
    // AskForFirmwareFile) and inspects it. Cancelled: the program is to end without an update.
    FirmwareChoice ChooseFirmwareFile();

    // The device-information page became active: resets the run's flags, starts a new log and
    // the query. False (and nothing done) while a worker runs.
    bool StartQuery();
    // The update-loader check page became active. With the loader already running the result
    // 0 is posted at once without a worker. False while a worker runs.
    bool StartLoaderCheck();
    // The update page became active. False while a worker runs.
    bool StartUpdate();
    // Closes the log and the connection and clears deviceReady (end of a run, going back).
    void CloseLogAndConnection();
    // Cancel: when this run switched the module into its update loader, restarts it into its
    // application (the results are ignored). Blocks for up to the read time-out; does nothing
    // while a worker runs. True when the restart commands were sent.
    bool LeaveLoaderOnCancel();

    // Any thread: posts the text of identifier to the page line target. IDS_UPDATELOADER_VERSION
    // is formatted with the loader version, IDS_EMPTY gives the empty text.
    void PostProgress(const std::string& identifier, int target);

    // --- State, owner thread, while no worker runs -------------------------------------------

    bool QueryRunning() const { return queryThread_.joinable(); }
    bool LoaderCheckRunning() const { return loaderThread_.joinable(); }
    bool UpdateRunning() const { return updateThread_.joinable(); }
    bool WorkerRunning() const { return QueryRunning() || LoaderCheckRunning() || UpdateRunning(); }

    bool Unattended() const { return unattended_; }
    bool FirmwareGiven() const { return firmwareGiven_; }
    bool DeviceReady() const { return deviceReady_; }
    bool LoaderUpdateNeeded() const { return loaderUpdateNeeded_; }
    bool LoaderWasRunning() const { return loaderWasRunning_; }
    bool KeepLog() const { return keepLog_; }
    int DeviceStatus() const { return deviceStatus_; }
    const DeviceInfo& Device() const { return deviceInfo_; }
    const std::string& CurrentFirmwareVersion() const { return currentFirmwareVersion_; }
    const std::string& LoaderVersion() const { return loaderVersion_; }
    const std::string& FirmwarePath() const { return firmware_.path; }
    // The firmware file's display version; empty until a file has been chosen.
    const std::string& FirmwareVersion() const { return firmware_.version; }
    const std::string& NetOsVersion() const { return firmware_.netOsVersion; }
    int FirmwareDeviceType() const { return firmware_.deviceType; }
    // The log file of the current or last run; empty before the first query.
    std::string LogPath() const { return log_.Path(); }
    bool ConnectionOpen() const { return moduleHandler_.IsOpen(); }

    // --- Texts for the front end --------------------------------------------------------------

    // The text PostProgress shows for identifier.
    std::string ProgressText(const std::string& identifier) const;
    // The text of an update result; empty for results without one.
    static std::string UpdateErrorText(UpdateResult result);
    // The family warning of the device-information page; empty when the firmware's family
    // matches the device's or is unknown.
    std::string FamilyWarningTextId() const;
    // The warning of the check page before a loader update, and the downgrade text.
    std::string LoaderWarningTextId() const;
    std::string DowngradeTextId() const;
    // Whether the outcome ends the run (Finish and "<< Start").
    static bool EndsRun(LoaderCheckOutcome outcome);

protected:
    // Stops and joins the worker, detaches the frame log and closes the connection; afterwards
    // no other thread reaches this object. A class deriving from this one calls it first in its
    // own destructor, before its part of the object is torn down. Safe to call more than once.
    void Shutdown();

    // --- Hooks, run on the owner thread --------------------------------------------------------

    // The query ended. For 3 and 4 DeviceReady() is set; errorText is the transport's text for
    // 1 and 2. With unattended and no family warning, SelectPage(Check) follows.
    virtual void OnQueryDone(QueryResult /*result*/, const std::string& /*errorText*/) {}
    // The loader check ended. When EndsRun(outcome), the log and the connection are closed.
    // Proceed is followed by SelectPage(Update), LoaderUpdateNeeded too when unattended.
    virtual void OnLoaderDone(UpdateResult /*result*/, LoaderCheckOutcome /*outcome*/) {}
    // The update ended; this always ends the run (log and connection closed). A success when
    // UpdateSucceeded(result); when unattended, EndWithFinish follows.
    virtual void OnUpdateDone(UpdateResult /*result*/) {}
    // A text for the page line target (ProgressTarget).
    virtual void OnProgressText(const std::string& /*text*/, int /*target*/) {}
    // Bytes of the current image sent so far, of total; first (0, total), then after every chunk.
    virtual void OnTransferProgress(std::size_t /*sent*/, std::size_t /*total*/) {}
    // After each flash-status poll: poll counts from 1 up to at most maxPolls.
    virtual void OnFlashPoll(int /*poll*/, int /*maxPolls*/) {}
    // Asks the operator for a firmware file; nothing means cancelled.
    virtual std::optional<std::string> AskForFirmwareFile(const std::string& /*initialDirectory*/) {
        return std::nullopt;
    }
    // The run moves on by itself to page.
    virtual void SelectPage(RunPage /*page*/) {}
    // An unattended run succeeded: end the wizard as with Finish.
    virtual void EndWithFinish() {}

    // Frame log: one frame line of the update log.
    void OnFrameLogged(const uint8_t* frame, int len, int direction) override;

private:
    struct RunEvent {
        enum class Kind { Progress, Transfer, FlashPoll, QueryDone, LoaderDone, UpdateDone };
        Kind kind = Kind::Progress;
        int code = 0; // target, or the result
        std::string text;
        std::size_t first = 0;
        std::size_t second = 0;
    };

    // Worker threads and the operations they use.
    void QueryThread();
    QueryResult RunQuery(std::string& errorText);
    QueryResult QueryDeviceInfo(std::string& errorText);
    void LoaderThread();
    UpdateResult EnterUpdateLoader(bool onUpdatePage);
    void UpdateThread();
    UpdateResult RunUpdateSteps();
    UpdateResult ReadFirmwareFile(std::vector<uint8_t>& bytes) const;
    UpdateResult RunUpdateStep(const uint8_t* bytes, std::size_t size, int kind);
    UpdateResult WaitFlashEnd();
    // Variant A (after flashing): true when the last command sent gave 0 or 10.
    bool RestartModule();
    // Variant B (leaving the loader without flashing): results ignored.
    void LeaveUpdateLoader();
    UpdateResult RunMacCheck();
    bool OpenConnection(std::string* errorText);
    bool Reconnect();

    // Sleeps, unless the object is being destroyed; false then.
    bool Pause(WorkflowTimings::Ms duration);
    // Before the frame log restarts (which empties its queues): lets the owner write the
    // frames logged before it stopped.
    void WaitFrameLogDelivered();
    void LogText(const char* identifier);

    // Result handlers, owner thread.
    void HandleQueryDone(QueryResult result, const std::string& errorText);
    void HandleLoaderDone(UpdateResult result);
    void HandleUpdateDone(UpdateResult result);
    void LogLoaderAndNetOsVersions();

    void Post(RunEvent event);
    void DispatchNextEvent();
    void StopWorkers();
    bool FamilyMismatch() const;

    // Workflow state.
    Quarvo_UECPMessageHandler moduleHandler_;
    TCP_ConnectionParams connectionParams_;
    WorkflowTimings timings_;
    std::string programDirectory_;
    std::string logDirectory_;
    FirmwareFileInfo firmware_;
    const bool firmwareGiven_;
    const bool unattended_;
    bool deviceReady_ = false;
    bool loaderUpdateNeeded_ = false;
    bool loaderWasRunning_ = false;
    int deviceStatus_ = 0;
    DeviceInfo deviceInfo_;
    std::string currentFirmwareVersion_;
    std::string loaderVersion_;
    UpdateLog log_;
    bool keepLog_ = false;

    // Worker threads: joinable from the start until the owner has handled the result.
    std::thread queryThread_;
    std::thread loaderThread_;
    std::thread updateThread_;

    std::mutex stopMutex_;
    std::condition_variable stopWake_;
    bool stopping_ = false;

    std::mutex eventMutex_;
    std::deque<RunEvent> events_;
    std::unique_ptr<RunEventWaker> waker_;
};
