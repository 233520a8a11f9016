#pragma once

#include "ui/UpdaterPropertyPage.h"

#include "base/TCP_ConnectionParams.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>

class AppSettings;
class CMaskEdit;
class QLabel;
class QPushButton;

// Page 0: where to connect. The operator enters the module's host and port and may change the
// three connection time-outs. The page owns the parameters the connection is opened with and
// keeps them, and the stored settings, up to date:
// - on activation the fields are filled from the command line or the settings;
// - leaving with Next copies the fields into the parameters and stores the time-outs, and the
//   host and port too unless a host came from the command line.
// A host counts as given from the command line once the parameters hold one, so after the
// first Next later visits show the parameters and no longer store host and port.
class UpdaterConnectPropertyPage : public UpdaterPropertyPage {
    Q_OBJECT

public:
    static constexpr int kIndex = 0;
    static constexpr int kIpAddressLabel = 1002;
    static constexpr int kHostEdit = 1004;
    static constexpr int kPortEdit = 1005;
    static constexpr int kTimeoutsButton = 1008;
    // How much of the address field is judged.
    static constexpr int kAddressCheckLength = 255;

    explicit UpdaterConnectPropertyPage(AppSettings& settings, QWidget* parent = nullptr);

    // The host and port given on the command line (empty and 0 for none).
    void SetCommandLineAddress(const std::string& host, uint16_t port);

    TCP_ConnectionParams& Params() { return params_; }
    const TCP_ConnectionParams& Params() const { return params_; }

    void OnSetActive() override;
    // Leaving with Next: copies the fields into the parameters and stores the settings.
    bool validatePage() override;
    // Next is usable when the address is acceptable and the port field holds a port.
    bool isComplete() const override;

    // Copies host and port from the fields into the parameters, storing them only when
    // writeSettings is set and no host came from the command line; the time-outs are stored
    // when writeSettings is set.
    void TakeFields(bool writeSettings);

    // A host name (any character other than a digit or "."), or four decimal numbers joined by
    // exactly three "." (of any value). Only the first kAddressCheckLength characters count.
    static bool IsAcceptableAddress(const QString& text);
    // The port field's text as a port: its leading decimal digits (after blanks) as a number,
    // 0 without digits; nothing when the field is empty or the number exceeds 65535.
    static std::optional<uint16_t> PortFromText(const QString& text);

    CMaskEdit* HostEdit() const { return host_; }
    CMaskEdit* PortEdit() const { return port_; }
    QPushButton* TimeoutsButton() const { return timeouts_; }

protected:
    void RefreshLabels() override;

private:
    void EditTimeouts();

    AppSettings& settings_;
    TCP_ConnectionParams params_;
    QLabel* addressLabel_;
    CMaskEdit* host_;
    CMaskEdit* port_;
    QPushButton* timeouts_;
};
