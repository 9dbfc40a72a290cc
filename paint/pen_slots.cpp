#include "paint/pen_slots.h"

#include "files/settings_store.h"
#include "paint/stroke.h"

#include <cmath>
#include <string>

namespace qm {

namespace {

std::string buttonKey(int32_t i)
{
    return "penSlot" + std::to_string(i);
}

bool isButtonKind(int32_t kind)
{
    return kind >= 0 && kind < kBrushKindCount && kind != int32_t(TBrushKind::blur2);
}

bool isAirbrushFamily(int32_t kind)
{
    return kind == int32_t(TBrushKind::airbrush) || kind == int32_t(TBrushKind::rubpen) ||
           kind == int32_t(TBrushKind::darken) || kind == int32_t(TBrushKind::lighten);
}

} // namespace

bool TPenButtons::load(const SettingsStore& store)
{
    int32_t cur = -1;
    if (!store.readInt(kPenSettingSection, "curSlot", cur) || cur < 0 || cur >= kPenButtonCount)
        return false;
    std::array<int32_t, kPenButtonCount> stored{};
    for (int32_t i = 0; i < kPenButtonCount; ++i)
        if (!store.readInt(kPenSettingSection, buttonKey(i), stored[size_t(i)]) ||
            !isButtonKind(stored[size_t(i)]))
            return false;
    current = cur;
    kinds = stored;
    return true;
}

void TPenButtons::save(SettingsStore& store) const
{
    store.writeInt(kPenSettingSection, "curSlot", current);
    for (int32_t i = 0; i < kPenButtonCount; ++i)
        store.writeInt(kPenSettingSection, buttonKey(i), kinds[size_t(i)]);
}

TPenControls penControlsOf(int32_t kind)
{
    //                             MIN    ifSIZE ifTRANS ifEDGE bar1   bar2   SPEED  tone   grad
    static constexpr TPenControls table[kBrushKindCount] = {
        /* pen      */ {true, true, true, false, false, false, false, true, true},
        /* wc       */ {true, true, true, true, true, true, true, true, true},
        /* blur     */ {true, true, false, false, true, false, false, true, false},
        /* eraser   */ {true, true, true, true, false, false, false, false, false},
        /* blur2    */ {false, false, false, false, false, false, false, false, false},
        /* airbrush */ {true, true, true, false, true, false, false, true, true},
        /* rubpen   */ {true, true, true, false, true, false, false, true, false},
        /* darken   */ {true, true, true, false, true, true, false, true, false},
        /* lighten  */ {true, true, true, false, true, true, false, true, false},
    };
    if (kind < 0 || kind >= kBrushKindCount)
        return TPenControls{};
    return table[kind];
}

float firstBarValue(const TStroke& stroke)
{
    return isAirbrushFamily(stroke.kind) ? stroke.effectiveSpacing() * 50.0f : stroke.effect / 2.0f;
}

float secondBarValue(const TStroke& stroke)
{
    const bool lightness = stroke.kind == uint8_t(TBrushKind::darken) ||
                           stroke.kind == uint8_t(TBrushKind::lighten);
    return lightness ? stroke.effect / 2.0f : stroke.env / 2.0f;
}

float speedBarValue(const TStroke& stroke)
{
    return stroke.speed / 2.0f;
}

std::array<TPoint, 79> gammaCurvePoints(float gamma)
{
    std::array<TPoint, 79> points{};
    for (int32_t i = 1; i <= 79; ++i) {
        const double v = std::pow(double(i) / 79.0, double(gamma)) * 79.0;
        points[size_t(i - 1)] = {i, 79 - int32_t(std::lround(v))};
    }
    return points;
}

} // namespace qm
