#include "ui/ResourceImages.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>

namespace {

QString ImagePath(int id, bool doubleSize) {
    return QStringLiteral(":/images/%1%2.png")
        .arg(id)
        .arg(doubleSize ? QStringLiteral("@2x") : QString());
}

} // namespace

QImage LoadResourceImage(int id, qreal devicePixelRatio) {
    const bool doubleSize = devicePixelRatio > 1.0 && QFile::exists(ImagePath(id, true));
    QImage image(ImagePath(id, doubleSize));
    if (!image.isNull()) {
        image.setDevicePixelRatio(doubleSize ? 2.0 : 1.0);
    }
    return image;
}

QPixmap LoadResourcePixmap(int id, qreal devicePixelRatio) {
    return QPixmap::fromImage(LoadResourceImage(id, devicePixelRatio));
}

qreal ScreenPixelRatio() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : 1.0;
}

QIcon ApplicationIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString path = QStringLiteral(":/images/128_%1.png").arg(size);
        if (QFile::exists(path)) {
            icon.addFile(path, QSize(size, size));
        }
    }
    return icon;
}
