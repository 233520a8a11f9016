#pragma once

#include "strings/MessageSink.h"

// Shows the core's messages in a message box with an OK button. Messages from a thread other
// than the window thread, or before the application object exists, go to standard error.
class MessageBoxSink final : public MessageSink {
public:
    void ShowMessage(const std::string& text) override;
};
