#include "ui/UpdaterCheckPropertyPage.h"

#include "ui/CXColorStatic.h"
#include "ui/PageLines.h"
#include "ui/UiText.h"
#include "workflow/UpdaterPropertySheet.h"

#include <QLabel>
#include <QVBoxLayout>

UpdaterCheckPropertyPage::UpdaterCheckPropertyPage(QWidget* parent)
    : UpdaterPropertyPage(kIndex, parent) {
    status_ = new CXColorStatic(this);
    unused_ = MakeWrappedLabel(this);
    warning_ = new CXColorStatic(this);
    instruction_ = MakeWrappedLabel(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addWidget(unused_);
    layout->addSpacing(8);
    layout->addWidget(warning_);
    layout->addSpacing(8);
    layout->addWidget(instruction_);
    layout->addStretch(1);
}

void UpdaterCheckPropertyPage::RefreshLabels() {
    instruction_->setText(UiText("IDS_START_UPDATELOADER_UPDATE"));
}

void UpdaterCheckPropertyPage::OnSetActive() {
    RefreshTexts();
    status_->setText(UiText("IDS_START_UPDATELOADER"));
    status_->SetTextColor(kPageTextColour);
    status_->SetBold(false);
    warning_->setText(UiText("IDS_UPDATELOADER_UPDATE_NEEDED"));
    warning_->SetTextColor(kPageWarningColour);
    warning_->SetBold(true);
    warning_->hide();
    instruction_->hide();
    if (Sheet() != nullptr) {
        Sheet()->StartLoaderCheck();
    }
}
