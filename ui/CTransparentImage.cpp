#include "ui/CTransparentImage.h"

#include "ui/ResourceImages.h"

#include <QPainter>

CTransparentImage::CTransparentImage(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QImage CTransparentImage::MaskColour(const QImage& image, const QColor& key) {
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb keyRgb = key.rgb() & 0x00ffffffu;
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            if ((line[x] & 0x00ffffffu) == keyRgb) {
                line[x] = 0;
            }
        }
    }
    result.setDevicePixelRatio(image.devicePixelRatio());
    return result;
}

void CTransparentImage::SetBitmap(const QPixmap& bitmap) {
    bitmap_ = bitmap.isNull() ? QPixmap() : QPixmap::fromImage(MaskColour(bitmap.toImage()));
    if (!bitmap.isNull()) {
        bitmap_.setDevicePixelRatio(bitmap.devicePixelRatio());
    }
    updateGeometry();
    update();
}

bool CTransparentImage::LoadBitmap(int resourceId) {
    const QPixmap bitmap = LoadResourcePixmap(resourceId, ScreenPixelRatio());
    SetBitmap(bitmap);
    return !bitmap.isNull();
}

QSize CTransparentImage::sizeHint() const {
    return bitmap_.isNull() ? QSize(0, 0) : bitmap_.deviceIndependentSize().toSize();
}

void CTransparentImage::paintEvent(QPaintEvent* /*event*/) {
    if (bitmap_.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, bitmap_);
}
