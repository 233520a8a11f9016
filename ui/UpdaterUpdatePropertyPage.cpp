#include "ui/UpdaterUpdatePropertyPage.h"

#include "ui/CLabel.h"
#include "ui/CXColorStatic.h"
#include "ui/PageLines.h"
#include "ui/SystemViewer.h"
#include "ui/UiText.h"
#include "ui/UpdateProgressBar.h"
#include "workflow/UpdaterPropertySheet.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

UpdaterUpdatePropertyPage::UpdaterUpdatePropertyPage(QWidget* parent)
    : UpdaterPropertyPage(kIndex, parent) {
    stepTitle_ = new CLabel(this);
    status_ = new CXColorStatic(this);
    detail_ = MakeWrappedLabel(this);
    currentVersionLabel_ = new QLabel(this);
    currentVersion_ = new CXColorStatic(this);
    mac_ = MakeWrappedLabel(this);
    macDetail_ = MakeWrappedLabel(this);
    showLog_ = new QPushButton(this);
    showLog_->setObjectName(QStringLiteral("showLogButton"));
    showLog_->setAutoDefault(false);
    progress_ = new UpdateProgressBar(this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(stepTitle_, 0, 0, 1, 3);
    grid->addWidget(status_, 1, 0, 1, 3);
    grid->addWidget(detail_, 2, 0, 1, 3);
    grid->setRowMinimumHeight(3, 8);
    grid->addWidget(progress_, 3, 0, 1, 3);
    grid->addWidget(currentVersionLabel_, 4, 0);
    grid->addWidget(currentVersion_, 4, 1, 1, 2);
    grid->addWidget(mac_, 5, 0, 1, 3);
    grid->addWidget(macDetail_, 6, 0, 1, 3);
    grid->setRowStretch(7, 1);
    grid->addWidget(showLog_, 8, 2, Qt::AlignRight);
    grid->setColumnStretch(1, 1);

    connect(showLog_, &QPushButton::clicked, this, &UpdaterUpdatePropertyPage::ShowLogFile);
}

void UpdaterUpdatePropertyPage::RefreshLabels() {
    currentVersionLabel_->setText(UiText("IDS_CURRENT_FIRMWARE_VERSION"));
    showLog_->setText(UiText("IDS_SHOW_LOGFILE"));
}

void UpdaterUpdatePropertyPage::OnSetActive() {
    RefreshTexts();
    stepTitle_->SetFontBold(true);
    stepTitle_->SetText(QString());
    status_->setText(UiText("IDS_START_UPDATELOADER"));
    status_->SetTextColor(kPageTextColour);
    status_->SetBold(false);
    detail_->clear();
    progress_->Reset();
    currentVersion_->SetBold(true);
    for (QWidget* widget : std::initializer_list<QWidget*>{detail_, showLog_, currentVersionLabel_,
                                                           currentVersion_, mac_, macDetail_}) {
        widget->hide();
    }
    if (Sheet() != nullptr) {
        Sheet()->StartUpdate();
    }
}

void UpdaterUpdatePropertyPage::ShowLogFile() {
    if (Sheet() != nullptr) {
        OpenWithSystemViewer(QString::fromStdString(Sheet()->LogPath()));
    }
}
