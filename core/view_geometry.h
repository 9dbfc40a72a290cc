// The 16.16 geometry every view renderer walks, so the smooth and the plain view line up to the
// pixel (the rules are spelled out in core/view_render.h). Internal to the renderers and their
// tests.
#pragma once

#include "core/dib_core.h"
#include "core/rect.h"
#include "core/view_render.h"

#include <cstddef>
#include <cstdint>
#include <immintrin.h>

namespace qm::view {

constexpr int64_t kOne = 65536;
constexpr int64_t kHalf = 32768;

struct TViewGeometry {
    int64_t step = kOne; // side of a window pixel's square, 16.16
    int64_t cos = kOne;  // 16.16
    int64_t sin = 0;
    int64_t centreX = 0; // 16.16
    int64_t centreY = 0;
    int32_t width = 0; // the window's client size
    int32_t height = 0;
};

// The centre of a window pixel's square in 32.32 (>> 16 gives 16.16, >> 32 the pixel), and
// what it grows by per pixel to the right.
struct TRowWalk {
    int64_t x = 0;
    int64_t y = 0;
    int64_t dx = 0;
    int64_t dy = 0;
};

// Window pixel (x, y)'s square centre; walking from any pixel gives the same values as starting
// at each pixel on its own.
TRowWalk rowStart(const TViewGeometry& g, int32_t x, int32_t y);

inline uint32_t* targetRow(const TViewTarget& display, int32_t y)
{
    return display.pixels + ptrdiff_t(y) * display.stride;
}

void fillBox(const TViewTarget& display, const TBox& box, uint32_t colour);

// Clips the box and sets up the geometry; false when nothing is left to do (a box outside the
// target, or one filled with the background because there is nothing to show).
bool startView(const TViewTarget& display, const TMTC& source, uint32_t background, float zoom,
               float angle, const TBox& box, TPointF centre, TBox& clip, TViewGeometry& g);

// The pixels [first, end) of a row, possibly none.
struct TRun {
    int32_t first = 0;
    int32_t end = 0;
};

// The run of i in [0, count) for which lo ≤ (start + i × delta) >> shift ≤ hi. The values move
// one way along a row, so the run is one piece and bisection finds it.
TRun runWithin(int64_t start, int64_t delta, int shift, int64_t lo, int64_t hi, int32_t count);

inline TRun overlap(TRun a, TRun b)
{
    const TRun r{a.first > b.first ? a.first : b.first, a.end < b.end ? a.end : b.end};
    return r.first < r.end ? r : TRun{};
}

// The distance in pixels between consecutive rows, when every row of the image is that far from
// the one before (flat images, top-down or bottom-up); false otherwise. Lets vector loops address
// a pixel as row 0 + y × stride + x.
bool uniformRowStride(const TMTC& image, ptrdiff_t& stride);

// Pixels k0 … k3 of a 32.32 row walk in the four 64-bit lanes, for the AVX2 row loops.
__attribute__((target("avx2"), always_inline)) inline __m256i
walkLanes(int64_t start, int64_t d, int k0, int k1, int k2, int k3)
{
    return _mm256_setr_epi64x(start + k0 * d, start + k1 * d, start + k2 * d, start + k3 * d);
}

} // namespace qm::view
