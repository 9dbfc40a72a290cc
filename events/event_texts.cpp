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
                        uint32_t elapsedMs)
{
    char text[512];
    if (kind == TReplayTitle::paused) {
        std::snprintf(text, sizeof text, "%s : ｲﾍﾞﾝﾄ再生 %d%% (%ums) : 一時停止", base.c_str(),
                      percent, elapsedMs);
        return text;
    }
    const bool finished =
        kind == TReplayTitle::finishedAppending || kind == TReplayTitle::finishedLocked;
    const bool appending =
        kind == TReplayTitle::finishedAppending || kind == TReplayTitle::stoppedAppending;
    std::snprintf(text, sizeof text, "%s : ｲﾍﾞﾝﾄ再生%s (%ums) : %s", base.c_str(),
                  finished ? "終了" : "中断", elapsedMs, appending ? "追記ﾓｰﾄﾞ" : "追記不可");
    return text;
}

} // namespace qm
