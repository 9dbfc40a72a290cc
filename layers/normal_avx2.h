// A hand-written AVX2 kernel for the most used composite: normal mode.
#pragma once

#include <cstdint>

namespace qm {

// Same bytes as compositeMode<BlendMode::Normal> on every pixel; needs AVX2.
__attribute__((target("avx2"))) void compositeNormalRowAvx2(uint32_t* dest, const uint32_t* source, int32_t count,
                            uint32_t opacity);

} // namespace qm
