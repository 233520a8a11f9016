#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>
#include <vector>

class QWidget;

// What a message box would show.
struct UiMessageBoxRequest {
    QWidget* parent = nullptr;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
};

// Every message box of the user interface goes through here, so that a hook can answer it
// instead of a person (tests, unattended runs). Without a hook a modal box is shown.
class UiMessageBox {
public:
    using Hook = std::function<QMessageBox::StandardButton(const UiMessageBoxRequest&)>;

    // Shows `text` and returns the button that closed the box. An empty title gives the
    // application's display name.
    static QMessageBox::StandardButton Show(QWidget* parent, const QString& text,
                                            QMessageBox::Icon icon = QMessageBox::NoIcon,
                                            QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                            const QString& title = {});

    // Installs `hook` (an empty one restores the real boxes); returns the previous one.
    static Hook SetHook(Hook hook);

    // Answers every box with `answer` (Ok by default) and records what it would have shown,
    // for as long as it lives; the previous hook comes back afterwards.
    class Recorder {
    public:
        explicit Recorder(QMessageBox::StandardButton answer = QMessageBox::Ok);
        Recorder(const Recorder&) = delete;
        Recorder& operator=(const Recorder&) = delete;
        ~Recorder();

        const std::vector<UiMessageBoxRequest>& Requests() const { return requests_; }
        QStringList Texts() const;
        void Clear() { requests_.clear(); }

    private:
        std::vector<UiMessageBoxRequest> requests_;
        Hook previous_;
    };
};
