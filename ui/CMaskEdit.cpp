#include "ui/CMaskEdit.h"

#include <QKeyEvent>
#include <QPalette>

namespace {

bool AlwaysPasses(char16_t c) {
    return c == 0x02 || c == 0x08 || c == 0x16 || c == 0x18;
}

bool IsDialogKey(int key) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
        return true;
    default:
        return false;
    }
}

// The character a key types. Some platforms report Ctrl+letter as the letter itself; it is
// turned into its control character, as the classic keyboard input does.
QChar TypedCharacter(const QKeyEvent& event) {
    const QString text = event.text();
    if (text.size() != 1) {
        return QChar();
    }
    const QChar c = text.front();
    const bool control = event.modifiers().testFlag(Qt::ControlModifier);
    if (control && c.isLetter() && c.unicode() < 0x80) {
        return QChar(static_cast<char16_t>(c.toLower().unicode() - u'a' + 1));
    }
    return c;
}

} // namespace

CMaskEdit::CMaskEdit(QWidget* parent) : QLineEdit(parent) {
    QPalette colours = palette();
    colours.setColor(QPalette::Active, QPalette::Base, Qt::white);
    colours.setColor(QPalette::Inactive, QPalette::Base, Qt::white);
    colours.setColor(QPalette::Disabled, QPalette::Base,
                     colours.color(QPalette::Disabled, QPalette::Button));
    setPalette(colours);
}

void CMaskEdit::SetAllowedCharacters(const QString& characters) {
    allowed_ = characters.left(kMaxAllowedCharacters);
}

bool CMaskEdit::Accepts(QChar c) const {
    return !maskEnabled_ || AlwaysPasses(c.unicode()) || allowed_.contains(c);
}

void CMaskEdit::keyPressEvent(QKeyEvent* event) {
    if (maskEnabled_ && !IsDialogKey(event->key())) {
        const QChar c = TypedCharacter(*event);
        if (!c.isNull() && !Accepts(c)) {
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}
