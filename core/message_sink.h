// Where the engine sends texts the user must see (the application's message routine).
// The application shows them in a warning box; tests capture them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qm {

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void showMessage(std::string_view text) = 0;
};

// Keeps every message, for tests and for headless runs that report them later.
class CollectingMessageSink : public MessageSink {
public:
    void showMessage(std::string_view text) override { messages.emplace_back(text); }
    std::vector<std::string> messages;
};

// Writes messages to standard error; used when nobody else listens.
MessageSink& stderrMessageSink();

} // namespace qm
