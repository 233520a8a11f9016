#pragma once

#include <QDialog>

class CTransparentImage;
class QLabel;
class QPushButton;

// The about box: the logo (resource 137, magenta transparent), "<product> Version <version>"
// and the author line. Its texts are fetched when it is built, in the current language.
class AboutDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kLogoResource = 137;

    explicit AboutDlg(QWidget* parent = nullptr);

    // IDS_ABOUTBOX without its first character (the accelerator mark) and its last three
    // (the ellipsis): "&About ZeltaUpdater..." gives "About ZeltaUpdater".
    static QString TitleFromMenuText(const QString& menuText);

    CTransparentImage* Logo() const { return logo_; }
    QLabel* VersionLabel() const { return version_; }
    QLabel* AuthorLabel() const { return author_; }

private:
    CTransparentImage* logo_;
    QLabel* version_;
    QLabel* author_;
    QPushButton* ok_;
};
