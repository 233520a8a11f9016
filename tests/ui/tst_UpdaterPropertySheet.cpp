#include "ui/CLabel.h"
#include "ui/CMaskEdit.h"
#include "ui/CXColorStatic.h"
#include "ui/ImageListAnimation.h"
#include "ui/SystemViewer.h"
#include "ui/UpdaterCheckPropertyPage.h"
#include "ui/UpdaterConnectPropertyPage.h"
#include "ui/UpdaterInfoPropertyPage.h"
#include "ui/UpdaterUpdatePropertyPage.h"

#include "WizardTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QtTest>

namespace {

constexpr int kWaitMs = WizardRig::kRunTimeoutMs;

const char* PageName(int id) {
    static const char* const names[] = {"connection", "information", "check", "update"};
    return id >= 0 && id < 4 ? names[id] : "none";
}

// The visible buttons of the button row in their order, each with " (off)" when disabled.
QString Buttons(const UpdaterPropertySheet& sheet) {
    QStringList shown;
    for (QWizard::WizardButton which :
         {QWizard::BackButton, QWizard::CustomButton1, QWizard::NextButton, QWizard::FinishButton,
          QWizard::CancelButton}) {
        const QAbstractButton* b = sheet.button(which);
        if (b->isVisible()) {
            shown << b->text() + (b->isEnabled() ? QString() : QStringLiteral(" (off)"));
        }
    }
    return shown.join(QStringLiteral(" | "));
}

QString Line(const QLabel* label) {
    return label->isVisible() ? label->text() : QString();
}

bool IsWarning(const CXColorStatic* line) {
    return line->TextColor() == QColor(255, 0, 0) && line->IsBold();
}

// Shows the sheet and waits until it has chosen its firmware file.
bool Open(UpdaterPropertySheet& sheet) {
    sheet.show();
    return QTest::qWaitFor([&] { return !sheet.FirmwareVersion().empty(); }, kWaitMs);
}

void FillAddress(UpdaterPropertySheet& sheet, const QString& host, const QString& port) {
    sheet.ConnectPage()->HostEdit()->setText(host);
    sheet.ConnectPage()->PortEdit()->setText(port);
}

bool Next(UpdaterPropertySheet& sheet) {
    QAbstractButton* next = sheet.button(QWizard::NextButton);
    if (!next->isVisible() || !next->isEnabled()) {
        return false;
    }
    next->click();
    return true;
}

// Until no step runs and the results that came without one are shown too.
bool WaitIdle(UpdaterPropertySheet& sheet) {
    return QTest::qWaitFor(
        [&] {
            QCoreApplication::sendPostedEvents();
            return !sheet.WorkerRunning();
        },
        kWaitMs);
}

// Records the buttons every time a page has become the current one (its step has started by
// then).
class PageRecorder : public QObject {
public:
    explicit PageRecorder(UpdaterPropertySheet& sheet) : sheet_(sheet) {
        connect(&sheet, &QWizard::currentIdChanged, this, [this](int id) {
            if (id >= 0 && sheet_.isVisible()) {
                lines << QStringLiteral("%1: %2").arg(PageName(id), Buttons(sheet_));
            }
        });
    }
    void Note(const char* when) {
        lines
            << QStringLiteral("%1 %2: %3").arg(PageName(sheet_.currentId()), when, Buttons(sheet_));
    }
    QStringList lines;

private:
    UpdaterPropertySheet& sheet_;
};

// Drives the wizard as an operator would, pressing Next whenever it can, and notes the buttons
// at each step.
QStringList DriveRun(WizardRig& rig, UpdaterPropertySheet& sheet) {
    PageRecorder recorder(sheet);
    if (!Open(sheet)) {
        return {"firmware not chosen"};
    }
    FillAddress(sheet, QStringLiteral("127.0.0.1"), QString::number(rig.Port()));
    recorder.Note("filled");
    while (Next(sheet)) {
        if (!WaitIdle(sheet)) {
            return recorder.lines << "step did not end";
        }
        recorder.Note("done");
        if (sheet.ShowsEndButtons()) {
            break;
        }
    }
    return recorder.lines;
}

const QString kNormalIdle = "< Back (off) | Next > | Cancel";
const QString kAllOff = "< Back (off) | Next > (off) | Cancel (off)";

} // namespace

class TestUpdaterPropertySheet : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WizardRig> rig_;
    SystemViewerHook previousViewer_;
    QStringList viewed_;

private slots:
    void initTestCase() {
        LoadStringTables("en");
        previousViewer_ = SetSystemViewerHook([this](const QString& path) {
            viewed_ << path;
            return true;
        });
        // No test may block on the firmware dialog.
        UpdaterPropertySheet::SetFirmwarePromptHook(
            [](const std::string&) { return std::optional<std::string>(); });
    }
    void cleanupTestCase() { SetSystemViewerHook(previousViewer_); }

    void init() {
        rig_ = std::make_unique<WizardRig>();
        viewed_.clear();
    }
    void cleanup() { rig_.reset(); }

    void buttonRules_data() {
        QTest::addColumn<QString>("loader");
        QTest::addColumn<QString>("netOs");
        QTest::addColumn<bool>("simulator");
        QTest::addColumn<bool>("firmwareGiven");
        QTest::addColumn<QStringList>("transcript");

        const QString checkStarted = "check: " + kAllOff;
        QTest::newRow("update") << "02.03"
                                << "7.4.2" << true << false
                                << QStringList{"connection filled: " + kNormalIdle,
                                               "information: " + kAllOff,
                                               "information done: < Back | Next > | Cancel",
                                               checkStarted,
                                               "update: " + kAllOff,
                                               "update done: << Start | Finish"};
        QTest::newRow("loader update first")
            << "01.05"
            << "7.4.2" << true << false
            << QStringList{"connection filled: " + kNormalIdle,
                           "information: " + kAllOff,
                           "information done: < Back | Next > | Cancel",
                           checkStarted,
                           "check done: " + kNormalIdle,
                           "update: " + kAllOff,
                           "update done: << Start | Finish"};
        QTest::newRow("downgrade refused")
            << "02.03"
            << "6.9" << true << false
            << QStringList{"connection filled: " + kNormalIdle, "information: " + kAllOff,
                           "information done: < Back | Next > | Cancel", checkStarted,
                           "check done: << Start | Finish"};
        QTest::newRow("connection refused")
            << "02.03"
            << "7.4.2" << false << false
            << QStringList{"connection filled: " + kNormalIdle, "information: " + kAllOff,
                           "information done: < Back | Next > (off) | Cancel"};
        QTest::newRow("firmware from the command line")
            << "02.03"
            << "7.4.2" << true << true
            << QStringList{"connection filled: " + kNormalIdle,
                           "information: " + kAllOff,
                           "information done: < Back | Next > | Cancel",
                           checkStarted,
                           "update: " + kAllOff,
                           "update done: Finish"};
    }

    void buttonRules() {
        QFETCH(QString, loader);
        QFETCH(QString, netOs);
        QFETCH(bool, simulator);
        QFETCH(bool, firmwareGiven);
        QFETCH(QStringList, transcript);

        WizardRig& rig = *rig_;
        rig.options.loaderVersion = loader.toStdString();
        const std::string firmware =
            rig.WriteFirmware(FirmwareImage("01.50", netOs.toStdString(), "BRN"));
        if (simulator) {
            rig.StartSim();
        }
        UpdaterPropertySheet& sheet = rig.MakeSheet(firmwareGiven ? firmware : std::string());
        QCOMPARE(DriveRun(rig, sheet), transcript);
    }

    // The connection page's Next: an acceptable address and a port.
    void connectionNext_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("next");

        QTest::newRow("host name") << "zelta-7.example"
                                   << "6666" << true;
        QTest::newRow("four numbers") << "10.0.0.1"
                                      << "1" << true;
        QTest::newRow("four numbers of any value") << "999.0.0.300"
                                                   << "6666" << true;
        QTest::newRow("two dots") << "10.0.1"
                                  << "6666" << false;
        QTest::newRow("four dots") << "10.0.0.1.2"
                                   << "6666" << false;
        QTest::newRow("empty number") << "10..0.1"
                                      << "6666" << false;
        QTest::newRow("empty host") << ""
                                    << "6666" << false;
        QTest::newRow("empty port") << "10.0.0.1"
                                    << "" << false;
        QTest::newRow("largest port") << "10.0.0.1"
                                      << "65535" << true;
        QTest::newRow("port above 65535") << "10.0.0.1"
                                          << "65536" << false;
    }

    void connectionNext() {
        QFETCH(QString, host);
        QFETCH(QString, port);
        QFETCH(bool, next);

        UpdaterPropertySheet& sheet = rig_->MakeSheet(rig_->WriteDefaultFirmware());
        QVERIFY(Open(sheet));
        FillAddress(sheet, host, port);
        QCOMPARE(sheet.button(QWizard::NextButton)->isEnabled(), next);
        // Return presses Next only when it is usable.
        QTest::keyClick(sheet.ConnectPage()->HostEdit(), Qt::Key_Return);
        QCOMPARE(sheet.currentId(), next ? 1 : 0);
        WaitIdle(sheet);
    }

    void successfulRunShowsItsResults() {
        WizardRig& rig = *rig_;
        rig.StartSim();
        rig.WriteDefaultFirmware();
        UpdaterPropertySheet& sheet = rig.MakeSheet({});
        QVERIFY(Open(sheet));
        FillAddress(sheet, QStringLiteral("127.0.0.1"), QString::number(rig.Port()));
        QVERIFY(Next(sheet));
        QVERIFY(sheet.BusyAnimation()->isVisible());
        QVERIFY(sheet.BusyAnimation()->IsRunning());
        QVERIFY(WaitIdle(sheet));
        QVERIFY(!sheet.BusyAnimation()->isVisible());

        const UpdaterInfoPropertyPage& info = *sheet.InfoPage();
        QCOMPARE(Line(info.StatusLine()),
                 QStringLiteral("Connection to Zelta module (127.0.0.1:%1) established.")
                     .arg(rig.Port()));
        QVERIFY(!IsWarning(info.StatusLine()));
        QCOMPARE(Line(info.DetailLine()), QString());
        QCOMPARE(Line(info.SerialNumberValue()), QStringLiteral("0012345678"));
        QCOMPARE(Line(info.CurrentVersionValue()), QStringLiteral("1.40"));
        QCOMPARE(Line(info.FlashVersionValue()), QStringLiteral("1.50 (fw.bin)"));
        QVERIFY(info.SerialNumberValue()->IsBold());
        QCOMPARE(Line(info.InstructionLine()),
                 QStringLiteral("Press \"Next >\" to start the update operation, \"Cancel\" to "
                                "quit without changes."));
        QCOMPARE(Line(info.WarningLine()), QString());

        QVERIFY(Next(sheet));
        QVERIFY(QTest::qWaitFor([&] { return sheet.ShowsEndButtons(); }, kWaitMs));
        const UpdaterUpdatePropertyPage& update = *sheet.UpdatePage();
        QCOMPARE(sheet.currentId(), 3);
        QCOMPARE(update.StepTitle()->Text(), QStringLiteral("Zelta firmware update"));
        QCOMPARE(Line(update.StatusLine()),
                 QStringLiteral("Update operation successfully finished."));
        QVERIFY(!IsWarning(update.StatusLine()));
        QCOMPARE(Line(update.CurrentVersionValue()), QStringLiteral("1.50"));
        QVERIFY(update.CurrentVersionLabel()->isVisible());
        QVERIFY(!update.ShowLogButton()->isVisible());
        QVERIFY(!update.MacLine()->isVisible());
        QVERIFY(!sheet.BusyAnimation()->isVisible());
        QVERIFY(!sheet.ConnectionOpen());
        QCOMPARE(rig.sim->State().flashed.size(), size_t(1));

        sheet.button(QWizard::FinishButton)->click();
        QCOMPARE(sheet.result(), int(QDialog::Accepted));
        rig.sheet.reset();
        QVERIFY(!QFile::exists(rig.LogPath())); // nothing failed
    }

    // A failed update keeps its log and offers it; "<< Start" begins a new run from the
    // connection page, whose log starts empty.
    void failedRunThenNewRun() {
        WizardRig& rig = *rig_;
        rig.StartSim();
        const std::string firmware = rig.WriteDefaultFirmware();
        UpdaterPropertySheet& sheet = rig.MakeSheet({});
        QVERIFY(Open(sheet));
        FillAddress(sheet, QStringLiteral("127.0.0.1"), QString::number(rig.Port()));
        QVERIFY(Next(sheet));
        QVERIFY(WaitIdle(sheet));
        // The file goes missing before the update reads it.
        QVERIFY(QFile::rename(QString::fromStdString(firmware), rig.File("away")));
        QVERIFY(Next(sheet));
        QVERIFY(QTest::qWaitFor([&] { return sheet.ShowsEndButtons(); }, kWaitMs));

        const UpdaterUpdatePropertyPage& update = *sheet.UpdatePage();
        QCOMPARE(Line(update.StatusLine()), QStringLiteral("Update operation failed!"));
        QVERIFY(IsWarning(update.StatusLine()));
        QCOMPARE(Line(update.DetailLine()), QStringLiteral("Cannot open firmware file."));
        QVERIFY(!update.CurrentVersionValue()->isVisible());
        QVERIFY(sheet.KeepLog());
        QVERIFY(rig.Log().contains("Update operation failed!"));
        update.ShowLogButton()->click();
        QCOMPARE(viewed_, QStringList{rig.LogPath()});

        QCOMPARE(Buttons(sheet), QStringLiteral("<< Start | Finish"));
        sheet.BackRoleButton()->click();
        QCOMPARE(sheet.currentId(), 0);
        QCOMPARE(Buttons(sheet), kNormalIdle);
        QCOMPARE(sheet.button(QWizard::BackButton)->text(), QStringLiteral("< Back"));

        QVERIFY(QFile::rename(rig.File("away"), QString::fromStdString(firmware)));
        QVERIFY(Next(sheet));
        QVERIFY(WaitIdle(sheet));
        QVERIFY(!rig.Log().contains("Update operation failed!"));
        QVERIFY(Next(sheet));
        QVERIFY(QTest::qWaitFor([&] { return sheet.ShowsEndButtons(); }, kWaitMs));
        QCOMPARE(Line(update.StatusLine()),
                 QStringLiteral("Update operation successfully finished."));
        QVERIFY(!IsWarning(update.StatusLine()));
        QVERIFY(!update.DetailLine()->isVisible());
        QVERIFY(!update.ShowLogButton()->isVisible());
        rig.sheet.reset();
        QVERIFY(!QFile::exists(rig.LogPath()));
    }

    void failedQuery() {
        WizardRig& rig = *rig_;
        UpdaterPropertySheet& sheet = rig.MakeSheet(rig.WriteDefaultFirmware());
        QVERIFY(Open(sheet));
        FillAddress(sheet, QStringLiteral("127.0.0.1"), QStringLiteral("1"));
        QVERIFY(Next(sheet));
        QVERIFY(WaitIdle(sheet));
        const UpdaterInfoPropertyPage& info = *sheet.InfoPage();
        QCOMPARE(Line(info.StatusLine()), QStringLiteral("Could not connect to the Zelta module!"));
        QVERIFY(IsWarning(info.StatusLine()));
        QVERIFY(!Line(info.DetailLine()).isEmpty()); // the transport's reason
        QVERIFY(!info.SerialNumberValue()->isVisible());
        QVERIFY(!info.InstructionLine()->isVisible());
        QVERIFY(rig.Log().contains("Could not connect to the Zelta module!"));
    }

    // Back from the information page closes the connection; the page queries again when it
    // is entered again.
    void backFromTheInformationPage() {
        WizardRig& rig = *rig_;
        SimServer& sim = rig.StartSim();
        UpdaterPropertySheet& sheet = rig.MakeSheet(rig.WriteDefaultFirmware());
        QVERIFY(Open(sheet));
        FillAddress(sheet, QStringLiteral("127.0.0.1"), QString::number(rig.Port()));
        QVERIFY(Next(sheet));
        QVERIFY(WaitIdle(sheet));
        QVERIFY(sheet.ConnectionOpen());

        sheet.button(QWizard::BackButton)->click();
        QCOMPARE(sheet.currentId(), 0);
        QCOMPARE(Buttons(sheet), kNormalIdle);
        QVERIFY(!sheet.ConnectionOpen());
        QVERIFY(sim.WaitDisconnected(kWaitMs));

        QVERIFY(Next(sheet));
        QCOMPARE(Line(sheet.InfoPage()->StatusLine()),
                 QStringLiteral("Connecting to Zelta module..."));
        QVERIFY(!sheet.InfoPage()->SerialNumberValue()->isVisible());
        QVERIFY(WaitIdle(sheet));
        QVERIFY(sheet.ConnectionOpen());
        QCOMPARE(sim.Trace().Lines("accept").size(), size_t(2));
    }

    void closeIsRefusedWhileAStepRuns() {
        WizardRig& rig = *rig_;
        rig.StartSim();
        UpdaterPropertySheet& sheet = rig.MakeSheet(rig.WriteDefaultFirmware());
        QVERIFY(Open(sheet));
        FillAddress(sheet, QStringLiteral("127.0.0.1"), QString::number(rig.Port()));
        QVERIFY(Next(sheet));
        QVERIFY(sheet.QueryRunning());
        QVERIFY(!sheet.close());
        QTest::keyClick(&sheet, Qt::Key_Escape);
        sheet.reject();
        QVERIFY(sheet.isVisible());

        QVERIFY(WaitIdle(sheet));
        QVERIFY(Next(sheet));
        QVERIFY(sheet.LoaderCheckRunning() || sheet.UpdateRunning());
        QVERIFY(!sheet.close());
        QVERIFY(sheet.isVisible());
        QVERIFY(QTest::qWaitFor([&] { return sheet.ShowsEndButtons(); }, kWaitMs));

        QVERIFY(sheet.close());
        QCOMPARE(sheet.result(), int(QDialog::Rejected));
    }

    // Cancel while the check page waits for Next to replace the loader.
    void cancelLeavesTheLoaderOnlyWhenThisRunStartedIt_data() {
        QTest::addColumn<bool>("loaderAtStart");
        QTest::addColumn<int>("restarts");
        QTest::addColumn<int>("modeAfter");

        QTest::newRow("this run started the loader") << false << 1 << int(ModuleMode::Application);
        QTest::newRow("loader already running") << true << 0 << int(ModuleMode::Loader);
    }

    void cancelLeavesTheLoaderOnlyWhenThisRunStartedIt() {
        QFETCH(bool, loaderAtStart);
        QFETCH(int, restarts);
        QFETCH(int, modeAfter);

        WizardRig& rig = *rig_;
        rig.options.loaderVersion = "01.05";
        if (loaderAtStart) {
            rig.options.mode = ModuleMode::Loader;
        }
        SimServer& sim = rig.StartSim();
        // Without a family marker: a module found in its loader is not identified.
        UpdaterPropertySheet& sheet = rig.MakeSheet(rig.WriteDefaultFirmware());
        QVERIFY(Open(sheet));
        FillAddress(sheet, QStringLiteral("127.0.0.1"), QString::number(rig.Port()));
        QVERIFY(Next(sheet));
        QVERIFY(WaitIdle(sheet));
        QVERIFY(Next(sheet));
        QVERIFY(WaitIdle(sheet));
        QCOMPARE(sheet.currentId(), 2);
        QVERIFY(sheet.CheckPage()->WarningLine()->isVisible());
        QVERIFY(sheet.CheckPage()->InstructionLine()->isVisible());
        const int restartsBefore = sim.State().restarts;

        sheet.button(QWizard::CancelButton)->click();
        QVERIFY(!sheet.isVisible());
        QCOMPARE(sheet.result(), int(QDialog::Rejected));
        if (restarts > 0) {
            QVERIFY(sim.WaitFor(
                [](const ModuleState& s) { return s.mode == ModuleMode::Application; }, kWaitMs));
        }
        QCOMPARE(sim.State().restarts - restartsBefore, restarts);
        QCOMPARE(int(sim.State().mode), modeAfter);
    }

    void unattended_data() {
        QTest::addColumn<bool>("simulator");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<int>("page");

        QTest::newRow("success ends with Finish") << true << true << 3;
        QTest::newRow("failure stays open") << false << false << 1;
    }

    void unattended() {
        QFETCH(bool, simulator);
        QFETCH(bool, closed);
        QFETCH(int, page);

        WizardRig& rig = *rig_;
        uint16_t port = 1;
        if (simulator) {
            port = rig.StartSim().Port();
        }
        UpdaterPropertySheet& sheet =
            rig.MakeSheet(rig.WriteDefaultFirmware(), "127.0.0.1", port, true);
        sheet.show();
        QVERIFY(QTest::qWaitFor(
            [&] { return !sheet.isVisible() || (sheet.currentId() > 0 && !sheet.WorkerRunning()); },
            kWaitMs));
        if (closed) {
            QVERIFY(QTest::qWaitFor([&] { return !sheet.isVisible(); }, kWaitMs));
            QCOMPARE(sheet.result(), int(QDialog::Accepted));
        } else {
            QTest::qWait(100);
            QVERIFY(sheet.isVisible());
            QVERIFY(IsWarning(sheet.InfoPage()->StatusLine()));
        }
        QCOMPARE(sheet.currentId(), page);
        // Unattended runs store no address.
        QVERIFY(!rig.settings->Contains(SettingKey::IPAddress));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestUpdaterPropertySheet test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_UpdaterPropertySheet.moc"
