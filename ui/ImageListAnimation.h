#pragma once

#include <QPixmap>
#include <QVector>
#include <QWidget>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

// The busy indicator: the frames of the strip resource 138 (six frames of equal width, white
// transparent), shown one after another every 100 ms by a thread of its own.
// The thread never touches the widget: it advances the frame number and posts an event, and
// the widget repaints on its own thread. It paints only while the thread runs.
class ImageListAnimation : public QWidget {
    Q_OBJECT

public:
    static constexpr int kStripResource = 138;
    static constexpr int kFrameCount = 6;
    static constexpr int kDelayMs = 100;

    explicit ImageListAnimation(QWidget* parent = nullptr);
    // Stops the thread.
    ~ImageListAnimation() override;

    // Shows the widget; unless the thread runs already, starts at frame 0 with a new thread.
    void Start();
    // Asks the thread to end and waits for it (at most one delay), then repaints, which
    // erases the frame. Harmless when not running.
    void Stop();

    bool IsRunning() const { return worker_.joinable(); }
    int CurrentFrame() const { return frame_.load(); }
    int FrameCount() const { return static_cast<int>(frames_.size()); }

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Run();

    QVector<QPixmap> frames_;
    std::atomic<int> frame_{0};
    std::atomic<bool> repaintPosted_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread worker_;
};
