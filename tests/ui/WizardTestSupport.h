#pragma once

// The wizard against the in-process simulator: a temporary program directory with a firmware
// image and a settings file of its own, the simulator on a free port, and a sheet with short
// pauses.

#include "UiTestSupport.h"

#include "app/AppSettings.h"
#include "sim/SimServer.h"
#include "ui/UpdaterConnectPropertyPage.h"
#include "workflow/UpdaterPropertySheet.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>
#include <string>

// A firmware image as the inspection and the simulator read it: the five wire characters of
// its version before the operating-system banner, its Net+OS version after it, and a device
// code after "DEVICE: ".
inline QByteArray FirmwareImage(const std::string& wireVersion, const std::string& netOs,
                                const std::string& device, int fill = 2000) {
    std::string bytes;
    for (int i = 0; i < fill; ++i) {
        bytes += static_cast<char>(i % 251);
    }
    bytes += std::string("DEVICE: ") + "    " + device + std::string(4, '\0');
    bytes += wireVersion + std::string(3, '\0') + "\r\n" + "NET+WORKS Version %s" + "      ";
    bytes += netOs + std::string(8, '\0');
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// Pauses short enough for tests; the simulator's restarts take its downMs.
inline WorkflowTimings FastTimings() {
    WorkflowTimings t;
    t.stepTitlePause = WorkflowTimings::Ms(0);
    t.transferPause = WorkflowTimings::Ms(20);
    t.flashPollInterval = WorkflowTimings::Ms(2);
    t.restartPause = WorkflowTimings::Ms(0);
    t.newLoaderPause = WorkflowTimings::Ms(0);
    t.reconnectPause = WorkflowTimings::Ms(40);
    t.reconnectRetryPause = WorkflowTimings::Ms(40);
    return t;
}

// One simulator, one program directory, one settings file and one sheet per test.
struct WizardRig {
    static constexpr int kRunTimeoutMs = 30000;

    WizardRig() {
        options.port = 0;
        options.downMs = 30;
        options.host.serialNumber = "0012345678";
    }

    QString File(const QString& name) const { return dir.filePath(name); }

    // Writes a firmware file into the program directory; returns its path.
    std::string WriteFirmware(const QByteArray& bytes, const QString& name = "fw.bin") const {
        QFile file(File(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return File(name).toStdString();
    }
    // Version 1.50 on Net+OS 7.4.2 for the simulator's BRN host.
    std::string WriteDefaultFirmware() const {
        return WriteFirmware(FirmwareImage("01.50", "7.4.2", "BRN"));
    }

    SimServer& StartSim() {
        sim = std::make_unique<SimServer>(options);
        if (!sim->Start()) {
            qFatal("simulator: %s", sim->Error().c_str());
        }
        return *sim;
    }
    uint16_t Port() const { return sim ? sim->Port() : 0; }

    // The sheet; host and port as from the command line.
    UpdaterPropertySheet& MakeSheet(const std::string& firmwarePath, const std::string& host = {},
                                    uint16_t port = 0, bool unattended = false) {
        settings = std::make_unique<AppSettings>(File("settings.ini").toStdString());
        sheet =
            std::make_unique<UpdaterPropertySheet>(firmwarePath, host, port, unattended, *settings);
        sheet->SetTimings(FastTimings());
        sheet->SetProgramDirectory(dir.path().toStdString());
        sheet->SetLogDirectory(dir.path().toStdString());
        TCP_ConnectionParams& params = sheet->ConnectPage()->Params();
        params.connectTimeout = 1000;
        params.readTimeout = 300;
        params.sendTimeout = 300;
        return *sheet;
    }

    QString LogPath() const { return File(QString::fromLatin1(UpdateLog::kFileName)); }
    QByteArray Log() const {
        QFile file(LogPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    SimOptions options;
    std::unique_ptr<SimServer> sim;
    std::unique_ptr<AppSettings> settings;
    std::unique_ptr<UpdaterPropertySheet> sheet;
};
