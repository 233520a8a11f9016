// Draws the program's artwork and writes it as PNG files:
//   128_<size>.png      window icon, one file per size (16 to 256 pixels)
//   129.png, 129@2x.png wizard header background
//   137.png, 137@2x.png about-box logo on magenta (the transparent colour of that control)
//   138.png, 138@2x.png busy animation, six frames side by side on white (transparent there)
//
// Usage: zelta-artwork <output folder>
// Everything is drawn from shapes, without fonts, so the output is the same on every machine.
#include <QColor>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

const QColor kBadgeTop(0x2f, 0x80, 0xd4);
const QColor kBadgeBottom(0x17, 0x43, 0x80);
const QColor kChipBody(0x1e, 0x2a, 0x38);
const QColor kChipEdge(0x52, 0x65, 0x7a);
const QColor kPin(0xd9, 0xe2, 0xec);
const QColor kArrow(0xf7, 0xa8, 0x1b);
const QColor kArrowEdge(0xb8, 0x6e, 0x00);
const QColor kTrace(0x9d, 0xbd, 0xe0);
const QColor kHeaderTop(0xff, 0xff, 0xff);
const QColor kHeaderBottom(0xe9, 0xf1, 0xfa);
const QColor kDialogFace(0xef, 0xef, 0xef);

// The program's emblem: a module chip on a blue badge, with an arrow flashing into it from
// above (so the chip has pins on three sides only).
// `detail` drops the pins and thins the outlines for the smallest sizes.
void DrawEmblem(QPainter& p, const QRectF& box, bool detail) {
    const qreal s = box.width();
    p.save();
    p.setRenderHint(QPainter::Antialiasing);

    const qreal margin = detail ? s * 0.04 : s * 0.02;
    const QRectF badge = box.adjusted(margin, margin, -margin, -margin);
    QLinearGradient fill(badge.topLeft(), badge.bottomLeft());
    fill.setColorAt(0.0, kBadgeTop);
    fill.setColorAt(1.0, kBadgeBottom);
    p.setPen(detail ? QPen(kBadgeBottom.darker(130), s * 0.015) : Qt::NoPen);
    p.setBrush(fill);
    const qreal radius = s * 0.2;
    p.drawRoundedRect(badge, radius, radius);

    // Soft highlight across the upper half.
    QPainterPath gloss;
    gloss.addRoundedRect(badge.adjusted(s * 0.03, s * 0.03, -s * 0.03, -badge.height() * 0.5),
                         radius * 0.8, radius * 0.8);
    QLinearGradient shine(badge.topLeft(), QPointF(badge.left(), badge.center().y()));
    shine.setColorAt(0.0, QColor(255, 255, 255, 70));
    shine.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    p.drawPath(gloss);

    // Chip in the lower part of the badge.
    const qreal chipSide = s * (detail ? 0.42 : 0.5);
    const QRectF chip(box.center().x() - chipSide / 2, box.top() + s * 0.44, chipSide,
                      chipSide * 0.8);
    if (detail) {
        const int pins = 4;
        const qreal pinW = chipSide / (pins * 2.0);
        const qreal pinL = s * 0.07;
        p.setBrush(kPin);
        for (int i = 0; i < pins; ++i) {
            const qreal x = chip.left() + pinW * (0.5 + 2 * i);
            p.drawRect(QRectF(x, chip.bottom() - pinW, pinW, pinL + pinW));
        }
        for (int i = 0; i < 3; ++i) {
            const qreal y = chip.top() + chip.height() / 3 * (i + 0.5) - pinW / 2;
            p.drawRect(QRectF(chip.left() - pinL, y, pinL + pinW, pinW));
            p.drawRect(QRectF(chip.right() - pinW, y, pinL + pinW, pinW));
        }
    }
    p.setPen(detail ? QPen(kChipEdge, s * 0.02) : Qt::NoPen);
    p.setBrush(kChipBody);
    p.drawRoundedRect(chip, s * 0.03, s * 0.03);
    if (detail) {
        // Orientation dot of the package.
        p.setPen(Qt::NoPen);
        p.setBrush(kChipEdge);
        const qreal dot = s * 0.035;
        p.drawEllipse(QPointF(chip.left() + dot * 2, chip.bottom() - dot * 2), dot, dot);
    }

    // Arrow from the top of the badge down into the chip.
    const qreal cx = box.center().x();
    const qreal shaftW = s * 0.13;
    const qreal headW = s * 0.34;
    const qreal top = box.top() + s * 0.14;
    const qreal headTop = box.top() + s * 0.38;
    const qreal tip = box.top() + s * 0.66;
    QPainterPath arrow;
    arrow.moveTo(cx - shaftW / 2, top);
    arrow.lineTo(cx + shaftW / 2, top);
    arrow.lineTo(cx + shaftW / 2, headTop);
    arrow.lineTo(cx + headW / 2, headTop);
    arrow.lineTo(cx, tip);
    arrow.lineTo(cx - headW / 2, headTop);
    arrow.lineTo(cx - shaftW / 2, headTop);
    arrow.closeSubpath();
    QLinearGradient arrowFill(QPointF(cx, top), QPointF(cx, tip));
    arrowFill.setColorAt(0.0, kArrow.lighter(115));
    arrowFill.setColorAt(1.0, kArrow);
    p.setPen(QPen(kArrowEdge, detail ? s * 0.018 : s * 0.04, Qt::SolidLine, Qt::RoundCap,
                  Qt::RoundJoin));
    p.setBrush(arrowFill);
    p.drawPath(arrow);
    p.restore();
}

QImage Render(QSize logical, int scale, const QColor& background,
              const std::function<void(QPainter&)>& draw) {
    QImage image(logical * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    QPainter p(&image);
    p.scale(scale, scale);
    draw(p);
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

// Flattens a drawing on a transparent background onto `key`: nearly transparent pixels become
// the key colour, the others are blended over the dialog face, so the edges stay smooth there.
QImage FlattenOnKey(const QImage& drawing, const QColor& key) {
    QImage out(drawing.size(), QImage::Format_RGB32);
    for (int y = 0; y < drawing.height(); ++y) {
        for (int x = 0; x < drawing.width(); ++x) {
            const QColor c = drawing.pixelColor(x, y);
            if (c.alpha() < 24) {
                out.setPixelColor(x, y, key);
                continue;
            }
            const qreal a = c.alphaF();
            QColor blended(qRound(c.red() * a + kDialogFace.red() * (1 - a)),
                           qRound(c.green() * a + kDialogFace.green() * (1 - a)),
                           qRound(c.blue() * a + kDialogFace.blue() * (1 - a)));
            if (blended == key) {
                blended.setGreen(1);
            }
            out.setPixelColor(x, y, blended);
        }
    }
    return out;
}

void DrawHeader(QPainter& p, QSize size) {
    const qreal w = size.width();
    const qreal h = size.height();
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient back(0, 0, 0, h);
    back.setColorAt(0.0, kHeaderTop);
    back.setColorAt(1.0, kHeaderBottom);
    p.fillRect(QRectF(0, 0, w, h), back);

    // Circuit traces that run out of the emblem to the left and fade before the header texts.
    const qreal emblem = h * 0.72;
    const QRectF emblemBox(w - emblem - h * 0.25, (h - emblem) / 2, emblem, emblem);
    const qreal fadeStart = w - 250;
    QLinearGradient fade(fadeStart, 0, emblemBox.left(), 0);
    QColor clear = kTrace;
    clear.setAlpha(0);
    fade.setColorAt(0.0, clear);
    fade.setColorAt(0.6, kTrace);
    fade.setColorAt(1.0, kTrace);
    const QBrush traceBrush(fade);
    p.setPen(QPen(traceBrush, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    struct Trace {
        qreal y;      // where it leaves the emblem
        qreal bendX;  // distance from the emblem where it steps
        qreal stepY;  // vertical step
        qreal length; // total length to the left
    };
    const Trace traces[] = {
        {0.22, 18, -8, 150},
        {0.40, 34, 0, 210},
        {0.58, 24, 9, 175},
        {0.76, 46, 7, 120},
    };
    for (const Trace& t : traces) {
        const qreal y0 = emblemBox.top() + emblemBox.height() * t.y;
        const qreal x0 = emblemBox.left() - 2;
        const qreal bx = x0 - t.bendX;
        const qreal y1 = y0 + t.stepY;
        const qreal xe = x0 - t.length;
        QPainterPath path;
        path.moveTo(x0, y0);
        path.lineTo(bx, y0);
        path.lineTo(bx - std::abs(t.stepY), y1);
        path.lineTo(xe, y1);
        p.drawPath(path);
        p.setBrush(traceBrush);
        p.drawEllipse(QPointF(xe, y1), 2.4, 2.4);
        p.setBrush(Qt::NoBrush);
    }
    DrawEmblem(p, emblemBox, true);
}

void DrawSpinnerFrame(QPainter& p, const QRectF& box, int frame, int frames) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const QColor shades[] = {QColor(0x17, 0x43, 0x80), QColor(0x3e, 0x6f, 0xb0),
                             QColor(0x86, 0xa8, 0xd6), QColor(0xc4, 0xd4, 0xea)};
    const qreal radius = box.width() * 0.31;
    const qreal dot = box.width() * 0.12;
    for (int i = 0; i < frames; ++i) {
        const int age = (frame - i + frames) % frames; // 0: the leading dot
        const QColor& c = shades[age < 3 ? age : 3];
        const qreal angle = -M_PI / 2 + 2 * M_PI * i / frames;
        const QPointF centre(box.center().x() + radius * std::cos(angle),
                             box.center().y() + radius * std::sin(angle));
        p.setBrush(c);
        const qreal r = age == 0 ? dot * 1.2 : dot;
        p.drawEllipse(centre, r, r);
    }
    p.restore();
}

bool Save(const QImage& image, const QDir& dir, const QString& name) {
    const QString path = dir.filePath(name);
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s %dx%d\n", qPrintable(name), image.width(), image.height());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zelta-artwork <output folder>\n");
        return 2;
    }
    QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    bool ok = true;

    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QImage icon = Render(QSize(size, size), 1, Qt::transparent, [size](QPainter& p) {
            DrawEmblem(p, QRectF(0, 0, size, size), size >= 24);
        });
        ok &= Save(icon, dir, QStringLiteral("128_%1.png").arg(size));
    }

    const QSize header(560, 64);
    for (int scale : {1, 2}) {
        const QImage image =
            Render(header, scale, Qt::white, [&header](QPainter& p) { DrawHeader(p, header); });
        ok &= Save(image.convertToFormat(QImage::Format_RGB32), dir,
                   scale == 1 ? QStringLiteral("129.png") : QStringLiteral("129@2x.png"));
    }

    const QSize logo(64, 64);
    for (int scale : {1, 2}) {
        const QImage drawing = Render(logo, scale, Qt::transparent, [](QPainter& p) {
            DrawEmblem(p, QRectF(0, 0, 64, 64), true);
        });
        ok &= Save(FlattenOnKey(drawing, QColor(255, 0, 255)), dir,
                   scale == 1 ? QStringLiteral("137.png") : QStringLiteral("137@2x.png"));
    }

    const int frames = 6;
    const QSize strip(16 * frames, 16);
    for (int scale : {1, 2}) {
        const QImage image = Render(strip, scale, Qt::white, [](QPainter& p) {
            for (int f = 0; f < frames; ++f) {
                DrawSpinnerFrame(p, QRectF(16 * f, 0, 16, 16), f, frames);
            }
        });
        ok &= Save(image.convertToFormat(QImage::Format_RGB32), dir,
                   scale == 1 ? QStringLiteral("138.png") : QStringLiteral("138@2x.png"));
    }
    return ok ? 0 : 1;
}
