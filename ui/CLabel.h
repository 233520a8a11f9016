#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

// A flicker-free caption. SetText redraws only when the text changes (or the first time a text
// is given), so a caption that is set again and again to the same text does not repaint.
// Drawing: no ampersand processing; wrapped at words, aligned left, centred or right; tabs
// expanded when the text holds one; with the centre-image style, a text without a line break
// is one vertically centred line.
// Background: the parent's background shows through (the themed look); with the plain
// background switched on it is filled with the button-face colour.
class CLabel : public QWidget {
    Q_OBJECT

public:
    explicit CLabel(QWidget* parent = nullptr);

    void SetText(const QString& text);
    const QString& Text() const { return text_; }

    // Rebuilds the font from the current one with weight bold (700) or normal (400), and
    // redraws.
    void SetFontBold(bool bold);
    bool IsFontBold() const { return font().weight() >= QFont::Bold; }

    // Default: the palette's window-text colour.
    void SetTextColor(const QColor& colour);
    QColor TextColor() const { return textColour_; }

    // The horizontal part is used: Qt::AlignLeft (default), Qt::AlignHCenter or Qt::AlignRight.
    void SetAlignment(Qt::Alignment alignment);
    void SetCenterImage(bool on);
    void SetPlainBackground(bool on);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int TextFlags() const;

    QString text_;
    bool hasText_ = false;
    QColor textColour_;
    Qt::Alignment alignment_ = Qt::AlignLeft;
    bool centerImage_ = false;
    bool plainBackground_ = false;
};
