#pragma once

#include <QMenu>
#include <QPointer>

#include <string>

class AppSettings;
class QAction;

// The window menu of the wizard: Restore, Move, Minimize, Close, a "Language" sub-menu with
// German and English (the current language checked) and the about box. The desktops the
// program runs on do not all give a program a window menu of its own, so the wizard offers
// this one from a button and from its header.
// The window commands act on `window`; Close goes through the window's own close handling,
// so a window that refuses to close stays open. A language item makes its language the
// current one, stores it in the settings and emits LanguageChanged; whoever shows texts then
// fetches them again (this menu's own through RefreshTexts).
class SystemMenu : public QMenu {
    Q_OBJECT

public:
    // The command identifiers of the items with one (the items' data).
    static constexpr int kAboutCommand = 16;
    static constexpr int kGermanCommand = 17;
    static constexpr int kEnglishCommand = 18;

    SystemMenu(QWidget* window, AppSettings& settings);

    // The texts in the current language; checks the current language's item.
    void RefreshTexts();

    QAction* RestoreAction() const { return restore_; }
    QAction* MoveAction() const { return move_; }
    QAction* MinimizeAction() const { return minimize_; }
    QAction* CloseAction() const { return close_; }
    QMenu* LanguageMenu() const { return language_; }
    QAction* GermanAction() const { return german_; }
    QAction* EnglishAction() const { return english_; }
    QAction* AboutAction() const { return about_; }

signals:
    void LanguageChanged();

private:
    void UpdateEnabledStates();
    void ChooseLanguage(const std::string& code);
    void ShowAbout();

    QPointer<QWidget> window_;
    AppSettings& settings_;
    QAction* restore_;
    QAction* move_;
    QAction* minimize_;
    QAction* close_;
    QMenu* language_;
    QAction* german_;
    QAction* english_;
    QAction* about_;
};
