#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

// A picture whose magenta (RGB 255, 0, 255) pixels are transparent, so the background shows
// through them.
class CTransparentImage : public QWidget {
    Q_OBJECT

public:
    explicit CTransparentImage(QWidget* parent = nullptr);

    // Takes `bitmap` with its key colour made transparent; the widget takes its size.
    void SetBitmap(const QPixmap& bitmap);
    // The same with the embedded picture `resourceId`; false when there is none.
    bool LoadBitmap(int resourceId);
    const QPixmap& Bitmap() const { return bitmap_; }

    // `image` with every pixel of exactly `key` made fully transparent.
    static QImage MaskColour(const QImage& image, const QColor& key = QColor(255, 0, 255));

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap bitmap_;
};
