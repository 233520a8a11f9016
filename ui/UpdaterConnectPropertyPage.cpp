#include "ui/UpdaterConnectPropertyPage.h"

#include "app/AppSettings.h"
#include "ui/CMaskEdit.h"
#include "ui/CTimeoutsDialog.h"
#include "ui/UiText.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace {

constexpr const char* kNoAddress = "0.0.0.0";

// A time-out read from the settings: values the timeouts dialog would refuse keep the current
// one.
uint32_t StoredTimeout(const AppSettings& settings, SettingKey key, uint32_t current) {
    const int stored = settings.ReadInt(key, static_cast<int>(current));
    if (stored < 0 || stored > CTimeoutsDialog::kMaxTimeoutMs) {
        return current;
    }
    return static_cast<uint32_t>(stored);
}

} // namespace

UpdaterConnectPropertyPage::UpdaterConnectPropertyPage(AppSettings& settings, QWidget* parent)
    : UpdaterPropertyPage(kIndex, parent), settings_(settings),
      params_(TCP_ConnectionParams::kDefaultHost, TCP_ConnectionParams::kDefaultPort) {
    params_.SetHost("");

    addressLabel_ = new QLabel(this);
    host_ = new CMaskEdit(this);
    host_->setObjectName(QStringLiteral("hostEdit"));
    host_->setMaxLength(TCP_ConnectionParams::kHostSize - 1);
    addressLabel_->setBuddy(host_);
    // The template's own texts, the same in every language.
    auto* portLabel = new QLabel(QStringLiteral("Port"), this);
    port_ = new CMaskEdit(this);
    port_->setObjectName(QStringLiteral("portEdit"));
    portLabel->setBuddy(port_);
    timeouts_ = new QPushButton(QStringLiteral("Timeouts..."), this);
    timeouts_->setObjectName(QStringLiteral("timeoutsButton"));
    timeouts_->setAutoDefault(false);

    const int portWidth = port_->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12;
    port_->setFixedWidth(portWidth);

    auto* grid = new QGridLayout(this);
    grid->addWidget(addressLabel_, 0, 0);
    grid->addWidget(host_, 0, 1, 1, 2);
    grid->addWidget(portLabel, 1, 0);
    grid->addWidget(port_, 1, 1);
    grid->addWidget(timeouts_, 3, 2, Qt::AlignRight);
    grid->setColumnStretch(1, 0);
    grid->setColumnStretch(2, 1);
    grid->setRowMinimumHeight(2, 12);
    grid->setRowStretch(4, 1);

    connect(host_, &QLineEdit::textChanged, this, &QWizardPage::completeChanged);
    connect(port_, &QLineEdit::textChanged, this, &QWizardPage::completeChanged);
    connect(timeouts_, &QPushButton::clicked, this, &UpdaterConnectPropertyPage::EditTimeouts);
}

void UpdaterConnectPropertyPage::SetCommandLineAddress(const std::string& host, uint16_t port) {
    params_.SetHost(host.c_str());
    params_.port = port;
}

void UpdaterConnectPropertyPage::RefreshLabels() {
    addressLabel_->setText(UiText("IDS_IPADDRESS_LABEL"));
    host_->setToolTip(UiText("IDS_TOOLTIP_IPADDRESS"));
    port_->setToolTip(UiText("IDS_TOOLTIP_PORT"));
    timeouts_->setToolTip(UiText("IDS_TOOLTIP_TIMEOUTS"));
}

void UpdaterConnectPropertyPage::OnSetActive() {
    RefreshTexts();
    port_->SetAllowedCharacters(QStringLiteral("0123456789"));
    port_->SetMaskEnabled(true);

    const std::string given = params_.host;
    std::string host;
    if (given.empty()) {
        host = settings_.ReadString(SettingKey::IPAddress);
    } else if (given != kNoAddress) {
        host = given;
    }
    if (!host.empty()) {
        host_->setText(QString::fromStdString(host));
    }

    int port = params_.port;
    if (port == 0 && given != kNoAddress) {
        port = settings_.ReadInt(SettingKey::Port, 0);
    }
    if (port != 0) {
        port_->setText(QString::number(port));
    }

    params_.connectTimeout =
        StoredTimeout(settings_, SettingKey::ConnectTimeout, params_.connectTimeout);
    params_.readTimeout = StoredTimeout(settings_, SettingKey::ReadTimeout, params_.readTimeout);
    params_.sendTimeout = StoredTimeout(settings_, SettingKey::SendTimeout, params_.sendTimeout);
}

bool UpdaterConnectPropertyPage::validatePage() {
    if (!isComplete()) {
        return false;
    }
    TakeFields(true);
    return true;
}

bool UpdaterConnectPropertyPage::isComplete() const {
    return IsAcceptableAddress(host_->text()) && PortFromText(port_->text()).has_value();
}

void UpdaterConnectPropertyPage::TakeFields(bool writeSettings) {
    const bool hostGiven = params_.host[0] != '\0';
    const std::string host = host_->text().toStdString();
    params_.SetHost(host.c_str());
    params_.port = PortFromText(port_->text()).value_or(0);
    if (!writeSettings) {
        return;
    }
    if (!hostGiven) {
        settings_.WriteString(SettingKey::IPAddress, params_.host);
        settings_.WriteInt(SettingKey::Port, params_.port);
    }
    settings_.WriteInt(SettingKey::ConnectTimeout, static_cast<int>(params_.connectTimeout));
    settings_.WriteInt(SettingKey::ReadTimeout, static_cast<int>(params_.readTimeout));
    settings_.WriteInt(SettingKey::SendTimeout, static_cast<int>(params_.sendTimeout));
    settings_.Sync();
}

bool UpdaterConnectPropertyPage::IsAcceptableAddress(const QString& text) {
    const QString address = text.left(kAddressCheckLength);
    if (address.isEmpty()) {
        return false;
    }
    for (const QChar c : address) {
        if ((c < QLatin1Char('0') || c > QLatin1Char('9')) && c != QLatin1Char('.')) {
            return true;
        }
    }
    const QStringList parts = address.split(QLatin1Char('.'));
    if (parts.size() != 4) {
        return false;
    }
    for (const QString& part : parts) {
        if (part.isEmpty()) {
            return false;
        }
    }
    return true;
}

std::optional<uint16_t> UpdaterConnectPropertyPage::PortFromText(const QString& text) {
    if (text.isEmpty()) {
        return std::nullopt;
    }
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace()) {
        ++i;
    }
    uint32_t value = 0;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        value = value * 10 + static_cast<uint32_t>(text[i].unicode() - '0');
        if (value > 0xFFFF) {
            return std::nullopt;
        }
    }
    return static_cast<uint16_t>(value);
}

void UpdaterConnectPropertyPage::EditTimeouts() {
    CTimeoutsDialog dialog(window());
    dialog.Edit(params_, UiText("IDS_TCP_TIMEOUT_SETTINGS", "OrbelDialogs"));
}
