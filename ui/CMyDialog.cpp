#include "ui/CMyDialog.h"

#include "ui/UiMessageBox.h"
#include "ui/UiText.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

CMyDialog::CMyDialog(int templateId, QWidget* parent) : QDialog(parent), templateId_(templateId) {}

void CMyDialog::SetItem(int id, QWidget* control) {
    items_[id] = control;
}

QWidget* CMyDialog::Item(int id) const {
    const auto found = items_.find(id);
    return found == items_.end() ? nullptr : found->second;
}

QString CMyDialog::ItemText(int id) const {
    QWidget* control = Item(id);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        return edit->text();
    }
    if (auto* label = qobject_cast<QLabel*>(control)) {
        return label->text();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        return button->text();
    }
    if (auto* group = qobject_cast<QGroupBox*>(control)) {
        return group->title();
    }
    return QString();
}

void CMyDialog::SetItemText(int id, const QString& text) {
    QWidget* control = Item(id);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
        group->setTitle(text);
    }
}

void CMyDialog::SetItemInt(int id, int value) {
    SetItemText(id, QString::number(value));
}

int CMyDialog::GetItemInt(int id) {
    if (!Item(id)) {
        return 0;
    }
    const QString text = ItemText(id).trimmed();
    if (text.isEmpty()) {
        return -1;
    }
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok) {
        UiMessageBox::Show(this, UiText("IDS_INVALID_VALUE", "OrbelDialogs"), QMessageBox::Warning);
        return -1;
    }
    return value;
}
