#pragma once

// The page line a progress text goes to.
enum ProgressTarget : int {
    kProgressInfoStatus = 1,      // status line of the device-information page
    kProgressCheckStatus = 2,     // status line of the update-loader check page
    kProgressUpdateStepTitle = 3, // step title of the update page
    kProgressUpdateStatus = 4,    // status line of the update page
    kProgressUpdateDetail = 5,    // detail line of the update page (also every other value)
};
