#include "ui/SystemMenu.h"
#include "ui/UiText.h"
#include "ui/UpdaterConnectPropertyPage.h"
#include "ui/UpdaterUpdatePropertyPage.h"

#include "WizardRunSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include <optional>

namespace {

// The menu's items in order: "-" for a separator, a sub-menu as "title > [items]", "*" before
// a checked item and " (off)" after a disabled one.
QString Items(const QMenu& menu) {
    QStringList items;
    for (const QAction* action : menu.actions()) {
        if (action->isSeparator()) {
            items << QStringLiteral("-");
        } else if (action->menu() != nullptr) {
            items << action->text() + " > [" + Items(*action->menu()) + "]";
        } else {
            items << (action->isChecked() ? "*" : "") + action->text() +
                         (action->isEnabled() ? "" : " (off)");
        }
    }
    return items.join(QStringLiteral(" | "));
}

// The visible buttons of the button row, left to right.
QString ButtonRow(const UpdaterPropertySheet& sheet) {
    QList<const QAbstractButton*> shown;
    for (QWizard::WizardButton which :
         {QWizard::BackButton, QWizard::CustomButton1, QWizard::NextButton, QWizard::FinishButton,
          QWizard::CancelButton}) {
        const QAbstractButton* b = sheet.button(which);
        if (b->isVisible()) {
            shown << b;
        }
    }
    std::sort(shown.begin(), shown.end(),
              [](const QAbstractButton* a, const QAbstractButton* b) { return a->x() < b->x(); });
    QStringList texts;
    for (const QAbstractButton* b : shown) {
        texts << b->text();
    }
    return texts.join(QStringLiteral(" | "));
}

// Runs `act` on the next modal dialog that opens, then closes it (after ten seconds at the
// latest, so a test cannot hang on it).
void OnNextModal(std::function<void(QWidget&)> act) {
    QTimer::singleShot(0, [act] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            act(*modal);
            modal->close();
        }
    });
    QTimer::singleShot(10000, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            modal->close();
        }
    });
}

const QString kEnglishMenu = "Restore (off) | Move | Minimize | Close\tAlt+F4 | - | Language > "
                             "[German | *English] | - | &About ZeltaUpdater...";
const QString kGermanMenu = "Wiederherstellen (off) | Verschieben | Minimieren | "
                            "Schließen\tAlt+F4 | - | Sprache > [*Deutsch | Englisch] | - | "
                            "&Über ZeltaUpdater...";

} // namespace

class TestSystemMenu : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WizardRig> rig_;

private slots:
    void initTestCase() {
        LoadStringTables("en");
        UpdaterPropertySheet::SetFirmwarePromptHook(
            [](const std::string&) { return std::optional<std::string>(); });
    }
    void init() {
        SetLanguage("en");
        rig_ = std::make_unique<WizardRig>();
    }
    void cleanup() { rig_.reset(); }

    // The items, their order and texts in both languages; the button at the end of the row and
    // a right-click on the header open the same menu.
    void items_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("items");

        QTest::newRow("en") << "en" << kEnglishMenu;
        QTest::newRow("de") << "de" << kGermanMenu;
    }

    void items() {
        QFETCH(QString, language);
        QFETCH(QString, items);

        SetLanguage(language.toStdString());
        UpdaterPropertySheet& sheet = rig_->MakeSheet(rig_->WriteDefaultFirmware());
        QVERIFY(OpenSheet(sheet));
        SystemMenu& menu = *sheet.Menu();
        QCOMPARE(Items(menu), items);
        QCOMPARE(menu.AboutAction()->data().toInt(), SystemMenu::kAboutCommand);
        QCOMPARE(menu.GermanAction()->data().toInt(), SystemMenu::kGermanCommand);
        QCOMPARE(menu.EnglishAction()->data().toInt(), SystemMenu::kEnglishCommand);

        QToolButton& button = *sheet.MenuButton();
        QVERIFY(button.isVisible());
        QCOMPARE(button.menu(), &menu);
        QVERIFY(button.x() > sheet.button(QWizard::CancelButton)->x());
        QCOMPARE(button.toolTip(), UiText("IDS_TOOLTIP_MENU"));

        // On the header's subtitle, which passes the request on to the header.
        QWidget* header = sheet.HeaderWidget();
        QVERIFY(header != nullptr);
        QLabel* subtitle = nullptr;
        for (QLabel* label : header->findChildren<QLabel*>()) {
            if (label->text() == sheet.currentPage()->subTitle()) {
                subtitle = label;
            }
        }
        QVERIFY(subtitle != nullptr);
        const QPoint at(4, 4);
        QContextMenuEvent click(QContextMenuEvent::Mouse, at, subtitle->mapToGlobal(at));
        QApplication::sendEvent(subtitle, &click);
        QVERIFY(menu.isVisible());
        QCOMPARE(menu.pos(), subtitle->mapToGlobal(at));
        menu.hide();
    }

    // A language item switches the language, stores it and labels everything anew: the page,
    // the buttons, the tooltips and the menu itself.
    void languageSwitch() {
        UpdaterPropertySheet& sheet = rig_->MakeSheet(rig_->WriteDefaultFirmware());
        QVERIFY(OpenSheet(sheet));
        const UpdaterConnectPropertyPage& page = *sheet.ConnectPage();

        sheet.Menu()->GermanAction()->trigger();
        QCOMPARE(QString::fromStdString(GetLanguage()), QStringLiteral("de"));
        QCOMPARE(QString::fromStdString(AppSettings(rig_->File("settings.ini").toStdString())
                                            .ReadString(SettingKey::Language)),
                 QStringLiteral("de"));
        QCOMPARE(ButtonRow(sheet), QStringLiteral("< Zurück | Weiter > | Abbrechen"));
        QCOMPARE(page.subTitle(), QStringLiteral("Verbindung mit dem Zelta-Modul herstellen"));
        QCOMPARE(page.TimeoutsButton()->toolTip(), UiText("IDS_TOOLTIP_TIMEOUTS"));
        QVERIFY(page.TimeoutsButton()->toolTip().contains(QStringLiteral("Millisekunden")));
        QCOMPARE(Items(*sheet.Menu()), kGermanMenu);

        sheet.Menu()->EnglishAction()->trigger();
        QCOMPARE(QString::fromStdString(GetLanguage()), QStringLiteral("en"));
        QCOMPARE(QString::fromStdString(AppSettings(rig_->File("settings.ini").toStdString())
                                            .ReadString(SettingKey::Language)),
                 QStringLiteral("en"));
        QCOMPARE(ButtonRow(sheet), QStringLiteral("< Back | Next > | Cancel"));
        QCOMPARE(page.subTitle(), QStringLiteral("Connect with Zelta module"));
        QCOMPARE(page.HostEdit()->toolTip(), UiText("IDS_TOOLTIP_IPADDRESS"));
        QCOMPARE(Items(*sheet.Menu()), kEnglishMenu);
    }

    // At the end of a run the row keeps "<< Start" through language switches, and the Back
    // button it stands in for comes back in the new language.
    void languageSwitchAtTheEndKeepsStart() {
        WizardRig& rig = *rig_;
        rig.StartSim();
        rig.WriteDefaultFirmware();
        UpdaterPropertySheet& sheet = rig.MakeSheet({});
        QVERIFY(RunToPage(rig, sheet));
        QVERIFY(sheet.ShowsEndButtons());
        QCOMPARE(ButtonRow(sheet), QStringLiteral("<< Start | Finish"));

        sheet.Menu()->GermanAction()->trigger();
        QCOMPARE(ButtonRow(sheet), QStringLiteral("<< Start | Fertig stellen"));
        QCOMPARE(sheet.BackRoleButton()->text(), QStringLiteral("<< Start"));
        QVERIFY(sheet.BackRoleButton()->isEnabled());
        QCOMPARE(sheet.UpdatePage()->subTitle(), QStringLiteral("Update-Vorgang"));

        sheet.BackRoleButton()->click();
        QCOMPARE(sheet.currentId(), 0);
        QCOMPARE(ButtonRow(sheet), QStringLiteral("< Zurück | Weiter > | Abbrechen"));
    }

    void windowCommands() {
        WizardRig& rig = *rig_;
        rig.StartSim();
        UpdaterPropertySheet& sheet = rig.MakeSheet(rig.WriteDefaultFirmware());
        QVERIFY(OpenSheet(sheet));
        SystemMenu& menu = *sheet.Menu();
        // The build's version, its third number appended to the second.
        QCOMPARE(sheet.windowTitle(), QStringLiteral("ZeltaUpdater V%1.%2%3")
                                          .arg(ZELTA_VERSION_MAJOR)
                                          .arg(ZELTA_VERSION_MINOR)
                                          .arg(ZELTA_VERSION_PATCH));
        QVERIFY(!sheet.windowIcon().isNull());

        menu.MinimizeAction()->trigger();
        QVERIFY(sheet.isMinimized());
        emit menu.aboutToShow();
        QVERIFY(menu.RestoreAction()->isEnabled());
        QVERIFY(!menu.MinimizeAction()->isEnabled());
        QVERIFY(!menu.MoveAction()->isEnabled());
        menu.RestoreAction()->trigger();
        QVERIFY(!sheet.isMinimized());
        emit menu.aboutToShow();
        QVERIFY(!menu.RestoreAction()->isEnabled());
        QVERIFY(menu.MinimizeAction()->isEnabled());

        // The about box, modal, in the current language.
        sheet.Menu()->GermanAction()->trigger();
        QString aboutTitle;
        OnNextModal([&](QWidget& about) { aboutTitle = about.windowTitle(); });
        menu.AboutAction()->trigger();
        QCOMPARE(aboutTitle, QStringLiteral("Über ZeltaUpdater"));
        QVERIFY(sheet.isVisible());

        // Close is refused while a step runs, and closes the wizard (Cancel's result) after.
        QVERIFY(RunToPage(rig, sheet, 0));
        sheet.button(QWizard::NextButton)->click();
        QVERIFY(sheet.QueryRunning());
        menu.CloseAction()->trigger();
        QVERIFY(sheet.isVisible());
        QVERIFY(QTest::qWaitFor([&] { return !sheet.WorkerRunning(); }, WizardRig::kRunTimeoutMs));
        menu.CloseAction()->trigger();
        QVERIFY(!sheet.isVisible());
        QCOMPARE(sheet.result(), int(QDialog::Rejected));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestSystemMenu test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SystemMenu.moc"
