#include "ui/ImageListAnimation.h"

#include "ui/ResourceImages.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPainter>

#include <chrono>

namespace {

// Posted by the thread after each frame step.
const QEvent::Type kFrameAdvanced = static_cast<QEvent::Type>(QEvent::User + 0x138);

QVector<QPixmap> CutFrames(const QImage& strip, int count) {
    QVector<QPixmap> frames;
    if (strip.isNull() || count <= 0) {
        return frames;
    }
    QImage image = strip.convertToFormat(QImage::Format_ARGB32);
    const QRgb white = qRgb(255, 255, 255);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] | 0xff000000u) == white) {
                line[x] = 0;
            }
        }
    }
    const int width = image.width() / count;
    for (int i = 0; i < count; ++i) {
        QImage frame = image.copy(i * width, 0, width, image.height());
        frame.setDevicePixelRatio(strip.devicePixelRatio());
        frames.push_back(QPixmap::fromImage(frame));
    }
    return frames;
}

} // namespace

ImageListAnimation::ImageListAnimation(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ImageListAnimation"));
    setCursor(Qt::ArrowCursor);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    frames_ = CutFrames(LoadResourceImage(kStripResource, ScreenPixelRatio()), kFrameCount);
}

ImageListAnimation::~ImageListAnimation() {
    Stop();
}

void ImageListAnimation::Start() {
    show();
    if (worker_.joinable()) {
        return;
    }
    frame_ = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = false;
    }
    worker_ = std::thread([this] { Run(); });
    update();
}

void ImageListAnimation::Stop() {
    if (!worker_.joinable()) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    worker_.join();
    update();
}

void ImageListAnimation::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!wake_.wait_for(lock, std::chrono::milliseconds(kDelayMs), [this] { return stop_; })) {
        frame_ = (frame_.load() + 1) % kFrameCount;
        // One repaint request at a time: a busy window thread does not pile them up.
        if (!repaintPosted_.exchange(true)) {
            QCoreApplication::postEvent(this, new QEvent(kFrameAdvanced));
        }
    }
}

bool ImageListAnimation::event(QEvent* event) {
    if (event->type() == kFrameAdvanced) {
        repaintPosted_ = false;
        update();
        return true;
    }
    return QWidget::event(event);
}

void ImageListAnimation::paintEvent(QPaintEvent* /*event*/) {
    if (!worker_.joinable() || frames_.isEmpty()) {
        return;
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, frames_[frame_.load() % frames_.size()]);
}

QSize ImageListAnimation::sizeHint() const {
    if (frames_.isEmpty()) {
        return QSize(16, 16);
    }
    return frames_.front().deviceIndependentSize().toSize();
}
