#pragma once

#include "app/MessageBoxSink.h"

#include <iosfwd>
#include <string>
#include <vector>

class AppSettings;
class ZeltaUpdaterCommandLineInfo;

// The application object: prepares the process, reads the command line and runs the wizard.
// It has no main window of its own; the exit code says whether the wizard ended with Finish.
class ZeltaUpdaterApp {
public:
    // `arguments` without the program name. The usage text is also printed to `usageOut`.
    ZeltaUpdaterApp(AppSettings& settings, std::vector<std::string> arguments,
                    std::ostream& usageOut);
    ZeltaUpdaterApp(const ZeltaUpdaterApp&) = delete;
    ZeltaUpdaterApp& operator=(const ZeltaUpdaterApp&) = delete;
    ~ZeltaUpdaterApp();

    // The whole start-up and run. Always false: there is no event loop to enter afterwards.
    bool InitInstance();
    // The process exit code: 1 when the wizard ended with Finish, else 0.
    int ExitInstance();

private:
    void ShowUsage();
    // Runs the wizard modally; true when it ended with Finish.
    bool RunWizard(const ZeltaUpdaterCommandLineInfo& commandLine);

    AppSettings& settings_;
    std::vector<std::string> arguments_;
    std::ostream& usageOut_;
    MessageBoxSink messageBoxSink_;
    bool finishedWithFinish_ = false;
};
