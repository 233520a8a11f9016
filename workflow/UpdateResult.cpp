#include "workflow/UpdateResult.h"

bool UpdateSucceeded(UpdateResult result) {
    return result == kUpdateOk ||
           (result >= kUpdateMacFirmwareTooOld && result <= kUpdateMacCorrected);
}

bool MacLeftUncorrected(UpdateResult result) {
    return result >= kUpdateMacFirmwareTooOld && result <= kUpdateMacRebootError;
}

std::string UpdateErrorTextId(UpdateResult result) {
    switch (result) {
    case kUpdateCommunicationProblems:
        return "IDS_COMMUNICATION_PROBLEMS";
    case kUpdateFileOpenError:
        return "IDS_FILE_OPEN_ERROR";
    case kUpdateFileReadError:
        return "IDS_FILE_READ_ERROR";
    case kUpdateLoaderImageError:
        return "IDS_BIOS_LOAD_ERROR";
    case kUpdateLoaderNotRunning:
        return "IDS_UPDATE_LOADER_NOT_RUNNING";
    case kUpdateCannotConnectLoader:
        return "IDS_CANNOT_CONNECT_UPDATE_LOADER";
    case kUpdateSendingError:
        return "IDS_SENDING_FIRMWARE_ERROR";
    case kUpdateStartFlashingError:
        return "IDS_START_FLASHING_ERROR";
    case kUpdateFlashEndTimeout:
        return "IDS_AWAITING_FLASH_END_TIMEOUT";
    case kUpdateFlashEndError:
        return "IDS_AWAITING_FLASH_END_ERROR";
    case kUpdateRestartError:
        return "IDS_RESTARTING_DEVICE_ERROR";
    case kUpdateCannotConnectBridge:
        return "IDS_CANNOT_CONNECT_BRIDGE";
    case kUpdateLoaderRunningAfterFlash:
        return "IDS_UPDATE_LOADER_RUNNING_AFTER_FLASH";
    case kUpdateMacFirmwareTooOld:
        return "IDS_WRONG_MAC_FIRMWARE_TOO_OLD";
    case kUpdateMacSerialNumberError:
        return "IDS_WRONG_MAC_ERROR_READING_SN";
    case kUpdateMacNotFound:
        return "IDS_WRONG_MAC_CORRECT_MAC_NOT_FOUND";
    case kUpdateMacSettingError:
        return "IDS_WRONG_MAC_ERROR_SETTING_MAC";
    case kUpdateMacRebootError:
        return "IDS_WRONG_MAC_ERROR_REBOOTING_ZELTA";
    default:
        return {};
    }
}
