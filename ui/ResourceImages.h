#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

// The program's embedded pictures, ":/images/<id>.png" with an optional "@2x" variant.
// On a screen with a device pixel ratio above 1 the "@2x" variant is taken when there is one;
// the result then carries that ratio, so it paints at the same logical size.
// A missing picture gives a null image.
QImage LoadResourceImage(int id, qreal devicePixelRatio);
QPixmap LoadResourcePixmap(int id, qreal devicePixelRatio);

// The device pixel ratio of the primary screen (1 without a screen).
qreal ScreenPixelRatio();

// The window icon (resource 128) with all its drawn sizes.
QIcon ApplicationIcon();
