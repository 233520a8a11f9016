#pragma once

#include "ui/UpdaterPropertyPage.h"

class CXColorStatic;
class QLabel;

// Page 2: the update-loader check. Becoming active it has the sheet switch the module into its
// update loader; when the loader must be replaced first, the sheet shows the warning and the
// instruction and the page waits for "Next >".
class UpdaterCheckPropertyPage : public UpdaterPropertyPage {
    Q_OBJECT

public:
    static constexpr int kIndex = 2;

    explicit UpdaterCheckPropertyPage(QWidget* parent = nullptr);

    void OnSetActive() override;

    // 1006: progress and result line.
    CXColorStatic* StatusLine() const { return status_; }
    // 1008: the loader warning, or the refused downgrade.
    CXColorStatic* WarningLine() const { return warning_; }
    // 1009: what "Next >" does.
    QLabel* InstructionLine() const { return instruction_; }

protected:
    void RefreshLabels() override;

private:
    CXColorStatic* status_;
    QLabel* unused_;
    CXColorStatic* warning_;
    QLabel* instruction_;
};
