// The palette's texts for the user: warnings and the CMYK question, as the program's own
// (Japanese) source texts. A message is data: the window translates its format and fills in
// the fields, tests compare it, headless runs print text().
#pragma once

#include <string>
#include <vector>

namespace qm {

inline constexpr const char* kPalWord = "ﾊﾟﾚｯﾄ";
inline constexpr const char* kPalUnknownKindMessage = "読み込むことのできないﾊﾟﾚｯﾄ形式です！";
inline constexpr const char* kPalLoadFailedMessage = "ﾊﾟﾚｯﾄﾌｧｲﾙのﾛｰﾄﾞに失敗しました！";
inline constexpr const char* kPalUnusableMessage = "扱えないﾊﾟﾚｯﾄﾃﾞｰﾀ形式でした！";
inline constexpr const char* kPalMissingMessage = "%d個の%sが読み込めませんでした！";
inline constexpr const char* kPalCmykQuestion =
    "CMYKﾊﾟﾚｯﾄは正常に色を変換できません！\rCMYKﾊﾟﾚｯﾄは破棄してよいですか？ (%d色中%d色)";
inline constexpr const char* kPalBadExtensionMessage = "不正な拡張子です！";
inline constexpr const char* kPalSaveFailedMessage = "ﾊﾟﾚｯﾄのｾｰﾌﾞに失敗しました！";
inline constexpr const char* kPalNoMemoryMessage =
    "ﾊﾟﾚｯﾄ用にﾒﾓﾘ確保できませんでした！\r操作は失敗しました";
inline constexpr const char* kPalLoadNoMemoryMessage = "palette: no memory!";

struct TPalMessage {
    std::string format; // a source text; %d and %s take the fields in order
    std::vector<std::string> fields;

    // The source text with its fields filled in.
    std::string text() const;
    friend bool operator==(const TPalMessage&, const TPalMessage&) = default;
};

} // namespace qm
