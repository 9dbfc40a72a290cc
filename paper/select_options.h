// What the selection operations of the paper take and what their events carry, shared by the
// paper, which selects, and the recorder, which writes the operations down.
#pragma once

#include "core/rect.h"
#include "select/color_mask.h"
#include "select/mask_mngr.h"

#include <cstdint>
#include <vector>

namespace qm {

// The selection events (their sub-codes). The short form carries a layer and one value (the
// mask slot), the long form a layer, a slot and two values.
namespace selectEvent {
inline constexpr uint8_t insert = 0;      // a new empty mask at the slot, made current
inline constexpr uint8_t clear = 1;       // the slot's mask emptied (deselect)
inline constexpr uint8_t remove = 2;      // the slot's mask taken out of the list
inline constexpr uint8_t invert = 3;
inline constexpr uint8_t duplicate = 4;   // a copy of the slot's mask at the slot, made current
inline constexpr uint8_t setCurrent = 5;
inline constexpr uint8_t cropToPaper = 6;
inline constexpr uint8_t move = 7;        // long: the slot's mask to index `a`
inline constexpr uint8_t position = 8;    // long: the mask's top-left paper corner to (a, b)
inline constexpr uint8_t combine = 9;     // long: mask `a` into the slot by mode `b`
inline constexpr uint8_t growByOne = 10;  // long: a = 1 grow, 0 shrink
inline constexpr uint8_t newLayer = 11;   // short: a new layer from the selection
inline constexpr uint8_t name = 12;
inline constexpr uint8_t shown = 13;      // long: a = the outline shown
inline constexpr uint8_t active = 14;     // long: a = the selection in effect
inline constexpr uint8_t rectangle = 16;
inline constexpr uint8_t ellipse = 17;
inline constexpr uint8_t lasso = 18;
inline constexpr uint8_t all = 20;
inline constexpr uint8_t toLayerMask = 21;
inline constexpr uint8_t fromLayer = 22;  // long: a = 1 brightness (inverted), 0 alpha
inline constexpr uint8_t splitLayer = 24; // long: the layer split along the selection
inline constexpr uint8_t grow = 25;       // long: a = the amount
inline constexpr uint8_t shrink = 26;
} // namespace selectEvent

// A rectangle or an ellipse between two whole paper points made into a selection.
struct TSelectShape {
    int16_t layer = 0;
    int16_t slot = 0;
    MaskCombine mode = MaskCombine::Replace;
    TPoint first{0, 0};
    TPoint second{0, 0};
};

// What the colour range dialog chose, kept beside its channel in a recording: the picks, the
// picture they were taken on (the layer or the displayed picture) and the mask slot.
struct TColourRangeChoice {
    std::vector<TColorPick> picks;
    bool fromView = false;
    int32_t slot = 0;
};

} // namespace qm
