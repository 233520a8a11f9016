#pragma once

#include <QDialog>
#include <QString>

#include <map>

// A thin dialog base whose controls are reached by their numeric ids, with helpers to show and
// read integers in them. A subclass builds its controls and registers each one with SetItem.
class CMyDialog : public QDialog {
    Q_OBJECT

public:
    CMyDialog(int templateId, QWidget* parent = nullptr);

    int TemplateId() const { return templateId_; }

    // The control `id`, or null.
    QWidget* Item(int id) const;

    // The text of a label, line edit, button or group box; empty for a missing control.
    QString ItemText(int id) const;
    void SetItemText(int id, const QString& text);

    // Shows `value` in decimal; nothing happens without such a control.
    void SetItemInt(int id, int value);
    // The control's text, trimmed, as a 32-bit signed integer: -1 when it is empty, and -1
    // after telling the user when it is not a number (or does not fit); 0 without such a
    // control.
    int GetItemInt(int id);

protected:
    void SetItem(int id, QWidget* control);

private:
    int templateId_;
    std::map<int, QWidget*> items_;
};
