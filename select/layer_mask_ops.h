// A layer's transparency through a selection mask: the part of a layer the selection covers
// (a new layer made from the selection) and what stays behind when that part is split off.
// Coverage m is looked up at each layer pixel's paper position; alpha A is the layer's.
#pragma once

#include "layers/layer_data.h"
#include "select/layer_from_mask.h"
#include "select/mask_data.h"

#include <cstdint>

namespace qm {

// Outside the mask's rectangle A becomes 0; inside, mul(m, A).
bool maskToAlpha(CLayerData& layer, const CMaskData& mask);

// Where the mask and the layer overlap: m = 255 gives A = 0, m = 0 keeps A; otherwise
// variant 0 keeps what lies under a layer cut out by maskToAlpha,
// A = (255 − m)·A·255 / (65025 − A·m) (255 − m for A = 255), and variant 1 scales,
// A = A·(255 − m) / 255.
uint8_t erasedAlpha(uint8_t alpha, uint8_t coverage, int variant);
bool eraseByMask(CLayerData& layer, const CMaskData& mask, int variant);

} // namespace qm
