#pragma once

#include <string>

// Result of the loader check and of the update: 0 is success, 2 and 5 to 16 are failures, 17 to
// 21 are a successful update whose lost MAC address stays uncorrected, 22 is a successful update
// with a corrected MAC address.
using UpdateResult = int;

enum UpdateResultCode : int {
    kUpdateOk = 0,
    kUpdateCommunicationProblems = 2,
    kUpdateFileOpenError = 5,
    kUpdateFileReadError = 6,
    kUpdateLoaderImageError = 7,
    kUpdateLoaderNotRunning = 8,
    kUpdateCannotConnectLoader = 9,
    kUpdateSendingError = 10,
    kUpdateStartFlashingError = 11,
    kUpdateFlashEndTimeout = 12,
    kUpdateFlashEndError = 13,
    kUpdateRestartError = 14,
    kUpdateCannotConnectBridge = 15,
    kUpdateLoaderRunningAfterFlash = 16,
    kUpdateMacFirmwareTooOld = 17,
    kUpdateMacSerialNumberError = 18,
    kUpdateMacNotFound = 19,
    kUpdateMacSettingError = 20,
    kUpdateMacRebootError = 21,
    kUpdateMacCorrected = 22,
};

// True for the results that end a run as a successful update (0 and 17 to 22).
bool UpdateSucceeded(UpdateResult result);

// True for a successful update whose lost MAC address could not be corrected (17 to 21).
bool MacLeftUncorrected(UpdateResult result);

// The string identifier of the result's text; empty for results without a text.
std::string UpdateErrorTextId(UpdateResult result);
