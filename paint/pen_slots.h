// The pen window's data: which brush kind each of its five buttons holds, which settings it
// shows for a kind, and the texts and values of its bars. The window only reads these.
#pragma once

#include "core/rect.h"

#include <array>
#include <cstdint>

namespace qm {

class SettingsStore;
class TStroke;

constexpr int32_t kPenButtonCount = 5;
inline constexpr const char* kPenSettingSection = "penSetting";

// The five kind buttons and the selected one ("curSlot", "penSlot0" … "penSlot4").
struct TPenButtons {
    int32_t current = 0;
    std::array<int32_t, kPenButtonCount> kinds{0, 5, 1, 2, 3}; // pen, airbrush, wc, blur, eraser

    // Takes the stored assignment only when it is complete and valid: "curSlot" in 0 … 4 and
    // every button a kind in 0 … 8 other than "blur2". False keeps the built-in one.
    bool load(const SettingsStore& store);
    void save(SettingsStore& store) const;
};

// Which settings the pen window shows for a kind (false: greyed out).
struct TPenControls {
    bool minSize, ifSize, ifTransparency, ifEdge;
    bool firstBar, secondBar, speedBar;
    bool useTone, useGradation;
};
// The controls of a kind; a kind outside 0 … 8 shows none.
TPenControls penControlsOf(int32_t kind);

// The values the three option bars show for the stroke's kind.
float firstBarValue(const TStroke& stroke);  // spacing × 50 for the airbrush family, else effect / 2
float secondBarValue(const TStroke& stroke); // effect / 2 for darken and lighten, else env / 2
float speedBarValue(const TStroke& stroke);  // speed / 2

// The pressure-gamma curve as the window draws it: 79 points (i, 79 − round((i / 79)^gamma × 79)).
std::array<TPoint, 79> gammaCurvePoints(float gamma);

// Hints of the bars and toggles ("caption|tooltip"; the value is formatted into the caption).
inline constexpr const char* kSpeedHint =
    "ﾍﾟﾝ色への変化長 = %3.1f|選択している色に変化するまでのｽﾄﾛｰｸ距離長";
inline constexpr const char* kSpacingHint = "ﾍﾟﾝ間隔 = %3.1f%%|ペン直径に対する描点の間隔";
inline constexpr const char* kMinSizeHint = "ﾍﾟﾝｻｲｽﾞの開始 = %3.1f%%";
inline constexpr const char* kWidthHint = "ﾍﾟﾝの最大半径 = %3.1f";
inline constexpr const char* kOpacityHint = "ﾍﾟﾝの濃度 = %3d%%";
inline constexpr const char* kGammaHint = "筆圧補正ｶﾞﾝﾏ = %2.2f|筆圧の強さを調整します";
inline constexpr const char* kIfSizeHint = "筆圧ｻｲｽﾞ有効|筆圧によるサイズの変化";
inline constexpr const char* kIfTransparencyHint = "筆圧透明度の有効|筆圧による透明度の変化";
inline constexpr const char* kIfEdgeHint = "ﾍﾟﾝ縁を滑らかにする|ペンの縁をなめらかにします";
inline constexpr const char* kSaveSlotHint = "ﾍﾟﾝ設定を保存|現在のペン設定を保存します";

} // namespace qm
