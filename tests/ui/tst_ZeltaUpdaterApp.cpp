#include "app/AppSettings.h"
#include "app/ZeltaUpdaterApp.h"
#include "strings/CTevnoTools.h"
#include "strings/StringManager.h"
#include "strings/SystemPlatform.h"
#include "workflow/UpdaterPropertySheet.h"

#include "WizardTestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QWizard>
#include <QtTest>

#include <functional>
#include <optional>
#include <sstream>

namespace {

// Waits (at most 10 s) for a modal window to open, records what it shows, and closes it. If
// none opens, every window is closed so that a modal loop cannot hang the test.
// The wizard is seen when it asks for the firmware file, right after it opened: the answer
// "cancelled" ends it.
class ModalCloser : public QObject {
public:
    ModalCloser() {
        connect(&timer_, &QTimer::timeout, this, &ModalCloser::Poll);
        clock_.start();
        timer_.start(20);
        previousPrompt_ = UpdaterPropertySheet::SetFirmwarePromptHook([this](const std::string&) {
            if (auto* wizard = qobject_cast<QWizard*>(QApplication::activeModalWidget())) {
                sawWindow = true;
                text = wizard->currentPage()->title();
            }
            return std::optional<std::string>();
        });
    }
    ~ModalCloser() override { UpdaterPropertySheet::SetFirmwarePromptHook(previousPrompt_); }

    bool sawMessageBox = false;
    bool sawWindow = false;
    QString text;

private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            sawMessageBox = true;
            text = box->text();
            box->accept();
            timer_.stop();
        } else if (clock_.elapsed() > 10000) {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                widget->close();
            }
            timer_.stop();
        }
    }

    QTimer timer_;
    QElapsedTimer clock_;
    FirmwarePathPrompt previousPrompt_;
};

} // namespace

class TestZeltaUpdaterApp : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString settingsPath() const { return dir_.filePath(QStringLiteral("settings.ini")); }
    QString storedLanguage() const {
        return QSettings(settingsPath(), QSettings::IniFormat)
            .value(QStringLiteral("Settings/Language"))
            .toString();
    }

private slots:
    void init() {
        QFile::remove(settingsPath());
        CTevnoTools::Initialize(0);
        StringManager::Instance().SetLanguage(SystemLanguageCode());
    }

    void startUp_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("storedBefore");
        QTest::addColumn<bool>("usage");
        QTest::addColumn<QString>("shownText");
        QTest::addColumn<QString>("storedAfter");

        const QString usage = QStringLiteral("Valid command line parameters:\n\nfirmware file\n");
        QTest::newRow("unknown switch")
            << QStringList{"/X"} << QString("en") << true << usage << QString("en");
        QTest::newRow("bad port") << QStringList{"/IP:1.2.3.4,70000"} << QString("en") << true
                                  << usage << QString("en");
        QTest::newRow("help beside valid switch")
            << QStringList{"/IP:1.2.3.4", "-?"} << QString("en") << true << usage << QString("en");
        QTest::newRow("usage in the stored language")
            << QStringList{"-h"} << QString("de") << true
            << QStringLiteral("Gültige Kommandozeilenparameter:") << QString("de");
        // The first run stores the system's language.
        const QString system = QString::fromStdString(SystemLanguageCode());
        QTest::newRow("no arguments, first run")
            << QStringList{} << QString() << false
            << QString(system == "de" ? "Zelta-Firmware flashen" : "Flash Zelta firmware")
            << system;
        QTest::newRow("stored language") << QStringList{} << QString("de") << false
                                         << QString("Zelta-Firmware flashen") << QString("de");
        QTest::newRow("language for this run only")
            << QStringList{"/L:de", "/IP:10.1.1.1"} << QString("en") << false
            << QString("Zelta-Firmware flashen") << QString("en");
    }

    void startUp() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, storedBefore);
        QFETCH(bool, usage);
        QFETCH(QString, shownText);
        QFETCH(QString, storedAfter);

        if (!storedBefore.isEmpty()) {
            QSettings(settingsPath(), QSettings::IniFormat)
                .setValue(QStringLiteral("Settings/Language"), storedBefore);
        }
        std::vector<std::string> args;
        for (const QString& argument : arguments) {
            args.push_back(argument.toStdString());
        }
        std::ostringstream out;
        int exitCode = -1;
        ModalCloser closer;
        {
            AppSettings settings(settingsPath().toStdString());
            ZeltaUpdaterApp app(settings, args, out);
            QVERIFY(!app.InitInstance());
            exitCode = app.ExitInstance();
        }
        QCOMPARE(exitCode, 0);
        QCOMPARE(closer.sawMessageBox, usage);
        QCOMPARE(closer.sawWindow, !usage);
        QVERIFY2(closer.text.startsWith(shownText), qPrintable(closer.text));
        QCOMPARE(QString::fromStdString(out.str()).startsWith(shownText), usage);
        QCOMPARE(storedLanguage(), storedAfter);
    }

    // The whole program, unattended, with the real pauses (about twelve seconds): a
    // successful update ends with Finish and the exit code 1.
    void unattendedUpdateExitsWithOne() {
        SimOptions options;
        options.port = 0;
        options.downMs = 30;
        options.flashPolls = 0;
        SimServer sim(options);
        QVERIFY2(sim.Start(), sim.Error().c_str());
        const QString firmware = dir_.filePath(QStringLiteral("fw.bin"));
        {
            QFile file(firmware);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(FirmwareImage("01.50", "7.4.2", "BRN"));
        }
        const std::vector<std::string> args{"/U", "/IP:127.0.0.1," + std::to_string(sim.Port()),
                                            firmware.toStdString()};
        // Should the run stall, the wizard is cancelled so that the test fails and ends.
        QTimer guard;
        guard.setInterval(120000);
        connect(&guard, &QTimer::timeout, [] {
            if (auto* wizard = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                wizard->done(QDialog::Rejected);
            }
        });
        guard.start();
        std::ostringstream out;
        AppSettings settings(settingsPath().toStdString());
        ZeltaUpdaterApp app(settings, args, out);
        QVERIFY(!app.InitInstance());
        QCOMPARE(app.ExitInstance(), 1);
        QCOMPARE(sim.State().flashed.size(), size_t(1));
        QCOMPARE(sim.State().appVersion, std::string("01.50"));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestZeltaUpdaterApp test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ZeltaUpdaterApp.moc"
