#include "strings/MessageSink.h"

#include <atomic>
#include <cstdio>

namespace {

class StandardErrorSink final : public MessageSink {
public:
    void ShowMessage(const std::string& text) override {
        std::fprintf(stderr, "%s\n", text.c_str());
        std::fflush(stderr);
    }
};

StandardErrorSink& DefaultSink() {
    static StandardErrorSink sink;
    return sink;
}

std::atomic<MessageSink*> g_sink{nullptr};

} // namespace

MessageSink::~MessageSink() = default;

void SetMessageSink(MessageSink* sink) {
    g_sink.store(sink);
}

MessageSink* CurrentMessageSink() {
    MessageSink* sink = g_sink.load();
    return sink ? sink : &DefaultSink();
}

void ShowMessage(const std::string& text) {
    CurrentMessageSink()->ShowMessage(text);
}
