// Hand-written AVX2 kernels for the whole-colour modes (hue, saturation, colour, luminosity),
// eight pixels at a time. Same bytes as compositeMode<M> for every pixel.
#pragma once

#include "layers/blend_mode_table.h"

#include <cstdint>

namespace qm {

template <BlendMode M>
__attribute__((target("avx2"))) void compositeWholeColourRowAvx2(uint32_t* dest, const uint32_t* source, int32_t count,
                                 uint32_t opacity);

} // namespace qm
