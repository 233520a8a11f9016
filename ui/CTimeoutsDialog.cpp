#include "ui/CTimeoutsDialog.h"

#include "ui/CMaskEdit.h"
#include "ui/TextFormat.h"
#include "ui/UiMessageBox.h"

#include "base/UECP_IO_ConnectionParams.h"

#include <QBoxLayout>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace {

QString Text(const SectionStrings& texts, const char* id) {
    return QString::fromStdString(texts.GetString(id));
}

} // namespace

CTimeoutsDialog::CTimeoutsDialog(QWidget* parent)
    : CMyDialog(kTemplateId, parent), texts_("OrbelDialogs") {
    // The layout of template 10153. Its own texts ("Timeouts", "ms") are the same in every
    // language; the labels and buttons get their texts in InitDialog.
    auto* group = new QGroupBox(QStringLiteral("Timeouts"), this);
    SetItem(kGroupBox, group);
    auto* grid = new QGridLayout(group);
    const int editWidth = QFontMetrics(font()).horizontalAdvance(QStringLiteral("0000000")) + 12;
    const struct {
        int label;
        int edit;
    } rows[] = {{kConnectLabel, kConnectEdit}, {kReadLabel, kReadEdit}, {kSendLabel, kSendEdit}};
    int row = 0;
    for (const auto& r : rows) {
        auto* label = new QLabel(group);
        auto* edit = new CMaskEdit(group);
        edit->SetAllowedCharacters(QStringLiteral("0123456789"));
        edit->SetMaskEnabled(true);
        edit->setFixedWidth(editWidth);
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        grid->addWidget(new QLabel(QStringLiteral("ms"), group), row, 2);
        SetItem(r.label, label);
        SetItem(r.edit, edit);
        ++row;
    }
    grid->setColumnStretch(0, 1);

    auto* ok = new QPushButton(this);
    auto* cancel = new QPushButton(this);
    ok->setDefault(true);
    SetItem(kOkButton, ok);
    SetItem(kCancelButton, cancel);
    connect(ok, &QPushButton::clicked, this, &CTimeoutsDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &CTimeoutsDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

bool CTimeoutsDialog::Edit(Timeouts& timeouts, const QString& title) {
    connect_ = static_cast<int32_t>(timeouts.connect);
    read_ = static_cast<int32_t>(timeouts.read);
    send_ = static_cast<int32_t>(timeouts.send);
    title_ = title;
    InitDialog();
    if (exec() != QDialog::Accepted) {
        return false;
    }
    timeouts.connect = static_cast<uint32_t>(connect_);
    timeouts.read = static_cast<uint32_t>(read_);
    timeouts.send = static_cast<uint32_t>(send_);
    return true;
}

bool CTimeoutsDialog::Edit(UECP_IO_ConnectionParams& params, const QString& title) {
    Timeouts timeouts{params.connectTimeout, params.readTimeout, params.sendTimeout};
    if (!Edit(timeouts, title)) {
        return false;
    }
    params.connectTimeout = timeouts.connect;
    params.readTimeout = timeouts.read;
    params.sendTimeout = timeouts.send;
    return true;
}

void CTimeoutsDialog::InitDialog() {
    setWindowTitle(title_);
    SetItemText(kConnectLabel, Text(texts_, "IDS_TO_CONNECT"));
    SetItemText(kReadLabel, Text(texts_, "IDS_TO_READ"));
    SetItemText(kSendLabel, Text(texts_, "IDS_TO_WRITE"));
    SetItemText(kOkButton, Text(texts_, "IDS_OK"));
    SetItemText(kCancelButton, Text(texts_, "IDS_CANCEL"));
    SetItemInt(kConnectEdit, connect_);
    SetItemInt(kReadEdit, read_);
    SetItemInt(kSendEdit, send_);
    Item(kConnectEdit)->setFocus();
}

bool CTimeoutsDialog::Validate() {
    int32_t values[3] = {};
    const int ids[3] = {kConnectEdit, kReadEdit, kSendEdit};
    for (int i = 0; i < 3; ++i) {
        values[i] = GetItemInt(ids[i]);
        // Taken as unsigned, so -1 (empty or not a number) and every negative value fail.
        if (static_cast<uint32_t>(values[i]) > static_cast<uint32_t>(kMaxTimeoutMs)) {
            UiMessageBox::Show(this,
                               FormatText(Text(texts_, "IDS_TIMEOUT_RANGE"), {0, kMaxTimeoutMs}),
                               QMessageBox::Warning);
            Item(ids[i])->setFocus();
            return false;
        }
    }
    connect_ = values[0];
    read_ = values[1];
    send_ = values[2];
    return true;
}

void CTimeoutsDialog::accept() {
    if (Validate()) {
        CMyDialog::accept();
    }
}
