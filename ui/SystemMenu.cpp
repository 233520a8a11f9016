#include "ui/SystemMenu.h"

#include "app/AppSettings.h"
#include "strings/StringManager.h"
#include "ui/AboutDlg.h"
#include "ui/UiText.h"

#include <QActionGroup>
#include <QStyle>
#include <QWindow>

SystemMenu::SystemMenu(QWidget* window, AppSettings& settings)
    : QMenu(window), window_(window), settings_(settings) {
    setObjectName(QStringLiteral("systemMenu"));
    const QStyle* style = window->style();
    restore_ = addAction(style->standardIcon(QStyle::SP_TitleBarNormalButton), QString());
    move_ = addAction(QString());
    minimize_ = addAction(style->standardIcon(QStyle::SP_TitleBarMinButton), QString());
    close_ = addAction(QString());
    addSeparator();
    language_ = addMenu(QString());
    german_ = language_->addAction(QString());
    english_ = language_->addAction(QString());
    addSeparator();
    about_ = addAction(QString());

    german_->setData(kGermanCommand);
    english_->setData(kEnglishCommand);
    about_->setData(kAboutCommand);
    auto* languages = new QActionGroup(this);
    for (QAction* item : {german_, english_}) {
        item->setCheckable(true);
        languages->addAction(item);
    }

    connect(this, &QMenu::aboutToShow, this, &SystemMenu::UpdateEnabledStates);
    connect(restore_, &QAction::triggered, this, [this] {
        if (window_) {
            window_->showNormal();
        }
    });
    connect(move_, &QAction::triggered, this, [this] {
        // The window system moves the window with the mouse; where it cannot, nothing happens.
        if (window_ && window_->windowHandle() != nullptr) {
            window_->windowHandle()->startSystemMove();
        }
    });
    connect(minimize_, &QAction::triggered, this, [this] {
        if (window_) {
            window_->showMinimized();
        }
    });
    connect(close_, &QAction::triggered, this, [this] {
        if (window_) {
            window_->close();
        }
    });
    connect(german_, &QAction::triggered, this, [this] { ChooseLanguage("de"); });
    connect(english_, &QAction::triggered, this, [this] { ChooseLanguage("en"); });
    connect(about_, &QAction::triggered, this, &SystemMenu::ShowAbout);

    RefreshTexts();
}

void SystemMenu::RefreshTexts() {
    restore_->setText(UiText("IDS_RESTORE"));
    move_->setText(UiText("IDS_MOVE"));
    minimize_->setText(UiText("IDS_MINIMIZE"));
    // "Close\tAlt+F4": the part after the tab shows as the item's shortcut.
    close_->setText(UiText("IDS_CLOSE"));
    language_->setTitle(UiText("IDS_LANGUAGE"));
    german_->setText(UiText("IDS_LANGUAGE_GERMAN"));
    english_->setText(UiText("IDS_LANGUAGE_ENGLISH"));
    about_->setText(UiText("IDS_ABOUTBOX"));
    (GetLanguage() == "de" ? german_ : english_)->setChecked(true);
    UpdateEnabledStates();
}

void SystemMenu::UpdateEnabledStates() {
    if (!window_) {
        return;
    }
    const bool minimized = window_->isMinimized();
    const bool maximized = window_->isMaximized();
    restore_->setEnabled(minimized || maximized);
    move_->setEnabled(!minimized && !maximized);
    minimize_->setEnabled(!minimized);
}

void SystemMenu::ChooseLanguage(const std::string& code) {
    SetLanguage(code);
    settings_.WriteString(SettingKey::Language, code);
    settings_.Sync();
    RefreshTexts();
    emit LanguageChanged();
}

void SystemMenu::ShowAbout() {
    AboutDlg about(window_);
    about.exec();
}
