#include "base/UECP_IO_ConnectionParams.h"

void UECP_IO_ConnectionParams::CopyFrom(const UECP_IO_ConnectionParams& other) {
    connectTimeout = other.connectTimeout;
    readTimeout = other.readTimeout;
    sendTimeout = other.sendTimeout;
    asyncOpen = other.asyncOpen;
    openCallback = other.openCallback;
    callbackContext = other.callbackContext;
}
