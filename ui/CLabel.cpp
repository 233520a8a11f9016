#include "ui/CLabel.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPalette>

CLabel::CLabel(QWidget* parent)
    : QWidget(parent), textColour_(palette().color(QPalette::WindowText)) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void CLabel::SetText(const QString& text) {
    if (hasText_ && text == text_) {
        return;
    }
    text_ = text;
    hasText_ = true;
    updateGeometry();
    update();
}

void CLabel::SetFontBold(bool bold) {
    QFont f = font();
    f.setWeight(bold ? QFont::Bold : QFont::Normal);
    setFont(f);
    updateGeometry();
    update();
}

void CLabel::SetTextColor(const QColor& colour) {
    textColour_ = colour;
    update();
}

void CLabel::SetAlignment(Qt::Alignment alignment) {
    alignment_ = alignment & Qt::AlignHorizontal_Mask;
    update();
}

void CLabel::SetCenterImage(bool on) {
    centerImage_ = on;
    update();
}

void CLabel::SetPlainBackground(bool on) {
    plainBackground_ = on;
    update();
}

int CLabel::TextFlags() const {
    int flags = Qt::AlignLeft;
    if (alignment_ & Qt::AlignHCenter) {
        flags = Qt::AlignHCenter;
    } else if (alignment_ & Qt::AlignRight) {
        flags = Qt::AlignRight;
    }
    if (text_.contains(QLatin1Char('\t'))) {
        flags |= Qt::TextExpandTabs;
    }
    if (centerImage_ && !text_.contains(QLatin1Char('\n'))) {
        flags |= Qt::AlignVCenter | Qt::TextSingleLine;
    } else {
        flags |= Qt::AlignTop | Qt::TextWordWrap;
    }
    return flags;
}

QSize CLabel::sizeHint() const {
    const QFontMetrics metrics(font());
    const QRect bounds = metrics.boundingRect(QRect(0, 0, 400, 10000), TextFlags(), text_);
    return QSize(qMax(bounds.width(), 1), qMax(bounds.height(), metrics.height()));
}

QSize CLabel::minimumSizeHint() const {
    return QSize(0, QFontMetrics(font()).height());
}

int CLabel::heightForWidth(int width) const {
    const QFontMetrics metrics(font());
    const QRect bounds =
        metrics.boundingRect(QRect(0, 0, qMax(width, 1), 10000), TextFlags(), text_);
    return qMax(bounds.height(), metrics.height());
}

void CLabel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    if (plainBackground_) {
        painter.fillRect(rect(), palette().color(QPalette::Button));
    }
    painter.setPen(textColour_);
    painter.setFont(font());
    painter.drawText(rect(), TextFlags(), text_);
}
