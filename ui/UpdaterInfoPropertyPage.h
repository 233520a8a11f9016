#pragma once

#include "ui/UpdaterPropertyPage.h"

class CXColorStatic;
class QLabel;

// Page 1: what the device and the firmware file are. Becoming active it resets its lines and
// has the sheet connect and query the module; the sheet fills the lines with the result.
class UpdaterInfoPropertyPage : public UpdaterPropertyPage {
    Q_OBJECT

public:
    static constexpr int kIndex = 1;

    explicit UpdaterInfoPropertyPage(QWidget* parent = nullptr);

    void OnSetActive() override;

    // 1006: progress and result line.
    CXColorStatic* StatusLine() const { return status_; }
    // 1007: the transport's error text, or the note that the loader runs.
    QLabel* DetailLine() const { return detail_; }
    // 1013 / 1015, 1014 / 1016, 1008 / 1011, 1009 / 1012.
    QLabel* DeviceTypeLabel() const { return deviceTypeLabel_; }
    CXColorStatic* DeviceTypeValue() const { return deviceType_; }
    QLabel* SerialNumberLabel() const { return serialNumberLabel_; }
    CXColorStatic* SerialNumberValue() const { return serialNumber_; }
    QLabel* CurrentVersionLabel() const { return currentVersionLabel_; }
    CXColorStatic* CurrentVersionValue() const { return currentVersion_; }
    QLabel* FlashVersionLabel() const { return flashVersionLabel_; }
    CXColorStatic* FlashVersionValue() const { return flashVersion_; }
    // 1010: what "Next >" does.
    QLabel* InstructionLine() const { return instruction_; }
    // 1017: the family warning.
    CXColorStatic* WarningLine() const { return warning_; }

    // Shows the labels and values of the device and the firmware file.
    void ShowValues(bool show);

protected:
    void RefreshLabels() override;

private:
    CXColorStatic* status_;
    QLabel* detail_;
    QLabel* deviceTypeLabel_;
    CXColorStatic* deviceType_;
    QLabel* serialNumberLabel_;
    CXColorStatic* serialNumber_;
    QLabel* currentVersionLabel_;
    CXColorStatic* currentVersion_;
    QLabel* flashVersionLabel_;
    CXColorStatic* flashVersion_;
    QLabel* instruction_;
    CXColorStatic* warning_;
};
