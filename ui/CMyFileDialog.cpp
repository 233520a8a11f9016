#include "ui/CMyFileDialog.h"

#include "ui/UiText.h"

#include <QLabel>

namespace {

// The table texts mark an accelerator with "&"; Qt's dialog leaves some labels without a
// buddy, and those would show the "&" as written.
void GiveBuddy(QFileDialog& dialog, const char* label, const char* target) {
    auto* text = dialog.findChild<QLabel*>(QLatin1String(label));
    auto* control = dialog.findChild<QWidget*>(QLatin1String(target));
    if (text && control && !text->buddy()) {
        text->setBuddy(control);
    }
}

} // namespace

CMyFileDialog::CMyFileDialog(bool openDialog, QWidget* parent) : QFileDialog(parent) {
    setOption(QFileDialog::DontUseNativeDialog, true);
    // The descriptions of the tables already name their patterns.
    setOption(QFileDialog::HideNameFilterDetails, true);
    SetOpenDialog(openDialog);
}

void CMyFileDialog::SetOpenDialog(bool openDialog) {
    openDialog_ = openDialog;
    setAcceptMode(openDialog ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    setFileMode(openDialog ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    ApplyTexts();
}

void CMyFileDialog::SetFilterText(const QString& filter) {
    setNameFilters(ConvertFilter(filter));
}

void CMyFileDialog::SetPlacesBarVisible(bool visible) {
    if (QWidget* places = findChild<QWidget*>(QStringLiteral("sidebar"))) {
        places->setVisible(visible);
    }
}

QStringList CMyFileDialog::ConvertFilter(const QString& filter) {
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        if (description.isEmpty()) {
            break;
        }
        QStringList patterns;
        if (i + 1 < parts.size()) {
            for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'))) {
                if (!pattern.trimmed().isEmpty()) {
                    patterns << pattern.trimmed();
                }
            }
        }
        if (patterns.isEmpty()) {
            patterns << QStringLiteral("*");
        }
        result << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
    }
    return result;
}

void CMyFileDialog::ApplyTexts() {
    setLabelText(QFileDialog::Accept, UiText("IDS_OK"));
    setLabelText(QFileDialog::Reject, UiText("IDS_CANCEL"));
    setLabelText(QFileDialog::FileType, UiText("IDS_FILETYPE"));
    setLabelText(QFileDialog::FileName, UiText("IDS_FILENAME"));
    setLabelText(QFileDialog::LookIn, UiText(openDialog_ ? "IDS_SEARCH_IN" : "IDS_SAVE_IN"));
    GiveBuddy(*this, "lookInLabel", "lookInCombo");
    GiveBuddy(*this, "fileTypeLabel", "fileTypeCombo");
    GiveBuddy(*this, "fileNameLabel", "fileNameEdit");
}

void CMyFileDialog::showEvent(QShowEvent* event) {
    ApplyTexts();
    QFileDialog::showEvent(event);
}
