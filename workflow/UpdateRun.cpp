#include "workflow/UpdateRun.h"

#include "base/ErrorCodeText.h"
#include "base/Stopwatch.h"
#include "io/IOHook.h"
#include "io/qt/QtFrameLogWaker.h"
#include "io/qt/StringTableErrorTexts.h"
#include "strings/StringManager.h"
#include "uecp/BRN_UECPMessageHandler.h"
#include "uecp/FND_UECPMessageHandler.h"
#include "uecp/Wenlo_UECPMessageHandler.h"
#include "workflow/LoaderImage.h"
#include "workflow/MacAddressTable.h"
#include "workflow/RunEventWaker.h"
#include "workflow/Utf8Path.h"
#include "workflow/VersionText.h"

#include <QCoreApplication>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <new>
#include <system_error>

namespace {

constexpr const char* kUnknownText = "???";
// The literal parts of the loader check's version line.
constexpr const char* kLogLoaderPrefix = "Updateloader: ";
constexpr const char* kLogSeparator = ", ";

constexpr int kStepIntermediateLoader = 0;
constexpr int kStepLoaderV2 = 1;
constexpr int kStepFirmware = 2;

constexpr uint16_t kAddress = 0;
constexpr uint8_t kWenloSerialNumberCode = 0x7F;
constexpr int kSerialNumberLength = 10;

// How long a restarting frame log waits for the owner to write what was logged before.
constexpr uint32_t kFrameLogDeliveryMs = 1000;

// The first "%s" of format replaced by value.
std::string FormatWith(const std::string& format, const std::string& value) {
    const auto at = format.find("%s");
    if (at == std::string::npos) {
        return format;
    }
    std::string text = format;
    text.replace(at, 2, value);
    return text;
}

std::string DefaultProgramDirectory() {
    if (QCoreApplication::instance() != nullptr) {
        return QCoreApplication::applicationDirPath().toStdString();
    }
    std::error_code ec;
    return Utf8FromPath(std::filesystem::current_path(ec));
}

bool RestartAccepted(UECP_IO_Error e) {
    return e == IDS_ERR_OK || e == IDS_ERR_NO_ACK;
}

// Lends the module handler's connection to a family handler for the requests in body, then
// takes it back. A failed hand-over is the result.
template <typename Handler, typename Body>
UECP_IO_Error WithFamilyHandler(UECPMessageHandler& owner, Body body) {
    Handler family;
    const UECP_IO_Error moved = owner.TransferConnection(family);
    if (moved != IDS_ERR_OK) {
        return moved;
    }
    const UECP_IO_Error e = body(family);
    family.TransferConnection(owner);
    return e;
}

} // namespace

UpdateRun::UpdateRun(std::string firmwarePath, bool unattended)
    : IOFrameLog(std::make_unique<QtFrameLogWaker>()), programDirectory_(DefaultProgramDirectory()),
      firmwareGiven_(!firmwarePath.empty()), unattended_(unattended),
      waker_(std::make_unique<RunEventWaker>([this] { DispatchNextEvent(); })) {
    firmware_.path = std::move(firmwarePath);
    InstallStringTableErrorTexts();
    IOFrameLog::Start();
}

UpdateRun::~UpdateRun() {
    Shutdown();
    if (keepLog_) {
        log_.Close();
    } else {
        log_.RemoveFile();
    }
}

void UpdateRun::Shutdown() {
    StopWorkers();
    IOFrameLog::Stop();
    moduleHandler_.Close(false);
}

void UpdateRun::StopWorkers() {
    {
        std::lock_guard<std::mutex> lock(stopMutex_);
        stopping_ = true;
    }
    stopWake_.notify_all();
    for (std::thread* t : {&queryThread_, &loaderThread_, &updateThread_}) {
        if (t->joinable()) {
            t->join();
        }
    }
}

bool UpdateRun::Pause(WorkflowTimings::Ms duration) {
    std::unique_lock<std::mutex> lock(stopMutex_);
    return !stopWake_.wait_for(lock, duration, [this] { return stopping_; });
}

// --- Events -----------------------------------------------------------------------------------

void UpdateRun::Post(RunEvent event) {
    {
        std::lock_guard<std::mutex> lock(eventMutex_);
        events_.push_back(std::move(event));
    }
    waker_->Wake();
}

void UpdateRun::DispatchNextEvent() {
    RunEvent event;
    {
        std::lock_guard<std::mutex> lock(eventMutex_);
        if (events_.empty()) {
            return;
        }
        event = std::move(events_.front());
        events_.pop_front();
    }
    switch (event.kind) {
    case RunEvent::Kind::Progress:
        OnProgressText(event.text, event.code);
        break;
    case RunEvent::Kind::Transfer:
        OnTransferProgress(event.first, event.second);
        break;
    case RunEvent::Kind::FlashPoll:
        OnFlashPoll(static_cast<int>(event.first), static_cast<int>(event.second));
        break;
    case RunEvent::Kind::QueryDone:
        HandleQueryDone(static_cast<QueryResult>(event.code), event.text);
        break;
    case RunEvent::Kind::LoaderDone:
        HandleLoaderDone(event.code);
        break;
    case RunEvent::Kind::UpdateDone:
        HandleUpdateDone(event.code);
        break;
    }
}

void UpdateRun::PostProgress(const std::string& identifier, int target) {
    RunEvent event;
    event.kind = RunEvent::Kind::Progress;
    event.code = target;
    event.text = ProgressText(identifier);
    Post(std::move(event));
}

void UpdateRun::OnFrameLogged(const uint8_t* frame, int len, int direction) {
    if (frame == nullptr || len <= 0) {
        return;
    }
    log_.WriteFrameLine(frame, static_cast<std::size_t>(len),
                        direction == IOHook::kSent ? FrameDirection::Sent
                                                   : FrameDirection::Received);
}

void UpdateRun::WaitFrameLogDelivered() {
    Stopwatch watch;
    while (Queued(IOHook::kSent) + Queued(IOHook::kReceived) > 0 &&
           watch.Elapsed() < kFrameLogDeliveryMs) {
        if (!Pause(WorkflowTimings::Ms(1))) {
            return;
        }
    }
}

void UpdateRun::LogText(const char* identifier) {
    log_.WriteLine(GetString(identifier));
}

// --- Texts ------------------------------------------------------------------------------------

std::string UpdateRun::ProgressText(const std::string& identifier) const {
    if (identifier == "IDS_EMPTY") {
        return {};
    }
    if (identifier == "IDS_UPDATELOADER_VERSION") {
        return FormatWith(GetString(identifier), loaderVersion_);
    }
    return GetString(identifier);
}

std::string UpdateRun::UpdateErrorText(UpdateResult result) {
    const std::string id = UpdateErrorTextId(result);
    return id.empty() ? std::string() : GetString(id);
}

bool UpdateRun::FamilyMismatch() const {
    const int target = firmware_.deviceType;
    const bool known = target == kFirmwareFamilyBRN || target == kFirmwareFamilyWenlo ||
                       target == kFirmwareFamilyFND;
    return known && target != deviceInfo_.familyCode;
}

std::string UpdateRun::FamilyWarningTextId() const {
    if (!FamilyMismatch()) {
        return {};
    }
    switch (firmware_.deviceType) {
    case kFirmwareFamilyWenlo:
        return "IDS_FLASHING_ENCODER_DEVICE_DECODER";
    case kFirmwareFamilyBRN:
        return "IDS_FLASHING_DECODER_DEVICE_ENCODER";
    default:
        return "IDS_FLASHING_DECODER_DEVICE_STEREO_GENERATOR";
    }
}

std::string UpdateRun::LoaderWarningTextId() const {
    return firmware_.deviceType == kFirmwareFamilyBRN ? "IDS_UPDATELOADER_UPDATE_NEEDED_BRN"
                                                      : "IDS_UPDATELOADER_UPDATE_NEEDED";
}

std::string UpdateRun::DowngradeTextId() const {
    return firmware_.deviceType == kFirmwareFamilyBRN ? "IDS_DOWNGRADE_NOT_POSSIBLE_BRN"
                                                      : "IDS_DOWNGRADE_NOT_POSSIBLE";
}

bool UpdateRun::EndsRun(LoaderCheckOutcome outcome) {
    return outcome == LoaderCheckOutcome::Failed || outcome == LoaderCheckOutcome::DowngradeRefused;
}

// --- Owner-thread steps -----------------------------------------------------------------------

FirmwareChoice UpdateRun::ChooseFirmwareFile() {
    FirmwareFileInfo info = firmware_;
    const FirmwareChoice choice =
        ::ChooseFirmwareFile(info, programDirectory_, [this](const std::string& directory) {
            return AskForFirmwareFile(directory);
        });
    firmware_ = info;
    return choice;
}

bool UpdateRun::StartQuery() {
    if (WorkerRunning()) {
        return false;
    }
    keepLog_ = false;
    deviceReady_ = false;
    loaderUpdateNeeded_ = false;
    loaderWasRunning_ = false;
    if (logDirectory_.empty()) {
        logDirectory_ = ChooseLogDirectory(programDirectory_, PerUserDataDirectory());
    }
    log_.OpenLog(logDirectory_);
    queryThread_ = std::thread([this] { QueryThread(); });
    return true;
}

bool UpdateRun::StartLoaderCheck() {
    if (WorkerRunning()) {
        return false;
    }
    if (deviceStatus_ == kStatusLoader) {
        // The loader already runs and its version was read by the query.
        RunEvent event;
        event.kind = RunEvent::Kind::LoaderDone;
        event.code = kUpdateOk;
        Post(std::move(event));
        return true;
    }
    OnProgressText(GetString("IDS_STARTING_UPDATELOADER"), kProgressCheckStatus);
    loaderThread_ = std::thread([this] { LoaderThread(); });
    return true;
}

bool UpdateRun::StartUpdate() {
    if (WorkerRunning()) {
        return false;
    }
    OnProgressText(GetString("IDS_DOWNLOADING_FIRMWARE"), kProgressUpdateStatus);
    updateThread_ = std::thread([this] { UpdateThread(); });
    return true;
}

void UpdateRun::CloseLogAndConnection() {
    log_.Close();
    if (moduleHandler_.IsOpen()) {
        moduleHandler_.Close(false);
    }
    deviceReady_ = false;
}

bool UpdateRun::LeaveLoaderOnCancel() {
    if (WorkerRunning() || loaderWasRunning_ || deviceStatus_ != kStatusLoader ||
        !moduleHandler_.IsOpen()) {
        return false;
    }
    LeaveUpdateLoader();
    return true;
}

// --- Result handlers --------------------------------------------------------------------------

void UpdateRun::HandleQueryDone(QueryResult result, const std::string& errorText) {
    if (queryThread_.joinable()) {
        queryThread_.join();
    }
    const bool answered = result == kQueryLoaderRunning || result == kQueryApplicationRunning;
    if (answered) {
        deviceReady_ = true;
    } else {
        log_.WriteErrorLine(GetString(
            result == kQueryConnectFailed ? "IDS_CONNECTIONERROR" : "IDS_COMMUNICATION_PROBLEMS"));
        if (!errorText.empty()) {
            log_.WriteLine(errorText);
        }
    }
    OnQueryDone(result, errorText);
    if (answered && unattended_ && !FamilyMismatch()) {
        SelectPage(RunPage::Check);
    }
}

void UpdateRun::LogLoaderAndNetOsVersions() {
    log_.WriteLine(kLogLoaderPrefix + loaderVersion_ + kLogSeparator +
                   GetString("IDS_NETOS_VERSION_OF_FIRMWARE") + firmware_.netOsVersion);
}

void UpdateRun::HandleLoaderDone(UpdateResult result) {
    if (loaderThread_.joinable()) {
        loaderThread_.join();
    }
    LoaderCheckOutcome outcome = LoaderCheckOutcome::Proceed;
    if (result != kUpdateOk) {
        outcome = LoaderCheckOutcome::Failed;
        log_.WriteErrorLine(UpdateErrorText(result));
        keepLog_ = true;
    } else if (::LoaderUpdateNeeded(loaderVersion_, firmware_.netOsVersion)) {
        outcome = LoaderCheckOutcome::LoaderUpdateNeeded;
        LogText("IDS_UPDATELOADER_UPDATE_NEEDED2");
        LogLoaderAndNetOsVersions();
        loaderUpdateNeeded_ = true;
    } else if (DowngradeRefused(loaderVersion_, firmware_.netOsVersion)) {
        outcome = LoaderCheckOutcome::DowngradeRefused;
        log_.WriteLine(GetString(DowngradeTextId()));
        LogLoaderAndNetOsVersions();
    }
    if (EndsRun(outcome)) {
        CloseLogAndConnection();
    }
    OnLoaderDone(result, outcome);
    if (outcome == LoaderCheckOutcome::Proceed ||
        (outcome == LoaderCheckOutcome::LoaderUpdateNeeded && unattended_)) {
        SelectPage(RunPage::Update);
    }
}

void UpdateRun::HandleUpdateDone(UpdateResult result) {
    if (updateThread_.joinable()) {
        updateThread_.join();
    }
    const bool succeeded = UpdateSucceeded(result);
    if (succeeded) {
        if (MacLeftUncorrected(result)) {
            keepLog_ = true;
        }
        LogText("IDS_SUCCESS");
        log_.WriteLine(GetString("IDS_CURRENT_FIRMWARE_VERSION") + " " + currentFirmwareVersion_);
        if (result == kUpdateMacCorrected) {
            LogText("IDS_MAC_CORRECTED");
        } else if (MacLeftUncorrected(result)) {
            LogText("IDS_MAC_UNCORRECTED");
            log_.WriteLine(UpdateErrorText(result));
        }
    } else {
        log_.WriteErrorLine(GetString("IDS_FLASHING_FAILED"));
        log_.WriteLine(UpdateErrorText(result));
        keepLog_ = true;
    }
    CloseLogAndConnection();
    OnUpdateDone(result);
    if (succeeded && unattended_) {
        EndWithFinish();
    }
}

// --- Connection -------------------------------------------------------------------------------

bool UpdateRun::OpenConnection(std::string* errorText) {
    TCP_ConnectionParams params;
    params.SetHost(connectionParams_.host);
    params.port = connectionParams_.port;
    params.connectTimeout = connectionParams_.connectTimeout;
    params.readTimeout = connectionParams_.readTimeout;
    params.sendTimeout = connectionParams_.sendTimeout;
    moduleHandler_.SetConnectionParams(params);

    const UECP_IO_Error e = moduleHandler_.Open();
    if (e != IDS_ERR_OK) {
        if (errorText == nullptr) {
            return false;
        }
        *errorText = ErrorCodeText(e);
        log_.WriteLine(GetString("IDS_LOG_CONNECTION_OPEN_FAILURE") + *errorText);
        return false;
    }
    LogText("IDS_LOG_CONNECTION_OPEN_SUCCESS");
    if (errorText != nullptr) {
        errorText->clear();
    }
    return true;
}

bool UpdateRun::Reconnect() {
    moduleHandler_.Close(false);
    if (!Pause(timings_.reconnectPause)) {
        return false;
    }
    for (int attempt = 0; attempt < timings_.reconnectAttempts; ++attempt) {
        if (OpenConnection(nullptr)) {
            return true;
        }
        if (!Pause(timings_.reconnectRetryPause)) {
            return false;
        }
    }
    return false;
}

// --- Query ------------------------------------------------------------------------------------

void UpdateRun::QueryThread() {
    RunEvent event;
    event.kind = RunEvent::Kind::QueryDone;
    event.code = RunQuery(event.text);
    Post(std::move(event));
}

QueryResult UpdateRun::RunQuery(std::string& errorText) {
    if (!OpenConnection(&errorText)) {
        return kQueryConnectFailed;
    }
    LogText("IDS_LOG_GET_CURRENT_STATUS");
    UECP_IO_Error e = moduleHandler_.GetModuleStatus(deviceStatus_, kAddress);
    if (e != IDS_ERR_OK) {
        errorText = ErrorCodeText(e);
        return kQueryCommunicationFailed;
    }
    if (deviceStatus_ == kStatusApplication) {
        LogText("IDS_LOG_GET_BRIDGE_VERSION");
        std::string version;
        e = moduleHandler_.GetBridgeVersion(version, kAddress);
        if (e != IDS_ERR_OK) {
            errorText = ErrorCodeText(e);
            return kQueryCommunicationFailed;
        }
        PostProgress("IDS_GET_DEVICE_INFO", kProgressInfoStatus);
        currentFirmwareVersion_ = version;
        return QueryDeviceInfo(errorText);
    }
    // Every status other than the application's counts as the update loader.
    currentFirmwareVersion_ = kUnknownText;
    deviceInfo_.typeName = kUnknownText;
    deviceInfo_.serialNumber = kUnknownText;
    loaderWasRunning_ = true;
    std::string version;
    if (moduleHandler_.LoaderGetVersion(version) == IDS_ERR_OK) {
        loaderVersion_ = version;
    }
    return kQueryLoaderRunning;
}

QueryResult UpdateRun::QueryDeviceInfo(std::string& errorText) {
    UECP_IO_Error e =
        WithFamilyHandler<BRN_UECPMessageHandler>(moduleHandler_, [this](auto& family) {
            return family.GetDeviceInfo(deviceInfo_, kAddress);
        });
    if (e == IDS_ERR_NACK_3) {
        e = WithFamilyHandler<Wenlo_UECPMessageHandler>(moduleHandler_, [this](auto& family) {
            return family.GetDeviceInfo(deviceInfo_, kAddress);
        });
    }
    if (e == IDS_ERR_NACK_3) {
        // An FND device is identified only through its own request, which takes no address.
        e = WithFamilyHandler<FND_UECPMessageHandler>(
            moduleHandler_, [this](auto& family) { return family.GetDeviceInfo(deviceInfo_); });
    }
    if (e == IDS_ERR_OK) {
        return kQueryApplicationRunning;
    }
    if (e == IDS_ERR_NACK_3 || e == IDS_ERR_NO_ACK) {
        deviceInfo_.typeName = kUnknownText;
        deviceInfo_.serialNumber = kUnknownText;
        if (e == IDS_ERR_NO_ACK) {
            moduleHandler_.Close(false);
            moduleHandler_.Open();
        }
        return kQueryApplicationRunning;
    }
    errorText = ErrorCodeText(e);
    return kQueryCommunicationFailed;
}

// --- Loader check -----------------------------------------------------------------------------

void UpdateRun::LoaderThread() {
    const UpdateResult r = EnterUpdateLoader(false);
    if (r == kUpdateOk && DowngradeRefused(loaderVersion_, firmware_.netOsVersion)) {
        // The loader would refuse the firmware: back to the application.
        LeaveUpdateLoader();
    }
    RunEvent event;
    event.kind = RunEvent::Kind::LoaderDone;
    event.code = r;
    Post(std::move(event));
}

UpdateResult UpdateRun::EnterUpdateLoader(bool onUpdatePage) {
    const int target = onUpdatePage ? kProgressUpdateStatus : kProgressCheckStatus;
    if (deviceStatus_ == kStatusApplication) {
        LogText("IDS_LOG_STARTING_UPDATE");
        PostProgress("IDS_STARTING_UPDATELOADER", target);
        const UECP_IO_Error e = moduleHandler_.StartUpdateLoader(kAddress);
        if (e == IDS_ERR_NO_ACK) {
            // The request may have got through all the same: ask what runs now.
            int status = 0;
            if (moduleHandler_.GetModuleStatus(status, kAddress) == IDS_ERR_OK &&
                status == kStatusApplication) {
                return kUpdateLoaderNotRunning;
            }
        } else if (e != IDS_ERR_OK) {
            return kUpdateCommunicationProblems;
        }
        LogText("IDS_CONNECTING_UPDATELOADER");
        PostProgress("IDS_CONNECTING_UPDATELOADER", target);
        if (!Reconnect()) {
            return kUpdateCannotConnectLoader;
        }
    }
    LogText("IDS_LOG_GET_STATUS_AND_VERSION");
    if (moduleHandler_.GetModuleStatus(deviceStatus_, kAddress) != IDS_ERR_OK) {
        return kUpdateCommunicationProblems;
    }
    if (deviceStatus_ != kStatusLoader) {
        return kUpdateLoaderNotRunning;
    }
    std::string version;
    if (moduleHandler_.LoaderGetVersion(version) != IDS_ERR_OK) {
        return kUpdateCommunicationProblems;
    }
    loaderVersion_ = version;
    return kUpdateOk;
}

bool UpdateRun::RestartModule() {
    UECP_IO_Error e = moduleHandler_.LoaderRequestRestart();
    if (e == IDS_ERR_OK) {
        e = moduleHandler_.LoaderRestart();
    }
    return RestartAccepted(e);
}

void UpdateRun::LeaveUpdateLoader() {
    if (RestartAccepted(moduleHandler_.LoaderRequestRestart())) {
        moduleHandler_.LoaderRestart();
    }
}

// --- Update -----------------------------------------------------------------------------------

void UpdateRun::UpdateThread() {
    RunEvent event;
    event.kind = RunEvent::Kind::UpdateDone;
    event.code = RunUpdateSteps();
    Post(std::move(event));
}

UpdateResult UpdateRun::RunUpdateSteps() {
    if (loaderUpdateNeeded_) {
        if (IntermediateLoaderNeeded(loaderVersion_)) {
            std::vector<uint8_t> image;
            UpdateResult r = ::LoadLoaderImage(kLoaderImageIntermediate, image);
            if (r == kUpdateOk) {
                r = RunUpdateStep(image.data(), image.size(), kStepIntermediateLoader);
            }
            if (r != kUpdateOk) {
                return r;
            }
        }
        std::vector<uint8_t> image;
        UpdateResult r = ::LoadLoaderImage(kLoaderImageV2, image);
        if (r == kUpdateOk) {
            r = RunUpdateStep(image.data(), image.size(), kStepLoaderV2);
        }
        if (r != kUpdateOk) {
            return r;
        }
    }
    std::vector<uint8_t> firmware;
    UpdateResult r = ReadFirmwareFile(firmware);
    if (r == kUpdateOk) {
        r = RunUpdateStep(firmware.data(), firmware.size(), kStepFirmware);
    }
    if (r == kUpdateOk) {
        r = RunMacCheck();
    }
    return r;
}

UpdateResult UpdateRun::ReadFirmwareFile(std::vector<uint8_t>& bytes) const {
    const std::filesystem::path path = PathFromUtf8(firmware_.path);
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) {
        return kUpdateFileOpenError;
    }
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    // A size that cannot be read, or one beyond 32 bits, would flash something other than the
    // file: refused as unreadable.
    if (ec || size > std::numeric_limits<uint32_t>::max()) {
        return kUpdateFileReadError;
    }
    try {
        bytes.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        return kUpdateFileReadError;
    }
    if (size > 0) {
        file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
        if (static_cast<std::uintmax_t>(file.gcount()) != size) {
            bytes.clear();
            return kUpdateFileReadError;
        }
    }
    return kUpdateOk;
}

UpdateResult UpdateRun::RunUpdateStep(const uint8_t* bytes, std::size_t size, int kind) {
    static constexpr const char* kTitles[] = {"IDS_STEP_UPDATELOADER_UPDATE",
                                              "IDS_STEP_UPDATELOADER_UPDATE_V2",
                                              "IDS_STEP_APPLICATION_UPDATE"};
    const char* transferText =
        kind == kStepFirmware ? "IDS_DOWNLOADING_FIRMWARE" : "IDS_DOWNLOADING_UPDATELOADER";
    const uint32_t offset =
        kind == kStepFirmware ? Quarvo_UECPMessageHandler::kApplicationOffset : 0;

    PostProgress(kTitles[kind], kProgressUpdateStepTitle);
    if (!Pause(timings_.stepTitlePause)) {
        return kUpdateCommunicationProblems;
    }
    LogText("IDS_LOG_RESET_FLASH_DATA");
    PostProgress("IDS_UPDATELOADER_VERSION", kProgressUpdateDetail);
    if (moduleHandler_.LoaderResetFlash() != IDS_ERR_OK) {
        return kUpdateCommunicationProblems;
    }

    // The data transfer writes no frame lines.
    IOFrameLog::Stop();
    LogText(transferText);
    PostProgress(transferText, kProgressUpdateStatus);
    bool sent = Pause(timings_.transferPause);
    RunEvent progress;
    progress.kind = RunEvent::Kind::Transfer;
    progress.second = size;
    Post(progress);
    for (std::size_t done = 0; sent && done < size;) {
        const int count = static_cast<int>(
            std::min<std::size_t>(size - done, Quarvo_UECPMessageHandler::kMaxWriteData));
        if (moduleHandler_.LoaderWriteData(bytes + done, count) != IDS_ERR_OK) {
            sent = false;
            break;
        }
        done += static_cast<std::size_t>(count);
        progress.first = done;
        Post(progress);
    }
    WaitFrameLogDelivered();
    IOFrameLog::Start();
    if (!sent) {
        return kUpdateSendingError;
    }

    LogText("IDS_LOG_SET_FLASH_OFFSET_START_FLASH");
    PostProgress("IDS_FLASHING", kProgressUpdateStatus);
    if (moduleHandler_.LoaderSetFlashOffset(offset) != IDS_ERR_OK ||
        moduleHandler_.LoaderStartFlash() != IDS_ERR_OK) {
        return kUpdateStartFlashingError;
    }

    LogText("IDS_LOG_AWAIT_FLASH_END");
    const UpdateResult flashed = WaitFlashEnd();
    if (flashed != kUpdateOk || kind == kStepLoaderV2) {
        // The second-generation loader stays running for the firmware step.
        return flashed;
    }

    LogText("IDS_RESTARTING_DEVICE");
    PostProgress("IDS_RESTARTING_DEVICE", kProgressUpdateStatus);
    if (!Pause(timings_.restartPause)) {
        return kUpdateRestartError;
    }
    if (!RestartModule()) {
        return kUpdateRestartError;
    }
    LogText("IDS_CONNECTING_TO_ZELTA");
    PostProgress("IDS_CONNECTING_TO_ZELTA", kProgressUpdateStatus);
    PostProgress("IDS_EMPTY", kProgressUpdateDetail);
    if (!Reconnect()) {
        return kUpdateCannotConnectBridge;
    }
    LogText("IDS_LOG_GET_STATUS_AND_VERSION2");
    if (moduleHandler_.GetModuleStatus(deviceStatus_, kAddress) != IDS_ERR_OK) {
        return kUpdateCommunicationProblems;
    }
    if (deviceStatus_ != kStatusApplication) {
        return kUpdateLoaderRunningAfterFlash;
    }
    if (kind == kStepIntermediateLoader) {
        // The application runs with the intermediate loader installed: into that loader now.
        const UpdateResult r = EnterUpdateLoader(true);
        Pause(timings_.newLoaderPause);
        return r;
    }
    return kUpdateOk;
}

UpdateResult UpdateRun::WaitFlashEnd() {
    const int polls = timings_.flashPollCount;
    RunEvent event;
    event.kind = RunEvent::Kind::FlashPoll;
    event.second = static_cast<std::size_t>(std::max(polls, 0));
    for (int poll = 1; poll <= polls; ++poll) {
        if (!Pause(timings_.flashPollInterval)) {
            return kUpdateFlashEndError;
        }
        bool done = false;
        if (moduleHandler_.LoaderFlashStatus(done) != IDS_ERR_OK) {
            return kUpdateFlashEndError;
        }
        event.first = static_cast<std::size_t>(poll);
        Post(event);
        if (done) {
            return kUpdateOk;
        }
    }
    return kUpdateFlashEndTimeout;
}

// --- MAC address ------------------------------------------------------------------------------

UpdateResult UpdateRun::RunMacCheck() {
    if (deviceStatus_ != kStatusApplication) {
        return kUpdateLoaderRunningAfterFlash;
    }
    std::string version;
    if (moduleHandler_.GetBridgeVersion(version, kAddress) != IDS_ERR_OK) {
        return kUpdateCommunicationProblems;
    }
    currentFirmwareVersion_ = version;

    LogText("IDS_LOG_GET_MAC_ADDRESS");
    MacAddress mac{};
    if (moduleHandler_.GetMacAddress(mac, kAddress) != IDS_ERR_OK || !MacAddressLost(mac)) {
        return kUpdateOk;
    }
    if (!FirmwareSupportsMacRepair(currentFirmwareVersion_)) {
        return kUpdateMacFirmwareTooOld;
    }

    LogText("IDS_LOG_GET_SERIAL_NUMBER");
    std::string serialNumber;
    bool brnDevice = false;
    {
        BRN_UECPMessageHandler brn;
        if (moduleHandler_.TransferConnection(brn) != IDS_ERR_OK) {
            return kUpdateMacSerialNumberError;
        }
        const UECP_IO_Error e = brn.GetSerialNumber(serialNumber, kAddress);
        brn.TransferConnection(moduleHandler_);
        if (e == IDS_ERR_OK) {
            brnDevice = true;
        } else if (e == IDS_ERR_NACK_3) {
            const UECP_IO_Error w = WithFamilyHandler<Wenlo_UECPMessageHandler>(
                moduleHandler_, [&serialNumber](auto& wenlo) {
                    return wenlo.ReadText(kWenloSerialNumberCode, serialNumber, kSerialNumberLength,
                                          kAddress);
                });
            if (w != IDS_ERR_OK) {
                return kUpdateMacSerialNumberError;
            }
        } else {
            return kUpdateMacSerialNumberError;
        }
    }

    MacAddress correct{};
    if (!LookupMacAddress(programDirectory_, serialNumber, correct)) {
        return kUpdateMacNotFound;
    }
    LogText("IDS_LOG_SET_MAC_AND_REBOOT");
    if (moduleHandler_.SetMacAddress(correct, kMacWriteTimeoutMs, kAddress) != IDS_ERR_OK) {
        return kUpdateMacSettingError;
    }
    const UECP_IO_Error restarted =
        brnDevice ? WithFamilyHandler<BRN_UECPMessageHandler>(
                        moduleHandler_, [](auto& brn) { return brn.RebootDevice(true, kAddress); })
                  : moduleHandler_.RebootModule(kAddress);
    return RestartAccepted(restarted) ? kUpdateMacCorrected : kUpdateMacRebootError;
}
