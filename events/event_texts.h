// What the recorder and player say, and the window title while a recording plays.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace qm {

inline constexpr const char* kSaveProtectedMenu = "保護付きイベントデータの保存(&G)...";
// %s: the name of the upload service.
inline constexpr const char* kSaveProtectedQuestion =
    "保護をすると後でｲﾍﾞﾝﾄに追記できなくなります。\rまた %s にｱｯﾌﾟﾛｰﾄﾞする事もできません。\rよろしいですか?";
inline constexpr const char* kAlreadyProtected =
    "このｲﾍﾞﾝﾄﾌｧｲﾙはすでに保護されているため保存できません!";
inline constexpr const char* kProtectionTestFailed = "ｲﾍﾞﾝﾄﾌｧｲﾙの保護状態の確認に失敗しました!";
inline constexpr const char* kProtectFailed = "ｲﾍﾞﾝﾄﾌｧｲﾙの保護に失敗しました!";
inline constexpr const char* kUnprotectFailed =
    "重大な障害: ｲﾍﾞﾝﾄを非保護状態に戻すのに失敗しました!";
inline constexpr const char* kStopRecordingQuestion =
    "ｲﾍﾞﾝﾄ記録を終了します。\r一度終了すると、記録を再開することはできません!";
inline constexpr const char* kSaveBeforeStopQuestion = "今までのｲﾍﾞﾝﾄを保存しますか?";
inline constexpr const char* kStopReplayQuestion = "ｲﾍﾞﾝﾄ再生の途中ですが、再生を終了しますか?";

class MessageSink;

// Tells the user that a recording needs an operation this program cannot replay yet.
void reportMissingOperation(MessageSink& messages, const char* what);

// The least time between two replay steps in wait mode, in milliseconds.
inline constexpr uint32_t kWaitStepMs = 20;
inline constexpr uint32_t kLegacyWaitStepMs = 8;

enum class TReplayTitle { paused, finishedAppending, finishedLocked, stoppedAppending, stoppedLocked };

// "%s : ｲﾍﾞﾝﾄ再生 %d%% (%dms) : 一時停止" while paused; at the end
// "%s : ｲﾍﾞﾝﾄ再生%s (%dms) : 追記ﾓｰﾄﾞ" or "… : 追記不可" with "終了" or "中断".
// `lookup` gives a text in the user's language (the source text when empty).
using TTextLookup = std::function<std::string(const char*)>;
std::string replayTitle(const std::string& base, TReplayTitle kind, int32_t percent,
                        uint32_t elapsedMs, const TTextLookup& lookup = {});

} // namespace qm
