#pragma once

#include "ui/CMyDialog.h"

#include "strings/SectionStrings.h"

#include <cstdint>

class UECP_IO_ConnectionParams;

// The three transport time-outs of a connection, in milliseconds.
struct Timeouts {
    uint32_t connect = 0;
    uint32_t read = 0;
    uint32_t send = 0;
};

// Edits connect, read (receive) and send time-outs. The values are written back only when the
// user confirms with OK and all three lie between 0 and kMaxTimeoutMs.
class CTimeoutsDialog : public CMyDialog {
    Q_OBJECT

public:
    static constexpr int kTemplateId = 10153;
    static constexpr int kMaxTimeoutMs = 60000;

    // Control ids.
    static constexpr int kGroupBox = 2024;
    static constexpr int kConnectEdit = 2025;
    static constexpr int kReadEdit = 2026;
    static constexpr int kSendEdit = 2027;
    static constexpr int kConnectLabel = 2028;
    static constexpr int kReadLabel = 2029;
    static constexpr int kSendLabel = 2030;
    static constexpr int kOkButton = 1;
    static constexpr int kCancelButton = 2;

    explicit CTimeoutsDialog(QWidget* parent = nullptr);

    // Shows `timeouts` with the window title `title` and runs the dialog modally. After OK
    // the three values are copied back and the result is true; otherwise `timeouts` stays
    // untouched and the result is false.
    bool Edit(Timeouts& timeouts, const QString& title);
    // The same on the three time-outs of connection parameters.
    bool Edit(UECP_IO_ConnectionParams& params, const QString& title);

    // Reads the fields in the order connect, read, send. The first one outside 0..60000 (an
    // empty or non-numeric one counts as -1) is reported in a message box and ends the check
    // with false; the later fields are not read and nothing is stored. Otherwise the values
    // are stored and the result is true.
    bool Validate();

    // OK: closes the dialog only when Validate succeeds.
    void accept() override;

private:
    void InitDialog();

    SectionStrings texts_;
    int32_t connect_ = 1000;
    int32_t read_ = 1000;
    int32_t send_ = 1000;
    QString title_;
};
