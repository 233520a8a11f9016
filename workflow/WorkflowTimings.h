#pragma once

#include <chrono>

// The fixed pauses and counts of a run. The defaults are the values the program uses; tests
// construct shorter ones so that a run against the simulator finishes quickly.
struct WorkflowTimings {
    using Ms = std::chrono::milliseconds;

    Ms stepTitlePause{500};      // after a flash step has shown its title
    Ms transferPause{1000};      // after announcing a transfer, before the first chunk
    Ms flashPollInterval{1000};  // before each flash-status poll
    int flashPollCount = 300;    // polls before giving up on the flash end
    Ms restartPause{1000};       // after announcing a restart, before the restart commands
    Ms newLoaderPause{2000};     // after entering the freshly flashed intermediate loader
    Ms reconnectPause{4000};     // after closing the connection, before the first attempt
    int reconnectAttempts = 10;  // connection attempts of one reconnect
    Ms reconnectRetryPause{500}; // after each failed attempt
};
