#include "ui/UpdaterPropertyPage.h"

#include "ui/UiText.h"

#include <string>

UpdaterPropertyPage::UpdaterPropertyPage(int index, QWidget* parent)
    : QWizardPage(parent), index_(index) {}

void UpdaterPropertyPage::RefreshTexts() {
    setTitle(UiText("IDS_HEADER_TITLE"));
    setSubTitle(UiText("IDS_HEADER_SUBTITLE" + std::to_string(index_ + 1)));
    RefreshLabels();
}
