#pragma once

#include <QColor>
#include <QLabel>

// The colours of the pages' lines: progress and results in black, warnings and failures in
// red.
inline const QColor kPageTextColour{0, 0, 0};
inline const QColor kPageWarningColour{255, 0, 0};

// A plain label for a line that may be long: wrapped at words, text shown as written.
inline QLabel* MakeWrappedLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}
