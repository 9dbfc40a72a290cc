// Lines and rectangle outlines.
//
// Pixel format: 32-bit images are 0xAARRGGBB (memory order B, G, R, A), not premultiplied;
// the anti-aliased lines paint the colour bytes only and keep every alpha byte. The per-pixel
// function forms work on any plain image (TMTC, TTC or TChannel).
#pragma once

#include "core/dib_core.h"
#include "core/rect.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace qm {

// Anti-aliased line between two float points, painted with the bounds-checked PaintNormal.
// The axis of larger extent is the major one; the line is walked from the start point, one
// pixel per major step from Trunc(start) to Trunc(end) inclusive. The minor coordinate starts
// at Trunc(start × 65536) (16.16) and advances by Trunc(Δminor / (|Δmajor| + 1) × 65536).
// With anti-aliasing each step paints (major, minor >> 16) at alpha 255 − f and the next pixel
// along the minor axis at alpha f, f = (minor >> 8) & 255; without it one pixel at alpha 255.
// Coordinates beyond ±16,777,216 (or NaN) draw nothing.
void aaLine(TMTC& image, uint32_t colour, bool antiAlias, float x0, float y0, float x1, float y1);

// The same, with an opacity moving linearly from opacity0 at the first step to opacity1 at the
// last (o = o0 + (o1 − o0) × step / lastStep, clamped to 0..1); both alphas become
// Trunc(alpha × o).
void aaLineFaded(TMTC& image, uint32_t colour, bool antiAlias, float x0, float y0, float x1,
                 float y1, float opacity0, float opacity1);

// Integer line through a per-pixel function: for h = 0 .. n, n = max(|Δx|, |Δy|), the point
// (from + h × Δ / n) (integer division, truncating) receives
//   fn(pixel pointer, colour, value), value = startValue + (endValue − startValue) × h / n,
// when it lies inside the image. Both end points are included. Returns true when at least
// one point was inside.
template <typename Image, typename Fn>
bool lineWith(Image& image, TPoint from, TPoint to, uint32_t colour, int32_t startValue,
              int32_t endValue, Fn&& fn)
{
    if (!image.IsValid()) return false;
    const int64_t dx = int64_t(to.x) - from.x;
    const int64_t dy = int64_t(to.y) - from.y;
    const int64_t n = std::max(std::llabs(dx), std::llabs(dy));
    if (n == 0) {
        if (!image.contains(from.x, from.y)) return false;
        fn(image.row(from.y) + from.x, colour, startValue);
        return true;
    }
    // Along the major axis every step moves exactly one pixel, so the steps that can land
    // inside the image form one range; a line from far outside costs nothing extra.
    const bool xMajor = std::llabs(dx) == n;
    const int64_t start = xMajor ? from.x : from.y;
    const int64_t size = xMajor ? image.width() : image.height();
    const int64_t dir = (xMajor ? dx : dy) > 0 ? 1 : -1;
    int64_t first = dir > 0 ? -start : start - (size - 1);
    int64_t last = dir > 0 ? size - 1 - start : start;
    first = std::max<int64_t>(first, 0);
    last = std::min<int64_t>(last, n);

    const int64_t range = int64_t(endValue) - startValue;
    bool any = false;
    for (int64_t h = first; h <= last; ++h) {
        const int64_t x = from.x + h * dx / n;
        const int64_t y = from.y + h * dy / n;
        if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) continue;
        fn(image.row(int32_t(y)) + x, colour, int32_t(startValue + range * h / n));
        any = true;
    }
    return any;
}

// The outline of a box through a per-pixel function, drawn as four edges with lineWith.
// Each outline pixel is visited exactly once (the edges are half-open at the corners), so
// functions such as XOR leave no gaps at the corners. Every pixel gets the same value.
// Returns false for an empty box or when no outline pixel is inside the image.
template <typename Image, typename Fn>
bool outlineWith(Image& image, TBox box, uint32_t colour, int32_t value, Fn&& fn)
{
    if (box.isEmpty() || !image.IsValid()) return false;
    const int32_t l = box.x;
    const int32_t t = box.y;
    // Edges past the int32 range are far outside any image; clamping them changes nothing.
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    const int32_t r = int32_t(std::min<int64_t>(int64_t(box.x) + box.width - 1, kMax));
    const int32_t b = int32_t(std::min<int64_t>(int64_t(box.y) + box.height - 1, kMax));
    if (box.height == 1 || box.width == 1)
        return lineWith(image, {l, t}, {r, b}, colour, value, value, fn);
    bool any = lineWith(image, {l, t}, {r - 1, t}, colour, value, value, fn);
    any |= lineWith(image, {r, t}, {r, b - 1}, colour, value, value, fn);
    any |= lineWith(image, {r, b}, {l + 1, b}, colour, value, value, fn);
    any |= lineWith(image, {l, b}, {l, t + 1}, colour, value, value, fn);
    return any;
}

// A solid one-pixel outline of the box: every outline pixel becomes `colour` (all four bytes,
// so the caller chooses the alpha byte). Clipped; false when nothing of it is inside.
bool FrameRect(TMTC& image, TBox box, uint32_t colour);

} // namespace qm
