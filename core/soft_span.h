// Soft-ended horizontal and vertical spans: the thin strokes of small pens.
//
// Pixel format: TChannel, one byte per pixel, 0 = empty, 255 = full.
//
// A span from s to e (floats, pixel units) is measured in 64ths of a pixel:
//   centre C = Trunc((s + e) / 2 × 64), half length L = Trunc((e − s) / 2 × 64).
// Pixel p spans the sub-positions 64p .. 64p + 63; a sub-position q is inside when
// C − L ≤ q < C + L. The pixels Trunc(s − 1) .. Trunc(e + 1) are visited; those near an end
// (|64p − C| ≥ L − 64) get Trunc(value × opacity) × count / 64 from the count of their
// sub-positions inside, the others Trunc(value × opacity). The result is set, in max mode only
// where it exceeds the pixel. Pixels with no sub-position inside are left alone.
// Spans given with s > e are drawn from e to s. Ends beyond ±16,777,216 (or NaN) draw nothing.
#pragma once

#include "core/dib_core.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace qm {

namespace spanDetail {

constexpr float kCoordinateLimit = 16777216.0f;

struct TSpanPlan {
    int32_t first = 0, last = 0; // pixels to visit, inclusive, clipped to 0 .. size − 1
    int64_t centre = 0, half = 0;
    uint32_t full = 0; // Trunc(value × opacity)
};

// False when nothing can be drawn in 0 .. size − 1.
bool planSpan(float start, float end, uint8_t value, float opacity, int32_t size, TSpanPlan& plan);

// The value pixel p gets, or -1 when none of it lies inside the span.
inline int32_t spanValue(const TSpanPlan& plan, int64_t p)
{
    const int64_t q = 64 * p;
    if (std::llabs(q - plan.centre) < plan.half - 64) return int32_t(plan.full);
    // Sub-positions q .. q + 63 inside [centre − half, centre + half).
    const int64_t lo = std::max(q, plan.centre - plan.half);
    const int64_t hi = std::min(q + 64, plan.centre + plan.half);
    const int64_t count = hi - lo;
    if (count <= 0) return -1;
    return int32_t(plan.full * uint32_t(count) / 64);
}

} // namespace spanDetail

// The span from start to end over positions 0 .. size − 1 by the rule above, before any max
// test: write(p, value) gets each covered position near an end, writeRun(first, last, value)
// the stretch between them that is wholly covered (positions first … last, all one value).
template <typename Writer, typename RunWriter>
void softSpanRuns(int32_t size, float start, float end, uint8_t value, float opacity,
                  Writer&& write, RunWriter&& writeRun)
{
    using namespace spanDetail;
    TSpanPlan plan;
    if (!planSpan(start, end, value, opacity, size, plan))
        return;
    // Wholly covered: C − L + 64 < 64p < C + L − 64.
    auto floorDiv64 = [](int64_t v) { return v >= 0 ? v / 64 : -((-v + 63) / 64); };
    const int64_t innerFirst = floorDiv64(plan.centre - plan.half + 64) + 1;
    const int64_t innerLast = -floorDiv64(-(plan.centre + plan.half - 64)) - 1;
    const int32_t runFirst = int32_t(std::max<int64_t>(innerFirst, plan.first));
    const int32_t runLast = int32_t(std::min<int64_t>(innerLast, plan.last));
    auto edge = [&](int32_t p) {
        const int32_t v = spanValue(plan, p);
        if (v >= 0)
            write(p, uint32_t(v));
    };
    if (runFirst > runLast) {
        for (int32_t p = plan.first; p <= plan.last; ++p)
            edge(p);
        return;
    }
    for (int32_t p = plan.first; p < runFirst; ++p)
        edge(p);
    writeRun(runFirst, runLast, plan.full);
    for (int32_t p = runLast + 1; p <= plan.last; ++p)
        edge(p);
}

// A span along row y, from x = start to x = end.
void softSpanH(TChannel& image, int32_t y, float start, float end, uint8_t value, bool maxMode,
               float opacity);

// A span along column x, from y = start to y = end.
void softSpanV(TChannel& image, int32_t x, float start, float end, uint8_t value, bool maxMode,
               float opacity);

} // namespace qm
