// The fast renderers behind core/view_render.h with the choice of instruction set left to the
// caller, so tests can run the portable and the AVX2 loops on the same input and demand the
// same bytes. Internal to the renderers and their tests.
#pragma once

#include "core/view_pyramid.h"
#include "core/view_render.h"

namespace qm::view {

enum class TKernels { portable, avx2 };

// AVX2 when the processor has it.
TKernels bestKernels();

void renderPlain(TKernels kernels, const TViewTarget& display, const TMTC& source,
                 uint32_t background, float zoom, float angle, const TBox& box, TPointF centre);

// `pyramid` may be null or built from another picture: zooms below 1 then take the exact (slow)
// area average.
void renderSmooth(TKernels kernels, const TViewTarget& display, const TMTC& source,
                  const TViewPyramid* pyramid, uint32_t background, float zoom, float angle,
                  const TBox& box, TPointF centre);

} // namespace qm::view
