// Hand-written AVX2 kernels for the modes whose formula divides by a channel or follows the
// soft-light curve (burn, dodge, vivid light, soft light), eight pixels at a time. Same bytes
// as compositeMode<M> for every pixel.
#pragma once

#include "layers/blend_mode_table.h"

#include <cstdint>

namespace qm {

template <BlendMode M>
inline constexpr bool kDividingMode = M == BlendMode::Burn || M == BlendMode::Dodge ||
                                      M == BlendMode::VividLight || M == BlendMode::SoftLight;

template <BlendMode M>
__attribute__((target("avx2"))) void
compositeDividingRowAvx2(uint32_t* dest, const uint32_t* source, int32_t count, uint32_t opacity);

} // namespace qm
