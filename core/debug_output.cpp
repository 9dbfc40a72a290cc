#include "core/debug_output.h"
#include "core/message_sink.h"

#include <cstdio>
#include <cstdlib>

namespace qm {

void debugOutput(std::string_view text)
{
    static const bool enabled = std::getenv("QUILLMERE_DEBUG") != nullptr;
    if (enabled)
        std::fwrite(text.data(), 1, text.size(), stderr);
}

namespace {
class StderrMessageSink : public MessageSink {
public:
    void showMessage(std::string_view text) override
    {
        std::fwrite(text.data(), 1, text.size(), stderr);
        std::fputc('\n', stderr);
    }
};
} // namespace

MessageSink& stderrMessageSink()
{
    static StderrMessageSink sink;
    return sink;
}

} // namespace qm
