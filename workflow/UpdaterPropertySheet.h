#pragma once

#include "ui/CWizard97PropertySheet.h"
#include "workflow/FirmwareFile.h"
#include "workflow/UpdateRun.h"

#include <cstdint>
#include <optional>
#include <string>

class AppSettings;
class ImageListAnimation;
class QAbstractButton;
class QToolButton;
class SystemMenu;
class UpdaterCheckPropertyPage;
class UpdaterConnectPropertyPage;
class UpdaterInfoPropertyPage;
class UpdaterUpdatePropertyPage;

// The update wizard: the program's one window and the front end of the update run. Its four
// pages come in the order connection, device information, update-loader check and update;
// each page that becomes active starts the next step of the run, and the sheet shows the
// step's progress and result on it.
//
// Buttons. QWizard sets its buttons again on every page change and whenever a page's
// completeness changes; the sheet applies its own rules right after each such change (and
// whenever a button's enabled state changes behind its back), so they hold whenever the user
// can click:
// - Back: on the information page once the query is done; on the check page once no check
//   runs and no device is ready (the end of a run); on the update page once the update is done;
//   never on the connection page.
// - Next: on the connection page when the page is complete (an acceptable address and a port);
//   elsewhere when no step runs and a device answered.
// - Finish: always, but shown only at the end of a run.
// - Cancel: when no step runs. Cancel, Escape and closing the window are refused while a step
//   runs; after a run that switched the module into its update loader, Cancel first restarts
//   it into its application.
// At the end of a run the button row becomes "<< Start" (which returns to the connection page
// for a new run; hidden when the firmware file came from the command line) and "Finish".
//
// Unattended, the sheet chooses the firmware file at once, opens the information page, moves
// on after each step that succeeds and presses Finish after a successful update; it stays on
// the page of a failure.
class UpdaterPropertySheet : public CWizard97PropertySheet, public UpdateRun {
    Q_OBJECT

public:
    // The busy animation's place in the button row.
    static constexpr int kAnimationX = 13;
    static constexpr int kAnimationSize = 16;

    // host and port come from the command line (empty and 0 for none); settings is the store
    // the connection page reads and writes.
    UpdaterPropertySheet(const std::string& firmwarePath, const std::string& host, uint16_t port,
                         bool unattended, AppSettings& settings, QWidget* parent = nullptr);
    ~UpdaterPropertySheet() override;

    // Asks for a firmware file in place of the file dialog (tests); an empty one restores the
    // dialog. Returns the previous one.
    static FirmwarePathPrompt SetFirmwarePromptHook(FirmwarePathPrompt hook);

    UpdaterConnectPropertyPage* ConnectPage() const { return connectPage_; }
    UpdaterInfoPropertyPage* InfoPage() const { return infoPage_; }
    UpdaterCheckPropertyPage* CheckPage() const { return checkPage_; }
    UpdaterUpdatePropertyPage* UpdatePage() const { return updatePage_; }
    ImageListAnimation* BusyAnimation() const { return animation_; }
    // The window menu, opened from the small button at the end of the button row and from the
    // header.
    SystemMenu* Menu() const { return systemMenu_; }
    QToolButton* MenuButton() const { return menuButton_; }

    // The button that goes back: "< Back", or "<< Start" at the end of a run.
    QAbstractButton* BackRoleButton() const;
    // The end of a run shows "<< Start" and "Finish".
    bool ShowsEndButtons() const { return endButtons_; }

    // The end-of-run button row: "<< Start" (unless the firmware file came from the command
    // line) where Next was and "Finish" where Cancel was.
    void ShowEndButtons();
    // Back to the first button row and the connection page, for a new run.
    void RestoreButtons();
    // Labels the pages, the buttons and the window menu again in the current language (after
    // a language change from the menu too).
    void RefreshTexts();

    void StartBusyAnimation();
    void StopBusyAnimation();

    // Cancel, Escape and closing the window; refused while a step runs.
    void reject() override;
    // Next: refused unless the button rules allow it.
    bool validateCurrentPage() override;

protected:
    void OnQueryDone(QueryResult result, const std::string& errorText) override;
    void OnLoaderDone(UpdateResult result, LoaderCheckOutcome outcome) override;
    void OnUpdateDone(UpdateResult result) override;
    void OnProgressText(const std::string& text, int target) override;
    void OnTransferProgress(std::size_t sent, std::size_t total) override;
    void OnFlashPoll(int poll, int maxPolls) override;
    std::optional<std::string> AskForFirmwareFile(const std::string& initialDirectory) override;
    void SelectPage(RunPage page) override;
    void EndWithFinish() override;

    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnPageChanged(int id);
    void ChooseFirmwareIfNeeded();
    void StartUnattended();
    void EndOfRun();
    void ApplyButtonRules();
    bool NextAllowed() const;
    void PlaceBusyAnimation();
    void SetNormalButtonLayout();
    void CreateSystemMenu(AppSettings& settings);

    UpdaterConnectPropertyPage* connectPage_;
    UpdaterInfoPropertyPage* infoPage_;
    UpdaterCheckPropertyPage* checkPage_;
    UpdaterUpdatePropertyPage* updatePage_;
    ImageListAnimation* animation_;
    SystemMenu* systemMenu_ = nullptr;
    QToolButton* menuButton_ = nullptr;

    int previousPage_ = -1;
    bool initialized_ = false;
    bool endButtons_ = false;
    bool applyingRules_ = false;
    bool selectingPage_ = false;
    bool choosingFirmware_ = false;
};
