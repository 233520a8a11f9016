#include "app/ZeltaUpdaterApp.h"

#include "app/AppSettings.h"
#include "app/ZeltaUpdaterCommandLineInfo.h"
#include "strings/CTevnoTools.h"
#include "strings/StringManager.h"

#include "workflow/UpdaterPropertySheet.h"

#include <QApplication>
#include <QMessageBox>

#include <ostream>

namespace {

constexpr int kMinimumPlatform = 0;
constexpr int kApplicationTable = 136;
constexpr int kDialogTable = 2055;
constexpr int kErrorTable = 2056;

} // namespace

ZeltaUpdaterApp::ZeltaUpdaterApp(AppSettings& settings, std::vector<std::string> arguments,
                                 std::ostream& usageOut)
    : settings_(settings), arguments_(std::move(arguments)), usageOut_(usageOut) {}

ZeltaUpdaterApp::~ZeltaUpdaterApp() {
    if (CurrentMessageSink() == &messageBoxSink_) {
        SetMessageSink(nullptr);
    }
}

bool ZeltaUpdaterApp::InitInstance() {
    // Qt's widgets need no registration, and QApplication has done the standard set-up; the
    // core's messages now go to message boxes.
    SetMessageSink(&messageBoxSink_);
    QCoreApplication::setOrganizationName(QStringLiteral("Orbel"));
    QCoreApplication::setApplicationName(QStringLiteral("ZeltaUpdater"));

    CTevnoTools::Initialize(kMinimumPlatform);

    StringManager& strings = StringManager::Instance();
    strings.LoadStringTable(kApplicationTable);
    strings.AddStringTable(kDialogTable);
    strings.AddStringTable(kErrorTable);

    // The stored language exists from the first run on; until then the system's decides.
    strings.SetLanguage(settings_.EnsureLanguage(strings.GetLanguage()));
    settings_.Sync();

    ZeltaUpdaterCommandLineInfo commandLine;
    commandLine.ParseCommandLine(arguments_);
    if (commandLine.showUsage || !commandLine.valid) {
        ShowUsage();
        return false;
    }
    // A language from the command line holds for this run only.
    if (!commandLine.language.empty()) {
        strings.SetLanguage(commandLine.language);
    }
    finishedWithFinish_ = RunWizard(commandLine);
    return false;
}

int ZeltaUpdaterApp::ExitInstance() {
    return finishedWithFinish_ ? 1 : 0;
}

void ZeltaUpdaterApp::ShowUsage() {
    const std::string usage = GetString("IDS_COMMAND_LINE_USAGE");
    usageOut_ << usage << '\n';
    usageOut_.flush();
    QMessageBox box(QMessageBox::Information, QCoreApplication::applicationName(),
                    QString::fromStdString(usage), QMessageBox::Ok);
    box.exec();
}

bool ZeltaUpdaterApp::RunWizard(const ZeltaUpdaterCommandLineInfo& commandLine) {
    UpdaterPropertySheet wizard(commandLine.firmwarePath, commandLine.ipAddress, commandLine.port,
                                commandLine.unattended, settings_);
    return wizard.exec() == QDialog::Accepted;
}
