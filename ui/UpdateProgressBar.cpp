#include "ui/UpdateProgressBar.h"

#include "ui/TextFormat.h"
#include "ui/UiText.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

UpdateProgressBar::UpdateProgressBar(QWidget* parent)
    : QWidget(parent), bar_(new QProgressBar(this)), text_(new QLabel(this)) {
    bar_->setObjectName(QStringLiteral("updateProgressBar"));
    bar_->setTextVisible(true);
    text_->setTextFormat(Qt::PlainText);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(bar_);
    layout->addWidget(text_);
    hide();
}

void UpdateProgressBar::ShowTransfer(std::size_t sent, std::size_t total) {
    if (sent == 0 || !transferClock_.isValid()) {
        transferClock_.start();
    }
    const double share = total == 0 ? 1.0 : static_cast<double>(sent) / static_cast<double>(total);
    bar_->setRange(0, kScale);
    bar_->setFormat(QStringLiteral("%p%"));
    bar_->setValue(static_cast<int>(qBound(0.0, share, 1.0) * kScale));

    const std::optional<int64_t> remaining =
        EstimateRemainingMs(sent, total, transferClock_.elapsed());
    text_->setText(
        remaining ? FormatText(UiText("IDS_PROGRESS_SENT_REMAINING"),
                               {Kilobytes(sent), Kilobytes(total), FormatDuration(*remaining)})
                  : FormatText(UiText("IDS_PROGRESS_SENT"), {Kilobytes(sent), Kilobytes(total)}));
    show();
    emit Updated();
}

void UpdateProgressBar::ShowFlashPoll(int poll, int maxPolls) {
    transferClock_.invalidate();
    // How long the module flashes is not known: a busy bar.
    bar_->setRange(0, 0);
    text_->setText(FormatText(UiText("IDS_PROGRESS_FLASH_POLL"), {poll, maxPolls}));
    show();
    emit Updated();
}

void UpdateProgressBar::Reset() {
    transferClock_.invalidate();
    bar_->setRange(0, kScale);
    bar_->setValue(0);
    text_->clear();
    hide();
    emit Updated();
}

std::optional<int64_t> UpdateProgressBar::EstimateRemainingMs(std::size_t sent, std::size_t total,
                                                              int64_t elapsedMs) {
    if (sent == 0 || sent >= total || elapsedMs < kMinimumEstimateMs) {
        return std::nullopt;
    }
    const double msPerByte = static_cast<double>(elapsedMs) / static_cast<double>(sent);
    return static_cast<int64_t>(msPerByte * static_cast<double>(total - sent) + 0.5);
}

QString UpdateProgressBar::FormatDuration(int64_t ms) {
    const int64_t seconds = ms <= 0 ? 0 : (ms + 999) / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

unsigned UpdateProgressBar::Kilobytes(std::size_t bytes) {
    return static_cast<unsigned>((bytes + 512) / 1024);
}
