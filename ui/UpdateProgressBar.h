#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QWidget>

#include <cstddef>
#include <cstdint>
#include <optional>

class QLabel;
class QProgressBar;

// How far the update has come, shown below the update page's lines: during an image transfer
// the bytes sent of all with the time still needed where it can be estimated, then while the
// module flashes a busy bar with the status checks so far. It is hidden when no transfer or
// flash runs, and it only adds to the page's lines, never stands in for one of them.
class UpdateProgressBar : public QWidget {
    Q_OBJECT

public:
    // The bar's scale: a transfer of any size goes from 0 to kScale.
    static constexpr int kScale = 1000;
    // No estimate before this much of the transfer has passed.
    static constexpr int64_t kMinimumEstimateMs = 1000;

    explicit UpdateProgressBar(QWidget* parent = nullptr);

    // sent bytes of total; (0, total) starts a transfer.
    void ShowTransfer(std::size_t sent, std::size_t total);
    // poll checks of at most maxPolls so far.
    void ShowFlashPoll(int poll, int maxPolls);
    // Hides the bar until the next transfer or flash.
    void Reset();

    QProgressBar* Bar() const { return bar_; }
    QLabel* TextLine() const { return text_; }

    // The time the rest of a transfer needs at the rate so far: nothing before
    // kMinimumEstimateMs, before the first byte, or once all is sent.
    static std::optional<int64_t> EstimateRemainingMs(std::size_t sent, std::size_t total,
                                                      int64_t elapsedMs);
    // "m:ss", rounded up to whole seconds.
    static QString FormatDuration(int64_t ms);
    // Kilobytes as the line shows them, rounded to the nearest.
    static unsigned Kilobytes(std::size_t bytes);

signals:
    // After every change of what the bar shows.
    void Updated();

private:
    QProgressBar* bar_;
    QLabel* text_;
    QElapsedTimer transferClock_;
};
