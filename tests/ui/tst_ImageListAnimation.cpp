#include "ui/ImageListAnimation.h"

#include <QApplication>
#include <QtTest>

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++count;
        }
        return false;
    }
};

// True when the widget's picture holds anything but its background colour.
bool ShowsAFrame(QWidget& widget) {
    const QImage image = widget.grab().toImage();
    const QRgb background = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != background) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

class TestImageListAnimation : public QObject {
    Q_OBJECT

private slots:
    void stopBeforeStartAndTwice() {
        ImageListAnimation animation;
        animation.Stop();
        QVERIFY(!animation.IsRunning());
        animation.Start();
        QVERIFY(animation.IsRunning());
        animation.Stop();
        animation.Stop();
        QVERIFY(!animation.IsRunning());
    }

    void framesAdvanceAndRepaintOnTheWindowThread() {
        QWidget parent;
        auto* animation = new ImageListAnimation(&parent);
        QCOMPARE(animation->FrameCount(), ImageListAnimation::kFrameCount);
        QCOMPARE(animation->sizeHint(), QSize(16, 16));
        animation->resize(animation->sizeHint());
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        PaintCounter paints(animation);

        animation->Start();
        QVERIFY(animation->isVisible());
        // The strip's first pixel (top left of frame 0) is white, hence transparent.
        QVERIFY(ShowsAFrame(*animation));
        const int frameSeen = animation->CurrentFrame();
        QTRY_VERIFY_WITH_TIMEOUT(animation->CurrentFrame() != frameSeen, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(paints.count >= 3, 10000);

        animation->Stop();
        QVERIFY(!ShowsAFrame(*animation));
        // Starting again after a stop gives a new thread.
        animation->Start();
        QVERIFY(animation->IsRunning());
        QVERIFY(ShowsAFrame(*animation));
    }

    void destroyedWhileRunning() {
        auto animation = std::make_unique<ImageListAnimation>();
        animation->Start();
        QTest::qWait(30);
        animation.reset();
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestImageListAnimation test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ImageListAnimation.moc"
