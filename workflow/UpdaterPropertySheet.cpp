#include "workflow/UpdaterPropertySheet.h"

#include "ui/CLabel.h"
#include "ui/CMyFileDialog.h"
#include "ui/CXColorStatic.h"
#include "ui/ImageListAnimation.h"
#include "ui/PageLines.h"
#include "ui/ResourceImages.h"
#include "ui/SystemMenu.h"
#include "ui/TextFormat.h"
#include "ui/UiText.h"
#include "ui/UpdateProgressBar.h"
#include "ui/UpdaterCheckPropertyPage.h"
#include "ui/UpdaterConnectPropertyPage.h"
#include "ui/UpdaterInfoPropertyPage.h"
#include "ui/UpdaterUpdatePropertyPage.h"
#include "ui/VersionInfo.h"

#include <QAbstractButton>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace {

constexpr int kConnection = static_cast<int>(RunPage::Connection);
constexpr int kInformation = static_cast<int>(RunPage::Information);
constexpr int kCheck = static_cast<int>(RunPage::Check);
constexpr int kUpdate = static_cast<int>(RunPage::Update);

// "<< Start" at the end of a run.
constexpr QWizard::WizardButton kStartButton = QWizard::CustomButton1;
// The window menu's button at the end of the row.
constexpr QWizard::WizardButton kMenuButton = QWizard::CustomButton2;

FirmwarePathPrompt& PromptHook() {
    static FirmwarePathPrompt hook;
    return hook;
}

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

void SetLine(CXColorStatic* line, const QString& text, bool failure) {
    line->setText(text);
    line->SetTextColor(failure ? kPageWarningColour : kPageTextColour);
    line->SetBold(failure);
    line->show();
}

} // namespace

UpdaterPropertySheet::UpdaterPropertySheet(const std::string& firmwarePath, const std::string& host,
                                           uint16_t port, bool unattended, AppSettings& settings,
                                           QWidget* parent)
    : CWizard97PropertySheet(parent), UpdateRun(firmwarePath, unattended) {
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);
    setWindowTitle(ProductWindowTitle());
    setWindowIcon(ApplicationIcon());
    // Next stays in its place, disabled, on the update page.
    setOption(QWizard::HaveNextButtonOnLastPage, true);
    setOption(QWizard::HaveCustomButton1, true);

    connectPage_ = new UpdaterConnectPropertyPage(settings);
    connectPage_->SetCommandLineAddress(host, port);
    infoPage_ = new UpdaterInfoPropertyPage;
    checkPage_ = new UpdaterCheckPropertyPage;
    updatePage_ = new UpdaterUpdatePropertyPage;
    const std::initializer_list<UpdaterPropertyPage*> pages{connectPage_, infoPage_, checkPage_,
                                                            updatePage_};
    for (UpdaterPropertyPage* page : pages) {
        page->SetSheet(this);
        setPage(page->PageIndex(), page);
    }

    animation_ = new ImageListAnimation(this);
    animation_->hide();
    CreateSystemMenu(settings);

    for (QWizard::WizardButton which :
         {QWizard::BackButton, QWizard::NextButton, QWizard::FinishButton, QWizard::CancelButton,
          kStartButton}) {
        button(which)->installEventFilter(this);
    }
    SetNormalButtonLayout();

    connect(this, &QWizard::currentIdChanged, this, &UpdaterPropertySheet::OnPageChanged);
    connect(connectPage_, &QWizardPage::completeChanged, this,
            &UpdaterPropertySheet::ApplyButtonRules);
    connect(this, &QWizard::customButtonClicked, this, [this](int which) {
        if (which == kStartButton && endButtons_ && BackRoleButton()->isEnabled()) {
            RestoreButtons();
        }
    });

    RefreshTexts();
}

UpdaterPropertySheet::~UpdaterPropertySheet() {
    // No worker or transport thread may reach the sheet while it is torn down.
    Shutdown();
    animation_->Stop();
}

FirmwarePathPrompt UpdaterPropertySheet::SetFirmwarePromptHook(FirmwarePathPrompt hook) {
    FirmwarePathPrompt previous = std::move(PromptHook());
    PromptHook() = std::move(hook);
    return previous;
}

QAbstractButton* UpdaterPropertySheet::BackRoleButton() const {
    return button(endButtons_ ? kStartButton : QWizard::BackButton);
}

// --- Buttons -----------------------------------------------------------------------------------

void UpdaterPropertySheet::SetNormalButtonLayout() {
    setButtonLayout({QWizard::Stretch, QWizard::BackButton, QWizard::NextButton,
                     QWizard::CancelButton, kMenuButton});
}

void UpdaterPropertySheet::CreateSystemMenu(AppSettings& settings) {
    systemMenu_ = new SystemMenu(this, settings);
    menuButton_ = new QToolButton(this);
    menuButton_->setObjectName(QStringLiteral("menuButton"));
    menuButton_->setIcon(windowIcon());
    menuButton_->setAutoRaise(true);
    menuButton_->setPopupMode(QToolButton::InstantPopup);
    menuButton_->setMenu(systemMenu_);
    menuButton_->setFocusPolicy(Qt::TabFocus);
    setOption(QWizard::HaveCustomButton2, true);
    setButton(kMenuButton, menuButton_);
    SetHeaderMenu(systemMenu_);
    connect(systemMenu_, &SystemMenu::LanguageChanged, this, &UpdaterPropertySheet::RefreshTexts);
}

void UpdaterPropertySheet::ShowEndButtons() {
    endButtons_ = true;
    // Finish belongs to the last page only; the check page ends a run too.
    checkPage_->setFinalPage(true);
    QList<QWizard::WizardButton> layout{QWizard::Stretch};
    if (!FirmwareGiven()) {
        layout << kStartButton;
    }
    layout << QWizard::FinishButton << kMenuButton;
    setButtonLayout(layout);
    RefreshTexts();
    ApplyButtonRules();
}

void UpdaterPropertySheet::RestoreButtons() {
    endButtons_ = false;
    checkPage_->setFinalPage(false);
    SetNormalButtonLayout();
    // A new run starts from the connection page.
    restart();
    ApplyButtonRules();
}

void UpdaterPropertySheet::RefreshTexts() {
    for (UpdaterPropertyPage* page : std::initializer_list<UpdaterPropertyPage*>{
             connectPage_, infoPage_, checkPage_, updatePage_}) {
        page->RefreshTexts();
    }
    setButtonText(QWizard::BackButton, UiText("IDS_WIZBACK"));
    setButtonText(QWizard::NextButton, UiText("IDS_WIZNEXT"));
    setButtonText(QWizard::FinishButton, UiText("IDS_FINISH"));
    setButtonText(QWizard::CancelButton, UiText("IDS_CANCEL"));
    setButtonText(kStartButton, UiText("IDS_START"));
    systemMenu_->RefreshTexts();
    menuButton_->setToolTip(UiText("IDS_TOOLTIP_MENU"));
    menuButton_->setAccessibleName(UiText("IDS_TOOLTIP_MENU"));
}

bool UpdaterPropertySheet::NextAllowed() const {
    if (currentId() == kConnection) {
        return connectPage_->isComplete();
    }
    return !WorkerRunning() && DeviceReady();
}

void UpdaterPropertySheet::ApplyButtonRules() {
    if (applyingRules_) {
        return;
    }
    applyingRules_ = true;
    bool back = false;
    switch (currentId()) {
    case kInformation:
        back = !QueryRunning();
        break;
    case kCheck:
        back = !LoaderCheckRunning() && !DeviceReady();
        break;
    case kUpdate:
        back = !UpdateRunning();
        break;
    default:
        break;
    }
    BackRoleButton()->setEnabled(back);
    if (endButtons_) {
        button(QWizard::BackButton)->setEnabled(false);
    }
    button(QWizard::NextButton)->setEnabled(NextAllowed());
    button(QWizard::FinishButton)->setEnabled(true);
    button(QWizard::CancelButton)->setEnabled(!WorkerRunning());
    applyingRules_ = false;
}

bool UpdaterPropertySheet::eventFilter(QObject* watched, QEvent* event) {
    // QWizard sets the buttons again after page changes and completeness changes; the rules
    // are applied after it.
    if (event->type() == QEvent::EnabledChange && !applyingRules_ &&
        qobject_cast<QAbstractButton*>(watched) != nullptr) {
        ApplyButtonRules();
    }
    return CWizard97PropertySheet::eventFilter(watched, event);
}

bool UpdaterPropertySheet::validateCurrentPage() {
    if (endButtons_) {
        // Finish.
        return true;
    }
    if (selectingPage_) {
        // The run moves on by itself: the connection page hands over its fields but stores
        // nothing.
        if (currentId() == kConnection) {
            connectPage_->TakeFields(false);
        }
        return true;
    }
    if (!NextAllowed()) {
        return false;
    }
    return CWizard97PropertySheet::validateCurrentPage();
}

void UpdaterPropertySheet::reject() {
    if (WorkerRunning()) {
        return;
    }
    // A module this run switched into its update loader goes back to its application.
    LeaveLoaderOnCancel();
    CWizard97PropertySheet::reject();
}

// --- Pages -------------------------------------------------------------------------------------

void UpdaterPropertySheet::OnPageChanged(int id) {
    if (id < 0) {
        return;
    }
    const int previous = previousPage_;
    previousPage_ = id;
    if (previous == kInformation && id == kConnection) {
        CloseLogAndConnection();
    }
    if (id == kInformation) {
        SetConnectionParams(connectPage_->Params());
    }
    if (auto* page = qobject_cast<UpdaterPropertyPage*>(currentPage())) {
        page->OnSetActive();
    }
    if (WorkerRunning()) {
        StartBusyAnimation();
    }
    ApplyButtonRules();
    if (id == kConnection && FirmwareVersion().empty() && !Unattended()) {
        QTimer::singleShot(0, this, &UpdaterPropertySheet::ChooseFirmwareIfNeeded);
    }
}

void UpdaterPropertySheet::SelectPage(RunPage page) {
    const int target = static_cast<int>(page);
    if (target == kConnection) {
        RestoreButtons();
        return;
    }
    if (target != currentId() + 1) {
        return;
    }
    selectingPage_ = true;
    next();
    selectingPage_ = false;
}

void UpdaterPropertySheet::ChooseFirmwareIfNeeded() {
    if (choosingFirmware_ || !FirmwareVersion().empty() || currentId() != kConnection ||
        !isVisible()) {
        return;
    }
    choosingFirmware_ = true;
    const FirmwareChoice choice = ChooseFirmwareFile();
    choosingFirmware_ = false;
    if (choice == FirmwareChoice::Cancelled) {
        // No file, no update: the program ends.
        done(QDialog::Rejected);
        return;
    }
    ApplyButtonRules();
}

void UpdaterPropertySheet::StartUnattended() {
    if (ChooseFirmwareFile() == FirmwareChoice::Cancelled) {
        done(QDialog::Rejected);
        return;
    }
    SelectPage(RunPage::Information);
}

void UpdaterPropertySheet::EndWithFinish() {
    accept();
}

std::optional<std::string>
UpdaterPropertySheet::AskForFirmwareFile(const std::string& initialDirectory) {
    if (PromptHook()) {
        return PromptHook()(initialDirectory);
    }
    CMyFileDialog dialog(true, this);
    dialog.SetFilterText(UiText("IDS_FIRMWARE_FILTER"));
    dialog.setWindowTitle(UiText("IDS_FIRMWARE_PROMPT"));
    dialog.setDefaultSuffix(QStringLiteral("bin"));
    dialog.setDirectory(QString::fromStdString(initialDirectory));
    dialog.setSizeGripEnabled(true);
    dialog.SetPlacesBarVisible(false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().first().toStdString();
}

// --- Results -----------------------------------------------------------------------------------

void UpdaterPropertySheet::OnProgressText(const std::string& text, int target) {
    const QString line = Text(text);
    switch (target) {
    case kProgressInfoStatus:
        infoPage_->StatusLine()->setText(line);
        break;
    case kProgressCheckStatus:
        checkPage_->StatusLine()->setText(line);
        break;
    case kProgressUpdateStepTitle:
        updatePage_->StepTitle()->SetText(line);
        updatePage_->Progress()->Reset();
        break;
    case kProgressUpdateStatus:
        // Each phase of a step announces itself here; the progress bar belongs to one phase.
        updatePage_->StatusLine()->setText(line);
        updatePage_->Progress()->Reset();
        break;
    default:
        updatePage_->DetailLine()->setText(line);
        updatePage_->DetailLine()->setVisible(!line.isEmpty());
        break;
    }
}

void UpdaterPropertySheet::OnTransferProgress(std::size_t sent, std::size_t total) {
    updatePage_->Progress()->ShowTransfer(sent, total);
}

void UpdaterPropertySheet::OnFlashPoll(int poll, int maxPolls) {
    updatePage_->Progress()->ShowFlashPoll(poll, maxPolls);
}

void UpdaterPropertySheet::OnQueryDone(QueryResult result, const std::string& errorText) {
    StopBusyAnimation();
    UpdaterInfoPropertyPage& page = *infoPage_;
    if (result != kQueryLoaderRunning && result != kQueryApplicationRunning) {
        SetLine(page.StatusLine(),
                UiText(result == kQueryConnectFailed ? "IDS_CONNECTIONERROR"
                                                     : "IDS_COMMUNICATION_PROBLEMS"),
                true);
        page.DetailLine()->setText(Text(errorText));
        page.DetailLine()->setVisible(!errorText.empty());
        ApplyButtonRules();
        return;
    }

    const TCP_ConnectionParams& params = connectPage_->Params();
    SetLine(page.StatusLine(),
            FormatText(UiText("IDS_ZELTA_CONNECTED"),
                       {QString::fromUtf8(params.host), static_cast<int>(params.port)}),
            false);
    if (result == kQueryLoaderRunning) {
        page.DetailLine()->setText(UiText("IDS_UPDATELOADER_RUNNING"));
        page.DetailLine()->show();
        page.InstructionLine()->setText(UiText("IDS_START_UPDATE_FROM_UPDATELOADER"));
    } else {
        page.DetailLine()->hide();
        page.InstructionLine()->setText(UiText("IDS_START_UPDATE_FROM_BRIDGE"));
    }
    page.InstructionLine()->show();
    page.DeviceTypeValue()->setText(Text(Device().typeName));
    page.SerialNumberValue()->setText(Text(Device().serialNumber));
    page.CurrentVersionValue()->setText(Text(CurrentFirmwareVersion()));
    page.FlashVersionValue()->setText(Text(FirmwareVersion()));
    page.ShowValues(true);
    const std::string warning = FamilyWarningTextId();
    if (!warning.empty()) {
        SetLine(page.WarningLine(), UiText(warning), true);
    }
    ApplyButtonRules();
}

void UpdaterPropertySheet::OnLoaderDone(UpdateResult result, LoaderCheckOutcome outcome) {
    StopBusyAnimation();
    UpdaterCheckPropertyPage& page = *checkPage_;
    if (outcome == LoaderCheckOutcome::Failed) {
        SetLine(page.StatusLine(), Text(UpdateErrorText(result)), true);
        EndOfRun();
        return;
    }
    SetLine(page.StatusLine(), Text(ProgressText("IDS_UPDATELOADER_VERSION")), false);
    if (outcome == LoaderCheckOutcome::LoaderUpdateNeeded) {
        SetLine(page.WarningLine(), UiText(LoaderWarningTextId()), true);
        page.InstructionLine()->show();
    } else if (outcome == LoaderCheckOutcome::DowngradeRefused) {
        SetLine(page.WarningLine(), UiText(DowngradeTextId()), true);
        EndOfRun();
        return;
    }
    ApplyButtonRules();
}

void UpdaterPropertySheet::OnUpdateDone(UpdateResult result) {
    UpdaterUpdatePropertyPage& page = *updatePage_;
    page.Progress()->Reset();
    if (UpdateSucceeded(result)) {
        if (result == kUpdateMacCorrected) {
            page.MacLine()->setText(UiText("IDS_MAC_CORRECTED"));
            page.MacLine()->show();
        } else if (MacLeftUncorrected(result)) {
            page.MacLine()->setText(UiText("IDS_MAC_UNCORRECTED"));
            page.MacLine()->show();
            page.MacDetailLine()->setText(Text(UpdateErrorText(result)));
            page.MacDetailLine()->show();
            page.ShowLogButton()->show();
        }
        SetLine(page.StatusLine(), UiText("IDS_SUCCESS"), false);
        page.CurrentVersionValue()->setText(Text(CurrentFirmwareVersion()));
        page.CurrentVersionLabel()->show();
        page.CurrentVersionValue()->show();
    } else {
        SetLine(page.StatusLine(), UiText("IDS_FLASHING_FAILED"), true);
        page.DetailLine()->setText(Text(UpdateErrorText(result)));
        page.DetailLine()->show();
        page.ShowLogButton()->show();
    }
    EndOfRun();
}

void UpdaterPropertySheet::EndOfRun() {
    StopBusyAnimation();
    ShowEndButtons();
}

// --- Busy animation ----------------------------------------------------------------------------

void UpdaterPropertySheet::StartBusyAnimation() {
    PlaceBusyAnimation();
    animation_->raise();
    animation_->Start();
}

void UpdaterPropertySheet::StopBusyAnimation() {
    animation_->Stop();
    animation_->hide();
}

void UpdaterPropertySheet::PlaceBusyAnimation() {
    // Left of the buttons, centred on the button row.
    for (QWizard::WizardButton which : {QWizard::BackButton, kStartButton, QWizard::NextButton,
                                        QWizard::FinishButton, QWizard::CancelButton}) {
        QAbstractButton* b = button(which);
        if (b->isVisible()) {
            const int top = b->mapTo(this, QPoint(0, 0)).y();
            animation_->setGeometry(kAnimationX, top + (b->height() - kAnimationSize) / 2 + 1,
                                    kAnimationSize, kAnimationSize);
            return;
        }
    }
}

void UpdaterPropertySheet::showEvent(QShowEvent* event) {
    CWizard97PropertySheet::showEvent(event);
    PlaceBusyAnimation();
    if (!initialized_) {
        initialized_ = true;
        if (Unattended()) {
            QTimer::singleShot(0, this, &UpdaterPropertySheet::StartUnattended);
        }
    }
}

void UpdaterPropertySheet::resizeEvent(QResizeEvent* event) {
    CWizard97PropertySheet::resizeEvent(event);
    PlaceBusyAnimation();
}
