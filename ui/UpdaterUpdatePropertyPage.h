#pragma once

#include "ui/UpdaterPropertyPage.h"

class CLabel;
class CXColorStatic;
class QLabel;
class QPushButton;
class UpdateProgressBar;

// Page 3: the update itself. Becoming active it has the sheet start the update; the sheet
// shows the steps, the progress and the result here. "Show log file..." opens the update log
// with the system's viewer.
class UpdaterUpdatePropertyPage : public UpdaterPropertyPage {
    Q_OBJECT

public:
    static constexpr int kIndex = 3;

    explicit UpdaterUpdatePropertyPage(QWidget* parent = nullptr);

    void OnSetActive() override;

    // 1015: the step's title.
    CLabel* StepTitle() const { return stepTitle_; }
    // 1013: progress and final result line.
    CXColorStatic* StatusLine() const { return status_; }
    // 1017: progress detail; after a failed update the reason.
    QLabel* DetailLine() const { return detail_; }
    // 1018 / 1019: the firmware version after the update.
    QLabel* CurrentVersionLabel() const { return currentVersionLabel_; }
    CXColorStatic* CurrentVersionValue() const { return currentVersion_; }
    // 1007 / 1008: the MAC address result and why a lost one stays uncorrected.
    QLabel* MacLine() const { return mac_; }
    QLabel* MacDetailLine() const { return macDetail_; }
    // 1020.
    QPushButton* ShowLogButton() const { return showLog_; }
    // The transfer and flash progress, below the detail line.
    UpdateProgressBar* Progress() const { return progress_; }

protected:
    void RefreshLabels() override;

private:
    void ShowLogFile();

    CLabel* stepTitle_;
    CXColorStatic* status_;
    QLabel* detail_;
    QLabel* currentVersionLabel_;
    CXColorStatic* currentVersion_;
    QLabel* mac_;
    QLabel* macDetail_;
    QPushButton* showLog_;
    UpdateProgressBar* progress_;
};
