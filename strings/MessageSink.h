#pragma once

#include <string>

// Where the core shows a message to the user. The core itself has no widgets: by default a
// message goes to standard error, and the program installs a sink that shows a message box.
class MessageSink {
public:
    virtual ~MessageSink();
    virtual void ShowMessage(const std::string& text) = 0;
};

// Installs `sink` (not owned; it must outlive its installation). Null restores the default.
void SetMessageSink(MessageSink* sink);
MessageSink* CurrentMessageSink();
// Shows `text` through the installed sink.
void ShowMessage(const std::string& text);
