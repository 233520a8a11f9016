// Pictures of every page, the timeouts dialog, the about box and the window menu, in English
// and German, for looking at them. They go to "screenshots" beside the test program.

#include "ui/AboutDlg.h"
#include "ui/CXColorStatic.h"
#include "ui/SystemMenu.h"
#include "ui/UiText.h"
#include "ui/UpdateProgressBar.h"
#include "ui/UpdaterConnectPropertyPage.h"
#include "ui/UpdaterUpdatePropertyPage.h"

#include "WizardRunSupport.h"

#include <QApplication>
#include <QDir>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include <optional>

namespace {

// A firmware image about the size of a real one, whose transfer takes a moment.
constexpr int kFirmwareSize = 1000000;

QString ShotDirectory() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("screenshots"));
}

bool Save(QWidget& widget, const QString& name, const QString& language) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    const QString path = QDir(ShotDirectory()).filePath(name + "-" + language + ".png");
    const QPixmap shot = widget.grab();
    if (shot.isNull() || !shot.save(path)) {
        qWarning("cannot write %s", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

class TestScreenshots : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        LoadStringTables("en");
        UpdaterPropertySheet::SetFirmwarePromptHook(
            [](const std::string&) { return std::optional<std::string>(); });
        QVERIFY(QDir().mkpath(ShotDirectory()));
    }

    void everyPage_data() {
        QTest::addColumn<QString>("language");
        QTest::newRow("en") << "en";
        QTest::newRow("de") << "de";
    }

    // One run that replaces the update loader first, so that the check page waits for Next.
    void everyPage() {
        QFETCH(QString, language);
        SetLanguage(language.toStdString());

        WizardRig rig;
        rig.options.loaderVersion = "01.05";
        // The two loader images install these in turn.
        rig.options.nextLoaderVersions = {"02.00", "02.03"};
        rig.StartSim();
        rig.WriteFirmware(FirmwareImage("01.50", "7.4.2", "BRN", kFirmwareSize));
        UpdaterPropertySheet& sheet = rig.MakeSheet({});

        QVERIFY(RunToPage(rig, sheet, 0));
        QVERIFY(Save(sheet, "1-connection", language));

        bool timeoutsShot = false;
        QTimer::singleShot(0, [&] {
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                timeoutsShot = Save(*dialog, "5-timeouts", language);
                dialog->close();
            }
        });
        sheet.ConnectPage()->TimeoutsButton()->click();
        QVERIFY(timeoutsShot);

        QVERIFY(RunToPage(rig, sheet, 1));
        QVERIFY(Save(sheet, "2-information", language));
        QVERIFY(RunToPage(rig, sheet, 2));
        QVERIFY(Save(sheet, "3-check", language));

        // The firmware's transfer, half-way.
        UpdaterUpdatePropertyPage& page = *sheet.UpdatePage();
        // Then its flashing.
        bool transferShot = false;
        bool flashShot = false;
        connect(page.Progress(), &UpdateProgressBar::Updated, &sheet, [&] {
            const QProgressBar& bar = *page.Progress()->Bar();
            if (!page.Progress()->isVisible()) {
                return;
            }
            if (!transferShot && page.StatusLine()->text() == UiText("IDS_DOWNLOADING_FIRMWARE") &&
                bar.value() >= UpdateProgressBar::kScale / 2) {
                transferShot = Save(sheet, "4-update-transfer", language);
            }
            if (transferShot && !flashShot && bar.maximum() == 0) {
                flashShot = Save(sheet, "4-update-flashing", language);
            }
        });
        QVERIFY(RunToPage(rig, sheet, 3));
        QVERIFY(transferShot);
        QVERIFY(flashShot);
        QVERIFY(sheet.ShowsEndButtons());
        QVERIFY(Save(sheet, "4-update-success", language));

        sheet.Menu()->popup(sheet.mapToGlobal(QPoint(20, 20)));
        sheet.Menu()->setActiveAction(sheet.Menu()->LanguageMenu()->menuAction());
        QVERIFY(Save(*sheet.Menu(), "7-menu", language));
        sheet.Menu()->hide();

        AboutDlg about(&sheet);
        about.show();
        QVERIFY(Save(about, "6-about", language));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestScreenshots test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Screenshots.moc"
