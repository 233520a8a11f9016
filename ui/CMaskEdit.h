#pragma once

#include <QLineEdit>
#include <QString>

// A line edit that can restrict the characters typed into it. While the mask is on, a typed
// character passes only when it is in the allowed set; the control characters Ctrl+B (0x02),
// backspace (0x08), paste (Ctrl+V, 0x16) and cut (Ctrl+X, 0x18) always pass. Keys that type
// nothing (arrows, Home, End, Delete) and the dialog keys (Return, Escape, Tab) are not
// filtered. Pasted text is not filtered.
// The field is white while enabled and has the button-face colour while disabled.
class CMaskEdit : public QLineEdit {
    Q_OBJECT

public:
    static constexpr int kMaxAllowedCharacters = 254;

    explicit CMaskEdit(QWidget* parent = nullptr);

    // At most kMaxAllowedCharacters characters are kept. An empty set with the mask on refuses
    // every character except the four control characters.
    void SetAllowedCharacters(const QString& characters);
    const QString& AllowedCharacters() const { return allowed_; }
    void SetMaskEnabled(bool on) { maskEnabled_ = on; }
    bool IsMaskEnabled() const { return maskEnabled_; }

    // Whether the mask lets the character `c` through.
    bool Accepts(QChar c) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString allowed_;
    bool maskEnabled_ = false;
};
