#pragma once

#include <QWizardPage>

class UpdaterPropertySheet;

// A page of the update wizard. Every page shows the same header title with its own subtitle,
// keeps a pointer to the sheet (set by the sheet when it adds the page), and is told by the
// sheet each time it becomes the current page.
class UpdaterPropertyPage : public QWizardPage {
    Q_OBJECT

public:
    // index: the page's place in the wizard, 0 to 3; it selects the subtitle.
    explicit UpdaterPropertyPage(int index, QWidget* parent = nullptr);

    int PageIndex() const { return index_; }
    void SetSheet(UpdaterPropertySheet* sheet) { sheet_ = sheet; }
    UpdaterPropertySheet* Sheet() const { return sheet_; }

    // Sets the header title and subtitle and every looked-up label of the page, in the current
    // language.
    void RefreshTexts();

    // The page became the current one: resets what it shows and asks the sheet for its work.
    virtual void OnSetActive() = 0;

protected:
    // The page's own labels.
    virtual void RefreshLabels() {}

private:
    const int index_;
    UpdaterPropertySheet* sheet_ = nullptr;
};
