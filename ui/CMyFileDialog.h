#pragma once

#include <QFileDialog>
#include <QString>
#include <QStringList>

// The program's file dialog: Qt's own dialog (the same on every platform), with its labels
// taken from the string tables ("default" section) when it is set up and when it is shown:
// OK IDS_OK, Cancel IDS_CANCEL, file type IDS_FILETYPE, file name IDS_FILENAME, and the folder
// label IDS_SEARCH_IN for an open dialog or IDS_SAVE_IN for a save dialog.
class CMyFileDialog : public QFileDialog {
    Q_OBJECT

public:
    explicit CMyFileDialog(bool openDialog = true, QWidget* parent = nullptr);

    // An open dialog picks an existing file; a save dialog names a file to write.
    void SetOpenDialog(bool openDialog);
    bool IsOpenDialog() const { return openDialog_; }

    // Takes a filter in the table form "Description|pattern[;pattern]|...||".
    void SetFilterText(const QString& filter);

    // Hides the list of places beside the folder view.
    void SetPlacesBarVisible(bool visible);

    // Converts the table form of a filter into Qt's name filters "Description (pattern ...)".
    // Pairs are read up to the first empty description (the closing "||"); a description
    // without a pattern matches every file.
    static QStringList ConvertFilter(const QString& filter);

    void ApplyTexts();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool openDialog_ = true;
};
