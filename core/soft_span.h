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

#include <cstdint>

namespace qm {

// A span along row y, from x = start to x = end.
void softSpanH(TChannel& image, int32_t y, float start, float end, uint8_t value, bool maxMode,
               float opacity);

// A span along column x, from y = start to y = end.
void softSpanV(TChannel& image, int32_t x, float start, float end, uint8_t value, bool maxMode,
               float opacity);

} // namespace qm
