#include "events/event_texts.h"

#include "core/message_sink.h"

#include <cstdio>

namespace qm {

void reportMissingOperation(MessageSink& messages, const char* what)
{
    char text[200];
    std::snprintf(text, sizeof text,
                  "This recording needs an operation that cannot be replayed yet (%s); the replay "
                  "stops here.",
                  what);
    messages.showMessage(text);
}

std::string replayTitle(const std::string& base, TReplayTitle kind, int32_t percent,
                        uint32_t elapsedMs, const TTextLookup& lookup)
{
    // The window shows them in the user's language; the formats keep their fields.
    auto text = [&](const char* source) { return lookup ? lookup(source) : std::string(source); };
    char out[512];
    if (kind == TReplayTitle::paused) {
        std::snprintf(out, sizeof out, text("%s : ｲﾍﾞﾝﾄ再生 %d%% (%ums) : 一時停止").c_str(),
                      base.c_str(), percent, elapsedMs);
        return out;
    }
    const bool finished =
        kind == TReplayTitle::finishedAppending || kind == TReplayTitle::finishedLocked;
    const bool appending =
        kind == TReplayTitle::finishedAppending || kind == TReplayTitle::stoppedAppending;
    std::snprintf(out, sizeof out, text("%s : ｲﾍﾞﾝﾄ再生%s (%ums) : %s").c_str(), base.c_str(),
                  text(finished ? "終了" : "中断").c_str(), elapsedMs,
                  text(appending ? "追記ﾓｰﾄﾞ" : "追記不可").c_str());
    return out;
}

} // namespace qm
