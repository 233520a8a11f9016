#pragma once

#include <QColor>
#include <QIcon>
#include <QLabel>
#include <QPoint>

// A static text with its own text colour, an optional background fill, a bold switch, a text
// offset and an optional icon that replaces the text.
// The text is drawn per the label's horizontal alignment (left, centred or right); with the
// centre-image style it is one line, vertically centred, otherwise it wraps at words. An
// ampersand is shown as written.
class CXColorStatic : public QLabel {
    Q_OBJECT

public:
    explicit CXColorStatic(QWidget* parent = nullptr);
    explicit CXColorStatic(const QString& text, QWidget* parent = nullptr);

    // Default: the palette's button-text colour.
    void SetTextColor(const QColor& colour);
    QColor TextColor() const { return textColour_; }

    // Fills the control with `colour` and draws the text opaque. Default: no fill, the parent
    // shows through (the colour is then the palette's button-face colour, unused).
    void SetBackgroundColor(const QColor& colour);
    void SetTransparentBackground();
    bool HasBackgroundBrush() const { return hasBackgroundBrush_; }
    QColor BackgroundColor() const { return backgroundColour_; }

    // Rebuilds the font from the current one with weight bold (700) or normal (400).
    void SetBold(bool bold);
    bool IsBold() const { return bold_; }

    // Shifts the text inside the control.
    void SetTextOffset(int x, int y);
    QPoint TextOffset() const { return offset_; }

    // A non-null icon is drawn centred instead of the text.
    void SetIcon(const QIcon& icon);

    void SetCenterImage(bool on);
    bool IsCenterImage() const { return centerImage_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor textColour_;
    QColor backgroundColour_;
    bool hasBackgroundBrush_ = false;
    bool bold_ = false;
    bool centerImage_ = false;
    QPoint offset_;
    QIcon icon_;
};
