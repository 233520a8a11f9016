#include "ui/CXColorStatic.h"

#include <QPainter>
#include <QPalette>

CXColorStatic::CXColorStatic(QWidget* parent) : CXColorStatic(QString(), parent) {}

CXColorStatic::CXColorStatic(const QString& text, QWidget* parent)
    : QLabel(text, parent), textColour_(palette().color(QPalette::ButtonText)),
      backgroundColour_(palette().color(QPalette::Button)) {
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
}

void CXColorStatic::SetTextColor(const QColor& colour) {
    textColour_ = colour;
    update();
}

void CXColorStatic::SetBackgroundColor(const QColor& colour) {
    backgroundColour_ = colour;
    hasBackgroundBrush_ = true;
    update();
}

void CXColorStatic::SetTransparentBackground() {
    hasBackgroundBrush_ = false;
    update();
}

void CXColorStatic::SetBold(bool bold) {
    bold_ = bold;
    QFont f = font();
    f.setWeight(bold ? QFont::Bold : QFont::Normal);
    setFont(f);
    update();
}

void CXColorStatic::SetTextOffset(int x, int y) {
    offset_ = QPoint(x, y);
    update();
}

void CXColorStatic::SetIcon(const QIcon& icon) {
    icon_ = icon;
    update();
}

void CXColorStatic::SetCenterImage(bool on) {
    centerImage_ = on;
    setWordWrap(!on);
    update();
}

void CXColorStatic::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QRect area = contentsRect();
    if (hasBackgroundBrush_) {
        painter.fillRect(rect(), backgroundColour_);
    }
    if (!icon_.isNull()) {
        const int side = qMin(area.width(), area.height());
        const QSize size = icon_.actualSize(QSize(side, side));
        const QRect target(
            area.center() - QPoint(size.width() / 2, size.height() / 2) + QPoint(1, 1), size);
        icon_.paint(&painter, target);
        return;
    }
    int flags = alignment() & Qt::AlignHorizontal_Mask;
    if (!(flags & (Qt::AlignHCenter | Qt::AlignRight))) {
        flags = Qt::AlignLeft;
    }
    flags |=
        centerImage_ ? (Qt::AlignVCenter | Qt::TextSingleLine) : (Qt::AlignTop | Qt::TextWordWrap);
    painter.setPen(textColour_);
    painter.setFont(font());
    painter.drawText(area.translated(offset_), flags, text());
}
