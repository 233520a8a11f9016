#include "ui/UpdaterInfoPropertyPage.h"

#include "ui/CXColorStatic.h"
#include "ui/PageLines.h"
#include "ui/UiText.h"
#include "workflow/UpdaterPropertySheet.h"

#include <QGridLayout>
#include <QLabel>

UpdaterInfoPropertyPage::UpdaterInfoPropertyPage(QWidget* parent)
    : UpdaterPropertyPage(kIndex, parent) {
    status_ = new CXColorStatic(this);
    detail_ = MakeWrappedLabel(this);
    deviceTypeLabel_ = new QLabel(this);
    deviceType_ = new CXColorStatic(this);
    serialNumberLabel_ = new QLabel(this);
    serialNumber_ = new CXColorStatic(this);
    currentVersionLabel_ = new QLabel(this);
    currentVersion_ = new CXColorStatic(this);
    flashVersionLabel_ = new QLabel(this);
    flashVersion_ = new CXColorStatic(this);
    instruction_ = MakeWrappedLabel(this);
    warning_ = new CXColorStatic(this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(status_, 0, 0, 1, 2);
    grid->addWidget(detail_, 1, 0, 1, 2);
    grid->setRowMinimumHeight(2, 8);
    grid->addWidget(deviceTypeLabel_, 3, 0);
    grid->addWidget(deviceType_, 3, 1);
    grid->addWidget(serialNumberLabel_, 4, 0);
    grid->addWidget(serialNumber_, 4, 1);
    grid->addWidget(currentVersionLabel_, 5, 0);
    grid->addWidget(currentVersion_, 5, 1);
    grid->addWidget(flashVersionLabel_, 6, 0);
    grid->addWidget(flashVersion_, 6, 1);
    grid->setRowMinimumHeight(7, 8);
    grid->addWidget(instruction_, 8, 0, 1, 2);
    grid->addWidget(warning_, 9, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(10, 1);
}

void UpdaterInfoPropertyPage::RefreshLabels() {
    deviceTypeLabel_->setText(UiText("IDS_DEVICE_TYPE"));
    serialNumberLabel_->setText(UiText("IDS_SERIAL_NUMBER"));
    currentVersionLabel_->setText(UiText("IDS_CURRENT_FIRMWARE_VERSION"));
    flashVersionLabel_->setText(UiText("IDS_FIRMWARE_VERSION_TO_FLASH"));
}

void UpdaterInfoPropertyPage::ShowValues(bool show) {
    for (QWidget* widget : std::initializer_list<QWidget*>{
             deviceTypeLabel_, deviceType_, serialNumberLabel_, serialNumber_, currentVersionLabel_,
             currentVersion_, flashVersionLabel_, flashVersion_}) {
        widget->setVisible(show);
    }
}

void UpdaterInfoPropertyPage::OnSetActive() {
    RefreshTexts();
    status_->setText(UiText("IDS_CONNECTING_TO_ZELTA"));
    status_->SetTextColor(kPageTextColour);
    status_->SetBold(false);
    status_->show();
    detail_->clear();
    detail_->show();
    warning_->clear();
    warning_->SetTextColor(kPageWarningColour);
    warning_->SetBold(true);
    warning_->hide();
    instruction_->setText(UiText("IDS_START_UPDATE_FROM_BRIDGE"));
    instruction_->hide();
    ShowValues(false);
    for (CXColorStatic* value : {deviceType_, serialNumber_, currentVersion_, flashVersion_}) {
        value->SetBold(true);
    }
    if (Sheet() != nullptr) {
        Sheet()->StartQuery();
    }
}
